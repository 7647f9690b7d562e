// Splits the layout text of schema.sql into the CREATE statements of each data
// file. Relies on the text's conventions: a file's section starts with a line
// "-- ===== NAME =====", statements end with ";", and a comment line whose
// text starts with "CREATE " is a statement of that file.
#include "schema.h"

#include <cassert>

namespace dorvanedata {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

namespace {

// Returns the file name of a section heading line, or "" for other lines.
std::string_view SectionName(std::string_view line) {
  constexpr std::string_view kMark = "=====";
  if (!line.starts_with("--")) return {};
  std::string_view body = Trim(line.substr(2));
  if (!body.starts_with(kMark) || !body.ends_with(kMark) || body.size() <= 2 * kMark.size()) {
    return {};
  }
  return Trim(body.substr(kMark.size(), body.size() - 2 * kMark.size()));
}

// Files a finished statement under tables or indexes.
void AddStatement(FileLayout& layout, std::string statement) {
  if (statement.starts_with("CREATE TABLE")) {
    layout.tables.push_back(std::move(statement));
  } else {
    assert(statement.starts_with("CREATE"));
    layout.indexes.push_back(std::move(statement));
  }
}

}  // namespace

FileLayout SchemaLayout(std::string_view schemaText, std::string_view fileName) {
  FileLayout layout;
  bool inSection = false;
  std::string pending;
  while (!schemaText.empty()) {
    const auto end = schemaText.find('\n');
    const std::string_view raw = schemaText.substr(0, end);
    std::string_view line = Trim(raw);
    schemaText = end == std::string_view::npos ? std::string_view{} : schemaText.substr(end + 1);

    if (std::string_view name = SectionName(line); !name.empty()) {
      inSection = name == fileName;
      continue;
    }
    if (!inSection || line.empty()) continue;
    if (line.starts_with("--")) {
      std::string_view body = Trim(line.substr(2));
      // A commented statement is taken when it starts a statement of its own.
      if (!pending.empty() || !body.starts_with("CREATE ")) continue;
      line = body;
    }
    // A statement over several lines keeps its line breaks and indentation, so
    // the file's schema reads as schema.sql does.
    if (!pending.empty()) {
      pending += '\n';
      line = raw.substr(0, raw.find_last_not_of(" \t\r") + 1);
    }
    pending += line;
    if (line.ends_with(';')) {
      AddStatement(layout, std::move(pending));
      pending.clear();
    }
  }
  return layout;
}

}  // namespace dorvanedata
