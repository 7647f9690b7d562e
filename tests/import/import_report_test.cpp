// Tests of the import's type mapping and of its report on what the control
// needs. No classic file with the control's tables exists, so the report is
// given the control's own layout (read from the data tool's schema text) as
// the imported data, then that layout with one thing changed at a time.
#include "import_report.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jet_types.h"
#include "services/recordstore/table_layout.h"

namespace importtest {
namespace {

using dorvanedata::CompareWithControl;
using dorvanedata::ControlLayout;
using dorvanedata::ImportedFile;
using dorvanedata::ImportRow;
using dorvanedata::ImportValue;
using dorvanedata::NoteRow;
using dorvanedata::TableDefinition;

// Every classic type lands on the record store's field type of the same code,
// but for the two types we have no twin of (Binary and Decimal).
TEST(TypeMapping, EachClassicTypeReadsAsItsFieldType) {
  for (const dorvanedata::JetTypeMapping& mapping : dorvanedata::kJetTypes) {
    SCOPED_TRACE(mapping.jetName);
    const auto declared = dorvanedata::DeclaredTypeFor(mapping.jetType, 20, true);
    ASSERT_TRUE(declared);
    recordstore::ColumnInfo column;
    recordstore::FieldTypeFromDeclared(*declared, column);
    const int expected = mapping.jetType == 0x09   ? recordstore::kLongBinaryField
                         : mapping.jetType == 0x10 ? recordstore::kDoubleField
                                                   : mapping.jetType;
    EXPECT_EQ(column.type, expected) << *declared;
  }
  EXPECT_EQ(dorvanedata::DeclaredTypeFor(0x0a, 20, true),
            "TEXT(10)");  // Jet 4: 2 bytes a character
  EXPECT_EQ(dorvanedata::DeclaredTypeFor(0x0a, 20, false), "TEXT(20)");
  EXPECT_FALSE(dorvanedata::DeclaredTypeFor(0x12, 4, true));  // attachments: not a Jet 3/4 type
}

// The control's layout of a data file, imported as it is, with rows enough.
ImportedFile AsImported(const std::string& name) {
  ImportedFile file{name, true, ControlLayout(name), {}, 0, std::nullopt};
  file.rows.assign(file.tables.size(), 1);
  return file;
}

// The place of table `name` in the file.
size_t Index(const ImportedFile& file, const std::string& name) {
  for (size_t t = 0; t < file.tables.size(); ++t) {
    if (file.tables[t].name == name) return t;
  }
  throw std::runtime_error("no table " + name);
}

// Table `name` of the file.
TableDefinition& Table(ImportedFile& file, const std::string& name) {
  return file.tables[Index(file, name)];
}

// The control's own layout gives a clean report; each change to it is a line.
TEST(Report, NamesEachFieldIndexAndRowThatDiffers) {
  for (const char* name : {"MAIN.MDB", "QRLSYS.mdb"}) {
    EXPECT_EQ(CompareWithControl(AsImported(name), ControlLayout(name)), std::vector<std::string>{})
        << name;
  }
  ImportedFile file = AsImported("MAIN.MDB");
  TableDefinition& jobs = Table(file, "JOBLIST");
  jobs.fields[0].declared = "LONG";            // CONO
  jobs.fields[1].declared = "TEXT(10)";        // JOBNO
  jobs.fields.erase(jobs.fields.begin() + 2);  // JOBNAME
  jobs.indexes[0].unique = false;              // JOBLIST
  jobs.indexes[1].keys[1].field = "JOBNO";     // JOBNAME on CONO, JOBNO
  Table(file, "COLIST").name = "Colist";       // names compare without regard to case
  Table(file, "PELIST").indexes.clear();
  Table(file, "TJLIST").indexes[0].keys[0].descending = true;
  EXPECT_EQ(
      CompareWithControl(file, ControlLayout("MAIN.MDB")),
      (std::vector<std::string>{
          "MAIN.MDB: field JOBLIST.CONO is LONG; the control needs SHORT.",
          "MAIN.MDB: field JOBLIST.JOBNO is TEXT(10); the control needs TEXT(8).",
          "MAIN.MDB: table JOBLIST has no field JOBNAME (the control needs TEXT(50)).",
          "MAIN.MDB: index JOBLIST of table JOBLIST allows repeated keys; the control needs it "
          "unique.",
          "MAIN.MDB: index JOBNAME of table JOBLIST is on CONO, JOBNO; the control needs it on "
          "CONO, JOBNAME.",
          "MAIN.MDB: table PELIST has no index PELIST (unique, on LDATE).",
          "MAIN.MDB: table PELIST has no index PETAG (unique, on PETAG).",
          "MAIN.MDB: index TJLIST of table TJLIST is on CONO DESC, JOBNO; the control needs it on "
          "CONO, JOBNO."}));
  ImportedFile settings = AsImported("QRLSYS.mdb");
  settings.rows[0] = 0;
  EXPECT_EQ(CompareWithControl(settings, ControlLayout("QRLSYS.mdb")),
            std::vector<std::string>{"QRLSYS.mdb: table SYSSETTINGS holds no row; the control "
                                     "needs one with the job-number size and type."});
}

// The counter is SYSTAGS' first row, the tags in use TJLGROUPS' highest, as
// the import notes its rows; a counter behind them is one line of the report.
TEST(Report, ATagCounterBehindTheSavedListsIsOneLine) {
  const auto lines = [](const std::vector<ImportRow>& counterRows,
                        const std::vector<int64_t>& groupTags) {
    ImportedFile file = AsImported("MAIN.MDB");
    file.rows.assign(file.tables.size(), 0);
    for (const ImportRow& row : counterRows) NoteRow(file, Index(file, "SYSTAGS"), row);
    for (int64_t tag : groupTags) {
      NoteRow(file, Index(file, "TJLGROUPS"), {ImportValue::Integer(tag), ImportValue::Text("x")});
    }
    std::vector<std::string> tags;
    for (const std::string& line : CompareWithControl(file, ControlLayout("MAIN.MDB"))) {
      if (line.find("tag counter") != std::string::npos) tags.push_back(line);
    }
    return tags;
  };
  const ImportValue five = ImportValue::Integer(5), ten = ImportValue::Integer(10);
  EXPECT_EQ(lines({{five}, {ten}}, {3, 9, 4}),
            std::vector<std::string>{"MAIN.MDB: the tag counter in SYSTAGS is 5, but TJLGROUPS "
                                     "already uses tags up to 9; set SYSTAGS.TJLTAG to 10 so "
                                     "that new saved lists get tags of their own."});
  EXPECT_EQ(lines({{ten}}, {3, 9, 4}).size(), 0u);      // the next tag, 10, is free
  EXPECT_EQ(lines({{ImportValue()}}, {1}).size(), 1u);  // Null counts from 1
  EXPECT_EQ(lines({}, {1}).size(), 1u);                 // so does no row
  EXPECT_EQ(lines({}, {}).size(), 0u);                  // no saved list yet
}

}  // namespace
}  // namespace importtest
