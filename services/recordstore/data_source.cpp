// Server path parsing with libpq's own URI parser, so that the store reads a
// URI exactly as the connection will.
#include "services/recordstore/data_source.h"

#include <libpq-fe.h>
#include <strings.h>

#include <cctype>
#include <memory>

#include "services/base/text_case.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {
namespace {

constexpr const char* kSchemes[] = {"postgresql://", "postgres://"};

// The path with any password of its URI left out, for messages.
std::string WithoutPassword(const std::string& path) {
  for (const char* scheme : kSchemes) {
    size_t length = std::char_traits<char>::length(scheme);
    if (path.size() < length || strncasecmp(path.c_str(), scheme, length) != 0) continue;
    size_t end = path.find_first_of("/?\\", length);
    std::string authority = path.substr(length, end == std::string::npos ? end : end - length);
    size_t at = authority.rfind('@');
    size_t colon = authority.find(':');
    if (at != std::string::npos && colon != std::string::npos && colon < at) {
      authority = authority.substr(0, colon) + authority.substr(at);
    }
    std::string rest = end == std::string::npos ? "" : path.substr(end);
    // A password given as a query parameter is dropped with its value.
    size_t password = rest.find("password=");
    if (password != std::string::npos) {
      size_t stop = rest.find_first_of("&\\", password);
      rest.erase(password, stop == std::string::npos ? std::string::npos : stop - password);
    }
    std::string shown = path.substr(0, length);
    shown.append(authority).append(rest);
    return shown;
  }
  return path;
}

}  // namespace

bool IsServerPath(const std::string& path) {
  for (const char* scheme : kSchemes) {
    size_t length = std::char_traits<char>::length(scheme);
    if (path.size() >= length && strncasecmp(path.c_str(), scheme, length) == 0) return true;
  }
  return false;
}

ServerSource ParseServerPath(const std::string& path) {
  ServerSource source;
  const std::string shown = WithoutPassword(path);
  size_t slash = path.rfind('\\');
  std::string file = slash == std::string::npos ? "" : path.substr(slash + 1);
  if (file.empty()) {
    throw FileNotFound(shown, ": no database file name follows the server address");
  }
  source.uri = path.substr(0, slash);
  while (!source.uri.empty() && source.uri.back() == '\\') source.uri.pop_back();
  size_t dot = file.rfind('.');
  for (char c : dot == std::string::npos ? file : file.substr(0, dot)) {
    source.schema += base::LowerAscii(c);
  }
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(source.uri.c_str(), &message);
  if (options == nullptr) {
    std::string reason = message != nullptr ? message : "out of memory";
    PQfreemem(message);
    while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back()))) {
      reason.pop_back();
    }
    // libpq quotes the text it could not read, password and all.
    for (size_t at = reason.find(source.uri); at != std::string::npos;
         at = reason.find(source.uri)) {
      reason.replace(at, source.uri.size(), WithoutPassword(source.uri));
    }
    throw FileNotFound(shown,
                       ": the server address is not a valid connection URI (" + reason + ")");
  }
  std::string user, host, port, database, service;
  for (PQconninfoOption* option = options; option->keyword != nullptr; ++option) {
    std::string value = option->val != nullptr ? option->val : "";
    std::string keyword = option->keyword;
    if (keyword == "user") user = value;
    if (keyword == "host" || (keyword == "hostaddr" && host.empty())) host = value;
    if (keyword == "port") port = value;
    if (keyword == "dbname") database = value;
    if (keyword == "service") service = value;
  }
  PQconninfoFree(options);
  source.host = (host.empty() ? "localhost" : host) + (port.empty() ? "" : ":" + port);
  source.database = database.empty() ? (user.empty() ? "(default)" : user) : database;
  // A service names its server and database in a file the display cannot
  // read, so it shows: two services are two databases, never one connection.
  source.display = "postgresql://" + (user.empty() ? "" : user + "@") + source.host + "/" +
                   source.database + (service.empty() ? "" : "?service=" + service) + "\\" + file;
  return source;
}

}  // namespace recordstore
