// The path rule over the file system, one path component at a time.
#include "services/base/file_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "services/base/text_case.h"

namespace base {
namespace {

namespace fs = std::filesystem;

// The entry of `folder` called `name`: the exact name when it exists, else the
// first (in name order) that differs only in case; empty when none matches.
fs::path FindEntry(const fs::path& folder, const std::string& name, bool wantFolder) {
  std::error_code ec;
  auto kindMatches = [&](const fs::path& p) {
    return wantFolder ? fs::is_directory(p, ec) : fs::is_regular_file(p, ec);
  };
  fs::path exact = folder / name;
  if (kindMatches(exact)) return exact;
  std::vector<fs::path> matches;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::string entry = it->path().filename().string();
    if (SameName(entry, name) && kindMatches(it->path())) {
      matches.push_back(it->path());
    }
  }
  if (matches.empty()) return {};
  std::sort(matches.begin(), matches.end());
  return matches.front();
}

}  // namespace

// Walks `given` one name at a time under the case rule.
FoundFile LookUpFile(const std::string& given, const std::string& defaultExtension) {
  std::string text = given;
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('/', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (parts.empty()) return {"", ": no file name was given"};
  std::string& file = parts.back();
  if (!defaultExtension.empty() && file.find('.') == std::string::npos) {
    file += defaultExtension;
  }

  fs::path at = !text.empty() && text[0] == '/' ? fs::path("/") : fs::path(".");
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i] == "." || parts[i] == "..") {
      at /= parts[i];
      continue;
    }
    fs::path next = FindEntry(at, parts[i], true);
    if (next.empty()) {
      return {"",
              ": the folder '" + (at / parts[i]).lexically_normal().string() + "' does not exist"};
    }
    at = next;
  }
  fs::path found = FindEntry(at, file, false);
  if (found.empty()) {
    return {"", ": there is no file '" + file + "' in the folder '" +
                    at.lexically_normal().string() + "'"};
  }
  std::error_code ec;
  fs::path canonical = fs::canonical(found, ec);
  return {ec ? found.string() : canonical.string(), ""};
}

std::optional<std::string> FindFile(const std::string& path) {
  FoundFile found = LookUpFile(path);
  if (found.file.empty()) return std::nullopt;
  return found.file;
}

}  // namespace base
