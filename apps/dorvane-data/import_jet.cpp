// Reads Jet 3 and Jet 4 files with libmdb. The library is trusted only as far
// as it can be checked: the first page is examined here before the library
// opens the file, every row offset it gives must lie inside its page, and the
// rows read must number what the table's definition says. Values are taken
// from the cracked row itself (not the library's text forms) so that Null,
// an empty text, a Yes/No and a number each keep their kind; text is handed
// to the library's converter, which gives UTF-8 from Jet 4's (compressed)
// UTF-16 and from a Jet 3 file's code page.
#include "import_jet.h"

#include <mdbtools.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "jet_types.h"
#include "services/recordstore/field_codec.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

static_assert(MDB_BOOL == 0x01 && MDB_TEXT == 0x0a && MDB_MEMO == 0x0c && MDB_REPID == 0x0f &&
                  MDB_NUMERIC == 0x10,
              "jet_types.h numbers the types as libmdb does");

constexpr size_t kHeaderStart = 0x18;  // the part of the first page kept under RC4
constexpr size_t kPasswordAt = 0x42;
constexpr size_t kCreationDateAt = 0x72;  // Jet 4: masks the password
constexpr size_t kCodePageAt = 0x3c;
constexpr size_t kRowOffsetMask = 0x1fff;
// A Memo the classic program lets a user type holds 65,535 characters; one
// stored as larger than this is taken for damage rather than read.
constexpr size_t kLargestMemo = size_t{64} << 20;

// Decodes `length` bytes in place with RC4 under `key`, the scheme that keeps
// the first page's settings from plain sight.
void Rc4(const std::array<uint8_t, 4>& key, uint8_t* bytes, size_t length) {
  std::array<uint8_t, 256> state;
  for (size_t i = 0; i < state.size(); ++i) state[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (size_t i = 0; i < state.size(); ++i) {
    j = static_cast<uint8_t>(j + state[i] + key[i % key.size()]);
    std::swap(state[i], state[j]);
  }
  uint8_t x = 0, y = 0;
  for (size_t n = 0; n < length; ++n) {
    x = static_cast<uint8_t>(x + 1);
    y = static_cast<uint8_t>(y + state[x]);
    std::swap(state[x], state[y]);
    bytes[n] ^= state[static_cast<uint8_t>(state[x] + state[y])];
  }
}

// A ToolError for a file the reader cannot trust.
ToolError Damaged(const std::string& path, const std::string& what) {
  return ToolError(path + " is damaged: " + what);
}

// Frees a table definition of the library when it goes out of scope.
struct TableDef {
  explicit TableDef(MdbTableDef* table) : def(table) {}
  ~TableDef() {
    if (def) mdb_free_tabledef(def);
  }
  TableDef(const TableDef&) = delete;
  TableDef& operator=(const TableDef&) = delete;
  MdbColumn* Column(size_t i) const {
    return static_cast<MdbColumn*>(g_ptr_array_index(def->columns, i));
  }
  MdbTableDef* def;
};

// Reads the table of a catalog entry with its columns (and indexes when asked).
void OpenTable(TableDef& table, MdbCatalogEntry* entry, const std::string& path, bool indexes) {
  const std::string name = entry->object_name;
  if (!table.def || !mdb_read_columns(table.def) || !table.def->columns ||
      table.def->columns->len != table.def->num_cols) {
    throw Damaged(path, "the definition of table " + name + " cannot be read");
  }
  if (!indexes || table.def->num_idxs == 0) return;
  mdb_read_indices(table.def);  // its answer is not a success flag; the list it fills is
  if (!table.def->indices || table.def->indices->len > table.def->num_idxs) {
    throw Damaged(path, "the indexes of table " + name + " cannot be read");
  }
}

// Returns a string of the library's (freed with g_free) as a std::string.
std::string TakeText(char* text) {
  std::string result = text ? text : "";
  g_free(text);
  return result;
}

// Little-endian whole numbers of the page buffer.
int64_t ReadInt(const unsigned char* at, size_t size) {
  uint64_t value = 0;
  for (size_t i = size; i-- > 0;) value = value << 8 | at[i];
  if (size < 8 && (value >> (8 * size - 1)) & 1) value |= ~uint64_t{0} << (8 * size);
  return static_cast<int64_t>(value);
}

// The bytes a stored value of a type takes at least (a Memo or OLE value
// starts with a 12-byte header); 0 for Text and Binary.
int SmallestValue(int type) {
  switch (type) {
    case MDB_BYTE:
      return 1;
    case MDB_INT:
      return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
      return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
      return 8;
    case MDB_MEMO:
    case MDB_OLE:
      return MDB_MEMO_OVERHEAD;
    case MDB_REPID:
      return 16;
    case MDB_NUMERIC:
      return 17;
    default:
      return 0;
  }
}

// The value of one non-Null field of the current row in its stored form; the
// file and table name a damaged value.
ImportValue DecodeValue(MdbHandle* mdb, MdbColumn* col, const MdbField& field,
                        const std::string& path, const std::string& table) {
  const auto damaged = [&](const std::string& what) {
    return Damaged(
        path, "a value of field " + std::string(col->name) + " of table " + table + " " + what);
  };
  if (field.siz < SmallestValue(col->col_type)) throw damaged("is cut short");
  const unsigned char* at = mdb->pg_buf + field.start;
  switch (col->col_type) {
    case MDB_BYTE:
      return ImportValue::Integer(at[0]);
    case MDB_INT:
      return ImportValue::Integer(ReadInt(at, 2));
    case MDB_LONGINT:
      return ImportValue::Integer(ReadInt(at, 4));
    case MDB_MONEY:
      return ImportValue::Real(static_cast<double>(ReadInt(at, 8)) / 10000.0);
    case MDB_FLOAT:
      return ImportValue::Real(mdb_get_single(mdb->pg_buf, field.start));
    case MDB_DOUBLE:
      return ImportValue::Real(mdb_get_double(mdb->pg_buf, field.start));
    case MDB_DATETIME: {
      // The classic dates run from the year 100 to 9999.
      const double serial = mdb_get_double(mdb->pg_buf, field.start);
      if (!(serial > -657435.0 && serial < 2958466.0)) throw damaged("is not a date");
      return ImportValue::Text(recordstore::DateTextFromSerial(serial));
    }
    case MDB_BINARY:
      return ImportValue::Blob(std::string(reinterpret_cast<const char*>(at), field.siz));
    case MDB_REPID:
      return ImportValue::Text(TakeText(mdb_uuid_to_string(mdb->pg_buf, field.start)));
    case MDB_NUMERIC:
      return ImportValue::Real(std::strtod(
          TakeText(mdb_numeric_to_string(mdb, field.start, col->col_scale, col->col_prec)).c_str(),
          nullptr));
    case MDB_OLE: {
      size_t size = 0;
      void* bytes = mdb_ole_read_full(mdb, col, &size);
      std::string blob(static_cast<const char*>(bytes), bytes ? size : 0);
      free(bytes);
      return ImportValue::Blob(std::move(blob));
    }
    case MDB_MEMO: {
      // The converted text must fit the library's buffer: three bytes of
      // UTF-8 for each stored byte at most.
      const size_t stored = static_cast<size_t>(ReadInt(at, 4)) & 0x3fffffff;
      if (stored > kLargestMemo) throw damaged("claims more than 64 MB");
      mdb_set_bind_size(mdb, std::max<size_t>(MDB_BIND_SIZE, 3 * stored + 16));
      std::string text =
          TakeText(mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_MEMO, field.siz));
      mdb_set_bind_size(mdb, MDB_BIND_SIZE);
      return ImportValue::Text(std::move(text));
    }
    default:  // MDB_TEXT: the definitions hold no other type
      return ImportValue::Text(
          TakeText(mdb_col_to_string(mdb, mdb->pg_buf, field.start, MDB_TEXT, field.siz)));
  }
}

// Throws when a table definition has what no classic file holds: an empty
// name, two fields or indexes of one name, an index without keys.
void CheckDefinition(const TableDefinition& table, const std::string& path) {
  if (table.name.empty()) throw Damaged(path, "a table has no name");
  for (size_t i = 0; i < table.fields.size(); ++i) {
    const std::string& name = table.fields[i].name;
    if (name.empty() || table.FindField(name) != static_cast<int>(i)) {
      throw Damaged(path, "table " + table.name + " has two fields named '" + name +
                              "' or a field without a name");
    }
  }
  for (size_t i = 0; i < table.indexes.size(); ++i) {
    const IndexDefinition& index = table.indexes[i];
    bool repeated = false;
    for (size_t j = 0; j < i; ++j)
      repeated = repeated || SameName(table.indexes[j].name, index.name);
    if (index.name.empty() || repeated || index.keys.empty()) {
      throw Damaged(path, "index " + index.name + " of table " + table.name +
                              " has no name, no keys or a name used twice");
    }
  }
}

}  // namespace

JetFileFacts CheckJetFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ToolError("cannot open " + path + ": " + std::strerror(errno));
  std::array<uint8_t, kHeaderStart + 128> head{};
  in.read(reinterpret_cast<char*>(head.data()), head.size());
  const bool whole = static_cast<size_t>(in.gcount()) == head.size();
  const auto signature = [&](const char* text) {
    return whole && head[0] == 0 && std::memcmp(head.data() + 4, text, std::strlen(text)) == 0;
  };
  if (signature("Standard ACE DB")) {
    throw ToolError(path +
                    " is a file of the 2007 or later engine (.accdb); only Jet 3 and Jet 4 "
                    "files (.mdb) can be imported. Save it as an .mdb file and import that");
  }
  if (!signature("Standard Jet DB")) {
    throw ToolError(path + " is not a classic desktop-database (Jet .mdb) file");
  }
  JetFileFacts facts;
  const int version = head[0x14];
  if (version > 1) {
    throw ToolError(path + " is in a format this import does not read (version code " +
                    std::to_string(version) + "); only Jet 3 and Jet 4 files can be imported");
  }
  facts.version = version == 0 ? 3 : 4;
  facts.pageSize = version == 0 ? 2048 : 4096;
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size % facts.pageSize != 0 ||
      size < uintmax_t{3} * static_cast<uintmax_t>(facts.pageSize)) {
    throw Damaged(path, "it is truncated (" + std::to_string(size) +
                            " bytes is not a whole number of " + std::to_string(facts.pageSize) +
                            "-byte pages)");
  }

  Rc4({0xc7, 0xda, 0x39, 0x6b}, head.data() + kHeaderStart, version == 0 ? 126 : 128);
  facts.codePage = head[kCodePageAt] | head[kCodePageAt + 1] << 8;
  // Jet 4 masks the password with the whole days of the file's creation date.
  std::array<uint8_t, 4> mask{};
  if (facts.version == 4) {
    double created = 0;
    std::memcpy(&created, head.data() + kCreationDateAt, sizeof created);
    const int32_t days =
        std::isfinite(created) && std::fabs(created) < 2e9 ? static_cast<int32_t>(created) : 0;
    std::memcpy(mask.data(), &days, sizeof days);
  }
  const size_t passwordLength = facts.version == 3 ? 20 : 40;
  for (size_t i = 0; i < passwordLength; ++i) {
    if ((head[kPasswordAt + i] ^ mask[i % mask.size()]) != 0) {
      throw ToolError(path +
                      " is protected by a database password; remove the password in the "
                      "classic program and import the file again");
    }
  }
  return facts;
}

struct JetReader::Catalog {
  ~Catalog() {
    if (mdb) mdb_close(mdb);
  }
  MdbHandle* mdb = nullptr;
  std::vector<MdbCatalogEntry*> entries;
  bool jet4 = true;
};

JetReader::JetReader(const std::string& path)
    : path_(path), facts_(CheckJetFile(path)), catalog_(new Catalog) {
  // Text is to reach us as UTF-8 whatever the environment asks for.
  setenv("MDBICONV", "UTF-8", 1);
  MdbHandle* mdb = catalog_->mdb = mdb_open(path.c_str(), MDB_NOFLAGS);
  if (!mdb) throw Damaged(path, "its first page cannot be read");
  catalog_->jet4 = facts_.version == 4;
  // The catalog is the table MSysObjects; every object it lists must be read.
  if (!mdb_read_catalog(mdb, MDB_ANY)) throw Damaged(path, "its catalog cannot be read");
  std::vector<MdbCatalogEntry*> entries;
  int64_t catalogRows = -1;
  for (unsigned i = 0; i < mdb->num_catalog; ++i) {
    auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
    if (entry->object_type == MDB_TABLE && std::strcmp(entry->object_name, "MSysObjects") == 0) {
      TableDef catalog(mdb_read_table(entry));
      if (catalog.def) catalogRows = catalog.def->num_rows;
    }
    if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry)) entries.push_back(entry);
  }
  if (catalogRows != static_cast<int64_t>(mdb->num_catalog)) {
    throw Damaged(path, "its catalog of tables cannot be read whole");
  }
  for (MdbCatalogEntry* entry : entries) {
    TableDef table(mdb_read_table(entry));
    OpenTable(table, entry, path, true);
    TableDefinition definition;
    definition.name = entry->object_name;
    for (unsigned c = 0; c < table.def->num_cols; ++c) {
      const MdbColumn* col = table.Column(c);
      const auto declared = DeclaredTypeFor(col->col_type, col->col_size, catalog_->jet4);
      if (!declared) {
        throw ToolError(path + ": field " + col->name + " of table " + definition.name +
                        " has a type (code " + std::to_string(col->col_type) +
                        ") that cannot be imported");
      }
      definition.fields.push_back({col->name, *declared});
    }
    const unsigned indexCount = table.def->indices ? table.def->indices->len : 0;
    for (unsigned x = 0; x < indexCount; ++x) {
      const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table.def->indices, x));
      if (index->index_type == 2) continue;  // the engine's own index behind a relationship
      IndexDefinition out{
          index->name, index->index_type == 1 || (index->flags & MDB_IDX_UNIQUE), {}};
      for (unsigned k = 0; k < index->num_keys && k < MDB_MAX_IDX_COLS; ++k) {
        const int column = index->key_col_num[k] - 1;
        if (column < 0 || column >= static_cast<int>(table.def->num_cols)) {
          throw Damaged(path, "index " + out.name + " of table " + definition.name +
                                  " names a field the table does not have");
        }
        out.keys.push_back({table.Column(column)->name, index->key_col_order[k] == MDB_DESC});
      }
      definition.indexes.push_back(std::move(out));
    }
    CheckDefinition(definition, path);
    catalog_->entries.push_back(entry);
    tables_.push_back(std::move(definition));
  }
}

JetReader::~JetReader() = default;

int64_t JetReader::ReadRows(size_t table, const std::function<void(const ImportRow&)>& row) {
  MdbHandle* mdb = catalog_->mdb;
  MdbCatalogEntry* entry = catalog_->entries.at(table);
  const std::string& name = tables_[table].name;
  TableDef open(mdb_read_table(entry));
  OpenTable(open, entry, path_, false);
  MdbTableDef* def = open.def;
  const size_t columns = def->num_cols;
  // An OLE value is read through the copy of its header the library keeps in
  // the column's bound buffer.
  std::vector<std::vector<char>> bound(columns);
  for (size_t c = 0; c < columns; ++c) {
    if (open.Column(c)->col_type != MDB_OLE) continue;
    bound[c].resize(MDB_BIND_SIZE);
    mdb_bind_column(def, static_cast<int>(c + 1), bound[c].data(), nullptr);
  }
  mdb_rewind_table(def);
  const int64_t expected = def->num_rows;
  const auto pageSize = static_cast<size_t>(mdb->fmt->pg_size);
  std::vector<MdbField> fields(std::max<size_t>(columns, MDB_MAX_COLS));
  ImportRow values(columns);
  int64_t count = 0;
  while (mdb_fetch_row(def)) {
    if (++count > expected) break;
    int start = 0;
    size_t length = 0;
    if (def->cur_row == 0 ||
        mdb_find_row(mdb, static_cast<int>(def->cur_row - 1), &start, &length) != 0) {
      throw Damaged(path_, "a row of table " + name + " cannot be found on its page");
    }
    start &= kRowOffsetMask;
    if (length == 0 || start + length > pageSize ||
        mdb_crack_row(def, start, length, fields.data()) <= 0) {
      throw Damaged(path_, "a row of table " + name + " lies outside its page");
    }
    for (size_t i = 0; i < columns; ++i) {
      const MdbField& field = fields[i];
      if (field.colnum < 0 || static_cast<size_t>(field.colnum) >= columns) {
        throw Damaged(path_, "a row of table " + name + " does not match its definition");
      }
      MdbColumn* col = open.Column(static_cast<size_t>(field.colnum));
      ImportValue& value = values[static_cast<size_t>(field.colnum)];
      if (col->col_type == MDB_BOOL) {
        value = ImportValue::Integer(field.is_null ? 0 : -1);  // the null bit holds the value
      } else if (field.is_null) {
        value = ImportValue();
      } else if (field.start < 0 || field.siz < 0 ||
                 static_cast<size_t>(field.start) + static_cast<size_t>(field.siz) > pageSize) {
        throw Damaged(path_, "a value of field " + std::string(col->name) + " of table " + name +
                                 " lies outside its page");
      } else {
        value = DecodeValue(mdb, col, field, path_, name);
      }
    }
    row(values);
  }
  if (count != expected) {
    throw Damaged(path_, "table " + name + " should hold " + std::to_string(expected) +
                             " rows, but " + (count > expected ? "more" : std::to_string(count)) +
                             " could be read");
  }
  return count;
}

}  // namespace dorvanedata
