// Compiles tr_TR.UTF-8 into a temporary folder once and switches to it.
#include "turkish_locale.h"

#include <clocale>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>

#include "temp_folder.h"

namespace testsupport {
namespace {

const std::string& LocaleFolder() {
  static const std::unique_ptr<TempFolder> folder = [] {
    auto made = std::make_unique<TempFolder>("dorvane-locale");
    const std::string command =
        "localedef -i tr_TR -f UTF-8 '" + made->File("tr_TR.UTF-8") + "' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
      throw std::runtime_error("localedef could not compile tr_TR.UTF-8 (package locales)");
    }
    return made;
  }();
  return folder->Path();
}

}  // namespace

TurkishLocale::TurkishLocale() {
  setenv("LOCPATH", LocaleFolder().c_str(), 1);
  if (std::setlocale(LC_ALL, "tr_TR.UTF-8") == nullptr) {
    unsetenv("LOCPATH");
    throw std::runtime_error("the tr_TR.UTF-8 locale could not be made current");
  }
}

TurkishLocale::~TurkishLocale() {
  std::setlocale(LC_ALL, "C");
  unsetenv("LOCPATH");
}

}  // namespace testsupport
