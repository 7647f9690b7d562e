// Compiles a locale into a temporary folder once and switches to it.
#include "foreign_locale.h"

#include <clocale>
#include <cstdlib>
#include <stdexcept>

#include "temp_folder.h"

namespace testsupport {
namespace {

const TempFolder& LocaleFolder() {
  static const TempFolder folder("dorvane-locale");
  return folder;
}

}  // namespace

ForeignLocale::ForeignLocale(const std::string& name) {
  const std::string full = name + ".UTF-8";
  const TempFolder& folder = LocaleFolder();
  const std::string command = "[ -d '" + folder.File(full) + "' ] || localedef -i " + name +
                              " -f UTF-8 '" + folder.File(full) + "' >/dev/null 2>&1";
  // localedef reports warnings with exit status 1 and still writes the locale.
  const int status = std::system(command.c_str());
  setenv("LOCPATH", folder.Path().c_str(), 1);
  if (std::setlocale(LC_ALL, full.c_str()) == nullptr) {
    unsetenv("LOCPATH");
    throw std::runtime_error("the locale " + full + " could not be made current (localedef " +
                             std::to_string(status) + "; package locales)");
  }
}

ForeignLocale::~ForeignLocale() {
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

}  // namespace testsupport
