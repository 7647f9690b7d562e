// A folder of its own under the system's temporary folder for one test, and
// the whole text of a file. Relies on POSIX mkdtemp and <filesystem>.
#pragma once

#include <string>

namespace testsupport {

class TempFolder {
 public:
  // Makes an empty folder named after `prefix` with a unique ending.
  explicit TempFolder(const std::string& prefix = "dorvane-test");
  // Removes the folder and everything in it.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  // The path of `name` (a file or a relative path) inside the folder.
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Returns the whole content of a file ("" when it cannot be read).
std::string ReadText(const std::string& file);

}  // namespace testsupport
