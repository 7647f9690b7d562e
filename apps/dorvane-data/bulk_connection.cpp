// The data tool's libpq layer (see the header). COPY uses the text format:
// columns split by tabs, \N for NULL, and backslash escapes for backslash,
// tab, newline and carriage return.
#include "bulk_connection.h"

#include <libpq-fe.h>

#include <memory>

#include "schema.h"
#include "services/recordstore/data_source.h"
#include "services/recordstore/pg_session.h"
#include "sqlite_file.h"

namespace dorvanedata {
namespace {

using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

constexpr size_t kCopyChunk = 1 << 16;

// Appends a value to a COPY text line.
void AppendCopyValue(std::string& line, const std::optional<std::string>& value) {
  if (!value) {
    line += "\\N";
    return;
  }
  for (char c : *value) {
    switch (c) {
      case '\\':
        line += "\\\\";
        break;
      case '\t':
        line += "\\t";
        break;
      case '\n':
        line += "\\n";
        break;
      case '\r':
        line += "\\r";
        break;
      default:
        line += c;
    }
  }
}

// Reads one COPY text line (without its newline) into values.
Row ParseCopyLine(std::string_view line) {
  Row row;
  std::string value;
  bool escaped = false;
  bool null = false;
  auto finish = [&] {
    row.push_back(null ? std::nullopt : std::optional<std::string>(std::move(value)));
    value.clear();
    null = false;
  };
  for (char c : line) {
    if (escaped) {
      escaped = false;
      switch (c) {
        case 'N':
          null = true;
          break;
        case 't':
          value += '\t';
          break;
        case 'n':
          value += '\n';
          break;
        case 'r':
          value += '\r';
          break;
        default:
          value += c;
      }
    } else if (c == '\\') {
      escaped = true;
    } else if (c == '\t') {
      finish();
    } else {
      value += c;
    }
  }
  finish();
  return row;
}

// A libpq message without its trailing newline.
std::string Trimmed(std::string_view text) { return std::string(Trim(text)); }

// The server's message without its trailing newline.
std::string Message(PGconn* conn) { return Trimmed(PQerrorMessage(conn)); }

}  // namespace

BulkConnection::BulkConnection(const std::string& uri) {
  char* parseError = nullptr;
  PQconninfoOption* parsed = PQconninfoParse(uri.c_str(), &parseError);
  if (parsed == nullptr) {
    const std::string message =
        parseError ? Trimmed(recordstore::HidePasswords(parseError, uri)) : "out of memory";
    PQfreemem(parseError);
    throw ToolError("not a valid server address: " + message);
  }
  PQconninfoFree(parsed);
  link_ = std::make_shared<recordstore::ServerLink>(uri);
  conn_ = link_->Conn();
  if (conn_ == nullptr)
    throw ToolError("cannot connect to " + recordstore::HidePasswords(uri) + ": out of memory");
  const char* host = PQhost(conn_);
  const char* port = PQport(conn_);
  const char* db = PQdb(conn_);
  where_ = std::string("database ") + (db && *db ? db : "?") + " on " + (host ? host : "?") +
           (port && *port ? ":" + std::string(port) : "");
  if (PQstatus(conn_) != CONNECTION_OK) {
    const std::string message = recordstore::HidePasswords(Message(conn_), uri);
    link_.reset();
    conn_ = nullptr;
    throw ToolError("cannot connect to " + where_ + ": " + message);
  }
  Exec("SET client_min_messages = warning");
}

BulkConnection::~BulkConnection() = default;

void BulkConnection::Fail(std::string_view doing) {
  throw ToolError("cannot " + std::string(doing) + " in " + where_ + ": " + Message(conn_));
}

void BulkConnection::Exec(std::string_view sql) {
  Result result(PQexec(conn_, std::string(sql).c_str()), &PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
    Fail("run \"" + std::string(sql) + "\"");
}

std::vector<Row> BulkConnection::Query(std::string_view sql) {
  Result result(PQexec(conn_, std::string(sql).c_str()), &PQclear);
  if (PQresultStatus(result.get()) != PGRES_TUPLES_OK) Fail("run \"" + std::string(sql) + "\"");
  std::vector<Row> rows;
  for (int r = 0; r < PQntuples(result.get()); ++r) {
    Row row;
    for (int c = 0; c < PQnfields(result.get()); ++c) {
      if (PQgetisnull(result.get(), r, c)) {
        row.emplace_back();
      } else {
        row.emplace_back(PQgetvalue(result.get(), r, c));
      }
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

void BulkConnection::BeginCopyIn(std::string_view sql) {
  Result result(PQexec(conn_, std::string(sql).c_str()), &PQclear);
  if (PQresultStatus(result.get()) != PGRES_COPY_IN) Fail("start \"" + std::string(sql) + "\"");
  copyBuffer_.clear();
}

void BulkConnection::CopyRow(const Row& row) {
  for (size_t i = 0; i < row.size(); ++i) {
    if (i > 0) copyBuffer_ += '\t';
    AppendCopyValue(copyBuffer_, row[i]);
  }
  copyBuffer_ += '\n';
  if (copyBuffer_.size() >= kCopyChunk) FlushCopy();
}

void BulkConnection::FlushCopy() {
  if (copyBuffer_.empty()) return;
  if (PQputCopyData(conn_, copyBuffer_.data(), static_cast<int>(copyBuffer_.size())) != 1) {
    Fail("send rows");
  }
  copyBuffer_.clear();
}

void BulkConnection::EndCopyIn() {
  FlushCopy();
  if (PQputCopyEnd(conn_, nullptr) != 1) Fail("finish sending rows");
  // The first failed result names the cause; the rest are drained first.
  std::string failure;
  while (PGresult* raw = PQgetResult(conn_)) {
    Result result(raw, &PQclear);
    if (PQresultStatus(raw) != PGRES_COMMAND_OK && failure.empty()) {
      failure = PQresultErrorMessage(raw);
      if (failure.empty()) failure = "the server refused the rows";
    }
  }
  while (!failure.empty() && failure.back() == '\n') failure.pop_back();
  if (!failure.empty()) throw ToolError("cannot write rows in " + where_ + ": " + failure);
}

void BulkConnection::CopyOut(std::string_view sql, const std::function<void(const Row&)>& take) {
  {
    Result result(PQexec(conn_, std::string(sql).c_str()), &PQclear);
    if (PQresultStatus(result.get()) != PGRES_COPY_OUT) Fail("read rows");
  }
  char* buffer = nullptr;
  int length = 0;
  while ((length = PQgetCopyData(conn_, &buffer, 0)) > 0) {
    std::string_view line(buffer, static_cast<size_t>(length));
    if (line.ends_with('\n')) line.remove_suffix(1);
    Row row = ParseCopyLine(line);
    PQfreemem(buffer);
    take(row);
  }
  if (length == -2) Fail("read rows");
  Result result(PQgetResult(conn_), &PQclear);
  if (PQresultStatus(result.get()) != PGRES_COMMAND_OK) Fail("read rows");
  while (PGresult* rest = PQgetResult(conn_)) PQclear(rest);
}

}  // namespace dorvanedata
