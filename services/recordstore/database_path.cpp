// Database path resolution over the file system, one path component at a time.
#include "services/recordstore/database_path.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "services/recordstore/store_errors.h"
#include "services/recordstore/text_case.h"

namespace recordstore {
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

// What resolving a path found: the file, or why there is none.
struct Resolved {
  std::string file;    // empty when not found
  std::string detail;  // ": the folder ... does not exist" and the like
};

// Walks `given` one name at a time under the case rule; `addExtension` gives
// a last name without a dot the extension ".MDB".
Resolved Resolve(const std::string& given, bool addExtension) {
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
  if (addExtension && file.find('.') == std::string::npos) file += ".MDB";

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

}  // namespace

std::string ResolveDatabasePath(const std::string& given) {
  Resolved resolved = Resolve(given, true);
  if (resolved.file.empty()) throw FileNotFound(given, resolved.detail);
  return resolved.file;
}

std::string ResolveDataFile(const std::string& dataSource, const std::string& fileName) {
  return ResolveDatabasePath(dataSource + "\\" + fileName);
}

std::optional<std::string> FindFile(const std::string& path) {
  Resolved resolved = Resolve(path, false);
  if (resolved.file.empty()) return std::nullopt;
  return resolved.file;
}

}  // namespace recordstore
