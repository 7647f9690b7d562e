// Mapping script data source names to places and back (see the header).
#include "apps/dorvane-script/source_map.h"

#include "services/recordstore/data_source.h"

namespace scripthost {

bool SourceMap::Add(const std::string& assignment) {
  const size_t equals = assignment.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == assignment.size()) return false;
  sources_.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
  return true;
}

std::string SourceMap::In(const std::string& path) const {
  for (const auto& [name, place] : sources_) {
    if (path == name) return place;
    if (path.size() > name.size() && path.compare(0, name.size(), name) == 0 &&
        (path[name.size()] == '\\' || path[name.size()] == '/')) {
      return place + "\\" + path.substr(name.size() + 1);
    }
  }
  return path;
}

std::string SourceMap::Out(std::string line) const {
  for (const auto& [name, place] : sources_) {
    for (size_t at = line.find(place); at != std::string::npos;
         at = line.find(place, at + name.size())) {
      line.replace(at, place.size(), name);
    }
  }
  return recordstore::HidePasswords(line);
}

void MappedLines::Flush() {
  if (!line_.empty()) target_ << map_.Out(line_);
  line_.clear();
  target_.flush();
}

MappedLines::int_type MappedLines::overflow(int_type ch) {
  if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
  line_ += traits_type::to_char_type(ch);
  if (line_.back() == '\n') {
    target_ << map_.Out(line_);
    line_.clear();
  }
  return ch;
}

// A flush passes on the whole lines only, so that a place is never split.
int MappedLines::sync() {
  target_.flush();
  return 0;
}

}  // namespace scripthost
