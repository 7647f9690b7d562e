// A data source on a database server: the path text "postgresql://...\MAIN.MDB"
// (or "postgres://") names a database by a libpq connection URI and, after the
// last backslash, a database file of a data folder, which on the server is the
// schema named as the file without its extension, in lower case (MAIN.MDB is
// schema main, QRLSYS.mdb schema qrlsys). Messages name the server by
// Display(), which never holds the password. Relies on libpq's URI parser.
#pragma once

#include <string>

namespace recordstore {

struct ServerSource {
  std::string uri;       // the connection URI as given, password included
  std::string schema;    // the schema of the database file
  std::string host;      // for messages: host (or socket folder) and port
  std::string database;  // for messages: the database name
  std::string user;      // the role the URI names, or empty
  std::string display;   // "postgresql://user@host:port/database\FILE", no password
};

// True when `path` starts with postgresql:// or postgres:// (any case).
bool IsServerPath(const std::string& path);

// Splits a server path into its parts. Raises 3024 for a path without a file
// name and for a URI that libpq cannot read (showing no password).
ServerSource ParseServerPath(const std::string& path);

// `text` with the password of every server URI written in it shown as "***":
// the one after "user:" and the value of every query parameter named password
// (in any case or percent-encoding, as a user may mistype it). A URI ends at a
// blank or a quote, its query also at a backslash. For messages and printed
// values; the rest of the text is kept.
std::string HidePasswords(const std::string& text);

// libpq's `message` about `uri` with its passwords hidden, also where libpq
// quotes one on its own (a percent-encoding it could not read).
std::string HidePasswords(std::string message, const std::string& uri);

// True when the server path names a schema that a connection can open now
// (a session opened for the test is kept for the open that follows).
bool ServerDatabaseExists(const std::string& path);

}  // namespace recordstore
