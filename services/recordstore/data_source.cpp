// Server path parsing with libpq's own URI parser, so that the store reads a
// URI exactly as the connection will.
#include "services/recordstore/data_source.h"

#if DORVANE_POSTGRES
#include <libpq-fe.h>
#endif
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "services/base/text_case.h"
#include "services/recordstore/store_errors.h"

namespace recordstore {
namespace {

constexpr const char* kSchemes[] = {"postgresql://", "postgres://"};

// The length of the scheme of a server URI that starts at `at` in `text`, or 0.
size_t SchemeAt(const std::string& text, size_t at) {
  for (const char* scheme : kSchemes) {
    const size_t length = std::char_traits<char>::length(scheme);
    if (text.size() - at >= length && strncasecmp(text.c_str() + at, scheme, length) == 0) {
      return length;
    }
  }
  return 0;
}

// True when a query parameter's name, percent-decoded and folded, is "password".
bool IsPasswordName(std::string_view name) {
  std::string decoded;
  for (size_t i = 0; i < name.size(); ++i) {
    if (name[i] == '%' && i + 2 < name.size() &&
        std::isxdigit(static_cast<unsigned char>(name[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(name[i + 2]))) {
      decoded += static_cast<char>(std::stoi(std::string(name.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      decoded += name[i];
    }
  }
  return base::LowerAscii(decoded) == "password";
}

// The [start, end) spans of the passwords of the server URIs in `text`, in
// order and apart (a URI written inside another's value may overlap it).
std::vector<std::pair<size_t, size_t>> PasswordSpans(const std::string& text) {
  constexpr const char* kBlanksAndQuotes = " \t\r\n\"'";
  std::vector<std::pair<size_t, size_t>> spans;
  for (size_t start = 0; start < text.size(); ++start) {
    const size_t length = SchemeAt(text, start);
    if (length == 0) continue;
    const size_t from = start + length;
    const size_t end = std::min(text.find_first_of(kBlanksAndQuotes, from), text.size());
    // user:password@host, up to the path or the query.
    const size_t authorityEnd = std::min(text.find_first_of("/?", from), end);
    const size_t at = text.rfind('@', authorityEnd - 1);
    const size_t colon = text.find(':', from);
    if (at != std::string::npos && at >= from && colon < at) spans.emplace_back(colon + 1, at);
    // name=value parameters of the query, up to the file after a backslash.
    const size_t query = text.find('?', from);
    if (query >= end) continue;
    const size_t queryEnd = std::min(text.find('\\', query), end);
    for (size_t param = query + 1; param < queryEnd;) {
      const size_t stop = std::min(text.find('&', param), queryEnd);
      const size_t equals = text.find('=', param);
      if (equals < stop && IsPasswordName(std::string_view(text).substr(param, equals - param))) {
        spans.emplace_back(equals + 1, stop);
      }
      param = stop + 1;
    }
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<size_t, size_t>> apart;
  for (const auto& span : spans) {
    if (!apart.empty() && span.first <= apart.back().second) {
      apart.back().second = std::max(apart.back().second, span.second);
    } else {
      apart.push_back(span);
    }
  }
  return apart;
}

}  // namespace

std::string HidePasswords(const std::string& text) {
  std::string shown = text;
  const auto spans = PasswordSpans(text);
  for (auto span = spans.rbegin(); span != spans.rend(); ++span) {
    shown.replace(span->first, span->second - span->first, "***");
  }
  return shown;
}

std::string HidePasswords(std::string message, const std::string& uri) {
  for (const auto& [start, end] : PasswordSpans(uri)) {
    if (end == start) continue;
    const std::string quoted = "\"" + uri.substr(start, end - start) + "\"";
    for (size_t at = message.find(quoted); at != std::string::npos;
         at = message.find(quoted, at + 1)) {
      message.replace(at, quoted.size(), "\"***\"");
    }
  }
  return HidePasswords(message);
}

bool IsServerPath(const std::string& path) { return SchemeAt(path, 0) != 0; }

ServerSource ParseServerPath(const std::string& path) {
  ServerSource source;
  const std::string shown = HidePasswords(path);
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
#if !DORVANE_POSTGRES
  throw FileNotFound(shown,
                     ": this build of the record store opens data folders only, not a server");
#else
  char* message = nullptr;
  PQconninfoOption* options = PQconninfoParse(source.uri.c_str(), &message);
  if (options == nullptr) {
    std::string reason = message != nullptr ? message : "out of memory";
    PQfreemem(message);
    while (!reason.empty() && std::isspace(static_cast<unsigned char>(reason.back()))) {
      reason.pop_back();
    }
    throw FileNotFound(shown, ": the server address is not a valid connection URI (" +
                                  HidePasswords(reason, source.uri) + ")");
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
  source.user = user;
  source.host = (host.empty() ? "localhost" : host) + (port.empty() ? "" : ":" + port);
  source.database = database.empty() ? (user.empty() ? "(default)" : user) : database;
  // A service names its server and database in a file the display cannot
  // read, so it shows: two services are two databases, never one connection.
  source.display = "postgresql://" + (user.empty() ? "" : user + "@") + source.host + "/" +
                   source.database + (service.empty() ? "" : "?service=" + service) + "\\" + file;
  return source;
#endif
}

#if !DORVANE_POSTGRES
// Without the server engine no server database can be opened, so none is
// there to be found (the open that follows says why).
bool ServerDatabaseExists(const std::string&) { return false; }
#endif

}  // namespace recordstore
