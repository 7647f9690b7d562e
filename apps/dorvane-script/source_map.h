// Data source names of a script mapped to other places: `dorvane-script
// --source data=postgresql://...` runs a script written for the folder `data`
// on a server database instead. Paths the script gives (PathText, the path of
// opensearch) are mapped in; every line printed is mapped back, so the output
// is the same on either place, and shows no password of a server URI left in
// it (`let PathText postgresql://clerk:pw@...` then `state PathText`). Relies
// on the record store's HidePasswords.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace scripthost {

class SourceMap {
 public:
  // Reads "NAME=PLACE"; false when the text has no '=' or an empty side.
  bool Add(const std::string& assignment);
  bool Empty() const { return sources_.empty(); }
  // The place of a path the script gives: NAME, or NAME\FILE, becomes PLACE
  // (PLACE\FILE); any other path is kept.
  std::string In(const std::string& path) const;
  // The line with every place written back as its name and the password of
  // any other server URI in it shown as "***".
  std::string Out(std::string line) const;

 private:
  std::vector<std::pair<std::string, std::string>> sources_;  // name, place
};

// A stream buffer that passes whole lines to `target` with the places mapped
// back to their names; what is left without a line break goes at Flush or
// when the buffer goes.
class MappedLines : public std::streambuf {
 public:
  MappedLines(const SourceMap& map, std::ostream& target) : map_(map), target_(target) {}
  ~MappedLines() override { Flush(); }
  void Flush();

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;

 private:
  const SourceMap& map_;
  std::ostream& target_;
  std::string line_;
};

}  // namespace scripthost
