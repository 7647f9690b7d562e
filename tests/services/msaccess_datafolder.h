// A temporary data folder for the tests of the shared modules: MAIN.MDB with
// the tables of the system's layout and QRLSYS.mdb with an empty SYSSETTINGS,
// made with plain SQLite, removed again when the folder object goes away.
// Also a table opened through the record store, and a message-box recorder
// installed as the process's Desktop.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "services/recordstore/recordstore.h"
#include "services/screen/desktop.h"

class DataFolder {
 public:
  // Creates the folder; without QRLSYS.mdb when withQrlsys is false.
  explicit DataFolder(bool withQrlsys = true);
  ~DataFolder();
  DataFolder(const DataFolder&) = delete;
  DataFolder& operator=(const DataFolder&) = delete;

  const std::string& Path() const { return path_; }
  // Runs SQL statements on a file of the folder ("MAIN.MDB" or "QRLSYS.mdb").
  void Exec(const std::string& file, const std::string& sql) const;
  // The first column of the first row of a query as SQLite writes it as
  // text, "NULL" for a Null value and "(none)" when there is no row.
  std::string Query(const std::string& file, const std::string& sql) const;

 private:
  std::string path_;
};

// Installs a headless desktop that records message boxes for the life of the
// object, then puts the built-in one back.
class BoxRecorder {
 public:
  BoxRecorder() { screen::SetDesktop(&desktop_); }
  ~BoxRecorder() { screen::SetDesktop(nullptr); }
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  const std::vector<screen::HeadlessDesktop::MessageBox>& Boxes() const {
    return desktop_.messageBoxes;
  }

 private:
  screen::HeadlessDesktop desktop_;
};

// A table of the folder's MAIN.MDB opened as a table-type recordset through a
// workspace of its own.
struct OpenTable {
  OpenTable(const DataFolder& folder, const std::string& table)
      : wks(recordstore::DBEngine::Instance()->CreateWorkspace("wksTEST")),
        db(wks->OpenDatabase(folder.Path() + "\\MAIN.MDB")),
        rs(db->OpenRecordset(table)) {}

  std::shared_ptr<recordstore::Workspace> wks;
  std::shared_ptr<recordstore::Database> db;
  std::shared_ptr<recordstore::Recordset> rs;
};
