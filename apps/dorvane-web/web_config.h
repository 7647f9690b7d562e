// The configuration of dorvane-web, read from a JSON file: where it listens,
// the secret that signs tickets, the origins whose pages may open sessions,
// the data sources by name (a folder or a postgresql:// URI) and the limits
// that keep one user or one flood from taking the server. SourcePlaces turns
// a source name a browser gives into the place it stands for, and every place
// back into its name in what is sent, so that no browser sees a path, a URI
// or a password. Relies on nlohmann-json and the record store's data sources.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apps/dorvane-web/ticket.h"

namespace dorvaneweb {

struct Limits {
  int sessions = 300;           // open sessions in all
  int sessionsPerUser = 8;      // open sessions of one ticket's user
  double inputsPerSecond = 40;  // sustained input of one session
  int inputBurst = 120;         // input a session may send at once
  int idleSeconds = 1800;       // a session without input ends
  int resumeSeconds = 180;      // a session outlives its socket this long
  int keptMessages = 200;       // kept for a resume; beyond, a new snapshot
  int serverSessions = 40;      // PostgreSQL sessions per database URI
  int sqliteHeapMiB = 16;       // SQLite's memory for all the sessions' files
  int sqliteCachePages = 0;     // pages of a data file a session keeps between reads
};

struct Config {
  std::string address = "127.0.0.1";
  unsigned short port = 8080;
  std::string secret;
  std::vector<std::string> origins;  // empty: only pages the server serves itself
  std::map<std::string, std::string> sources;
  Limits limits;
  bool testMode = false;    // a hello may fix today's date
  bool localPaths = false;  // PathText may also be a path (loopback only)
};

// Reads the file at `path` into `config`; the reason when it cannot be used.
std::optional<std::string> LoadConfig(const std::string& path, Config& config);
// What makes a configuration unsafe to serve with: no secret, or local paths
// while listening beyond the loopback; empty when none.
std::string ConfigProblem(const Config& config);
// True for 127.0.0.0/8, ::1 and "localhost".
bool IsLoopback(const std::string& address);

// Places of source names, and names of places.
class SourcePlaces {
 public:
  // `emptyFolder` stands for every name that is unknown or not allowed.
  SourcePlaces(const Config& config, std::string emptyFolder);
  // The place of `name` for a session whose ticket is `ticket`: the
  // configured one when the ticket allows it, the path itself in the local
  // test mode, else the empty folder.
  std::string PlaceOf(const std::string& name, const Ticket& ticket) const;
  // Pairs (text as the server writes it, name to show) for Scrub.
  const std::vector<std::pair<std::string, std::string>>& Names() const { return names_; }
  // The same with the words of `place`, the source `name` of a session,
  // first where one of them is as long as another source's: a server two
  // sources share is named as the session's own.
  std::vector<std::pair<std::string, std::string>> NamesWith(const std::string& place,
                                                             const std::string& name) const;
  const std::string& EmptyFolder() const { return emptyFolder_; }

 private:
  const Config& config_;
  std::string emptyFolder_;
  std::vector<std::pair<std::string, std::string>> names_;
};

// `text` with each place of `names` written as its name and every password of
// a server URI hidden.
std::string Scrub(std::string text, const std::vector<std::pair<std::string, std::string>>& names);

// A folder without MAIN.MDB of this process (made under the temporary folder).
std::string MakeEmptyFolder();

}  // namespace dorvaneweb
