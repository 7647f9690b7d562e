// Compares an imported data file with the control's layout, one line per
// difference, in the order of the layout text.
#include "import_report.h"

#include <initializer_list>

#include "schema.h"
#include "services/recordstore/table_layout.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

// The parts of a report line put together.
std::string Line(std::initializer_list<std::string_view> parts) {
  std::string line;
  for (std::string_view part : parts) line.append(part);
  return line;
}

// The table of `tables` named `name` (any case), or nullptr.
const TableDefinition* FindTable(const std::vector<TableDefinition>& tables,
                                 const std::string& name) {
  for (const TableDefinition& table : tables) {
    if (SameName(table.name, name)) return &table;
  }
  return nullptr;
}

// The index of `table` named `name` (any case), or nullptr.
const IndexDefinition* FindIndex(const TableDefinition& table, const std::string& name) {
  for (const IndexDefinition& index : table.indexes) {
    if (SameName(index.name, name)) return &index;
  }
  return nullptr;
}

// True when two declared types stand for the same field type (and width, for Text).
bool SameType(const std::string& a, const std::string& b) {
  recordstore::ColumnInfo left, right;
  recordstore::FieldTypeFromDeclared(a, left);
  recordstore::FieldTypeFromDeclared(b, right);
  return left.type == right.type &&
         (left.type != recordstore::kTextField ||
          (left.size == right.size && left.checkWidth == right.checkWidth));
}

// "CONO, JOBNO DESC": the keys of an index as the report shows them.
std::string KeyText(const IndexDefinition& index) {
  std::string text;
  for (const IndexKey& key : index.keys) {
    text += (text.empty() ? "" : ", ") + key.field + (key.descending ? " DESC" : "");
  }
  return text;
}

bool SameKeys(const IndexDefinition& a, const IndexDefinition& b) {
  if (a.keys.size() != b.keys.size()) return false;
  for (size_t k = 0; k < a.keys.size(); ++k) {
    if (!SameName(a.keys[k].field, b.keys[k].field) ||
        a.keys[k].descending != b.keys[k].descending) {
      return false;
    }
  }
  return true;
}

// The lines about one table the control needs.
void CompareTable(const TableDefinition& have, const TableDefinition& need,
                  std::vector<std::string>& lines, const std::string& file) {
  for (const FieldDefinition& field : need.fields) {
    const int at = have.FindField(field.name);
    if (at < 0) {
      lines.push_back(Line({file, "table ", need.name, " has no field ", field.name,
                            " (the control needs ", field.declared, ")."}));
      continue;
    }
    const std::string& declared = have.fields[static_cast<size_t>(at)].declared;
    if (!SameType(declared, field.declared)) {
      lines.push_back(Line({file, "field ", need.name, ".", field.name, " is ", declared,
                            "; the control needs ", field.declared, "."}));
    }
  }
  for (const IndexDefinition& index : need.indexes) {
    const IndexDefinition* found = FindIndex(have, index.name);
    if (!found) {
      lines.push_back(Line({file, "table ", need.name, " has no index ", index.name, " (",
                            index.unique ? "unique, " : "", "on ", KeyText(index), ")."}));
      continue;
    }
    if (!SameKeys(*found, index)) {
      lines.push_back(Line({file, "index ", index.name, " of table ", need.name, " is on ",
                            KeyText(*found), "; the control needs it on ", KeyText(index), "."}));
    }
    if (found->unique != index.unique) {
      lines.push_back(
          Line({file, "index ", index.name, " of table ", need.name,
                index.unique ? " allows repeated keys; the control needs it unique."
                             : " is unique; the control needs it to allow repeated keys."}));
    }
  }
}

}  // namespace

std::vector<TableDefinition> ControlLayout(std::string_view fileName) {
  const FileLayout layout = SchemaLayout(SchemaText(), fileName);
  SqliteFile db(":memory:");
  for (const std::string& sql : layout.tables) db.Exec(sql);
  for (const std::string& sql : layout.indexes) db.Exec(sql);

  std::vector<TableDefinition> tables;
  Statement names = db.Prepare(
      "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite!_%' "
      "ESCAPE '!' ORDER BY rowid");
  while (names.Step()) tables.push_back({names.TextOrEmpty(0), {}, {}});
  for (TableDefinition& table : tables) {
    Statement fields = db.Prepare("SELECT name, type FROM pragma_table_info(?1) ORDER BY cid");
    fields.Bind(1, std::string_view(table.name));
    while (fields.Step()) {
      if (!SameName(fields.TextOrEmpty(0), "rowid"))
        table.fields.push_back({fields.TextOrEmpty(0), fields.TextOrEmpty(1)});
    }
    Statement indexes = db.Prepare(
        "SELECT name, \"unique\" FROM pragma_index_list(?1) WHERE origin = 'c' ORDER BY name");
    indexes.Bind(1, std::string_view(table.name));
    while (indexes.Step()) {
      const std::string sqlName = indexes.TextOrEmpty(0);
      IndexDefinition index{sqlName.substr(sqlName.find('.') + 1), indexes.Int(1) != 0, {}};
      Statement keys = db.Prepare(
          "SELECT name, \"desc\" FROM pragma_index_xinfo(?1) WHERE key = 1 ORDER BY seqno");
      keys.Bind(1, std::string_view(sqlName));
      while (keys.Step()) index.keys.push_back({keys.TextOrEmpty(0), keys.Int(1) != 0});
      table.indexes.push_back(std::move(index));
    }
  }
  return tables;
}

void NoteRow(ImportedFile& file, size_t table, const ImportRow& row) {
  if (file.rows.size() <= table) file.rows.resize(table + 1);
  const TableDefinition& definition = file.tables.at(table);
  const bool counter = SameName(definition.name, "SYSTAGS");
  const bool groups = SameName(definition.name, "TJLGROUPS");
  const int tag = definition.FindField("TJLTAG");
  if ((counter || groups) && tag >= 0) {
    const ImportValue& value = row.at(static_cast<size_t>(tag));
    const bool whole = value.kind == ImportValue::Kind::kInteger;
    if (counter && file.rows[table] == 0) file.tagCounter = whole ? value.integer : 0;
    if (groups && whole && (!file.highestGroupTag || value.integer > *file.highestGroupTag)) {
      file.highestGroupTag = value.integer;
    }
  }
  ++file.rows[table];
}

std::vector<std::string> CompareWithControl(const ImportedFile& file,
                                            const std::vector<TableDefinition>& needed) {
  std::vector<std::string> lines;
  const std::string prefix = file.name + ": ";
  if (!file.present) {
    lines.push_back(prefix + "the classic folder has no such file; the control needs it.");
    return lines;
  }
  for (const TableDefinition& need : needed) {
    const TableDefinition* have = FindTable(file.tables, need.name);
    if (!have) {
      lines.push_back(prefix + "there is no table " + need.name + ".");
      continue;
    }
    CompareTable(*have, need, lines, prefix);
    const size_t at = static_cast<size_t>(have - file.tables.data());
    const int64_t rows = at < file.rows.size() ? file.rows[at] : 0;
    if (SameName(need.name, "SYSSETTINGS") && rows == 0) {
      lines.push_back(prefix +
                      "table SYSSETTINGS holds no row; the control needs one with the "
                      "job-number size and type.");
    }
  }
  // The control's next tag is the counter (1 when it is 0); it must be unused.
  const int64_t nextTag = file.tagCounter == 0 ? 1 : file.tagCounter;
  if (FindTable(file.tables, "SYSTAGS") && file.highestGroupTag &&
      nextTag <= *file.highestGroupTag) {
    lines.push_back(prefix + "the tag counter in SYSTAGS is " + std::to_string(file.tagCounter) +
                    ", but TJLGROUPS already uses tags up to " +
                    std::to_string(*file.highestGroupTag) + "; set SYSTAGS.TJLTAG to " +
                    std::to_string(*file.highestGroupTag + 1) +
                    " so that new saved lists get tags of their own.");
  }
  return lines;
}

}  // namespace dorvanedata
