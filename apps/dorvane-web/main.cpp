// dorvane-web: the control in web browsers. Serves the <dorvane-control>
// element's files and the WebSocket endpoint /session, one session (a screen
// with a ztDorvane, on a thread of its own) per browser, with the data
// sources, secret, origins and limits of a configuration file
// (docs/web-protocol.md, README "In a web browser"). --mint-ticket prints a
// ticket signed with the configuration's secret and ends. Exit status 0, 1
// when it cannot serve, 2 for a bad command line or configuration.
#include <sqlite3.h>

#include <ctime>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "apps/command-line/command_line.h"
#include "apps/dorvane-web/server.h"
#include "services/recordstore/db_engine.h"

namespace {

// The element's folder: installed beside the program (../share/dorvane/web/
// element), else the source tree's when run from a build.
std::string DefaultWww(const char* argv0) {
  std::error_code ec;
  const auto exe = std::filesystem::canonical("/proc/self/exe", ec);
  if (!ec) {
    const auto installed = exe.parent_path().parent_path() / "share/dorvane/web/element";
    if (std::filesystem::is_directory(installed, ec)) return installed.string();
  }
  return DORVANE_SOURCE_WWW;
}

}  // namespace

int main(int argc, char** argv) {
  // Each session opens its own SQLite connections, and SQLite hands every new
  // page cache 20 pages at once (about 80 KiB) before it reads the first one;
  // with hundreds of sessions that is most of their memory. Without the bulk
  // allocation a cache holds only the pages it has read. This must come
  // before anything else calls SQLite.
  sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
  dorvaneweb::ServerOptions options;
  std::string configPath;
  std::string listen;
  std::vector<std::string> tls;
  std::vector<std::string> mint;
  CLI::App app(
      "Serves the control to web browsers: the <dorvane-control> element's files and one "
      "WebSocket session per page, with the data sources of a configuration file.");
  commandline::Configure(app, "dorvane-web");
  app.add_option("--config", configPath, "The configuration file (JSON)")->required();
  app.add_option("--listen", listen, "Listen on HOST:PORT instead of the configuration's");
  app.add_option("--www", options.www, "The element's folder, served under /dorvane/");
  app.add_option("--site", options.site, "A folder of pages served under /");
  app.add_option("--tls", tls, "Serve HTTPS and WSS with this PEM certificate chain and key")
      ->expected(2)
      ->type_name("CERT KEY");
  app.add_option("--threads", options.threads, "Threads that serve the sockets")
      ->check(CLI::Range(1, 64));
  app.add_option("--mint-ticket", mint,
                 "Print a ticket for USER allowed SOURCES (comma-separated) for SECONDS, and end")
      ->expected(3)
      ->type_name("USER SOURCES SECONDS");
  if (const auto done = commandline::Parse(app, argc, argv)) return *done;

  dorvaneweb::Config& config = options.config;
  if (auto problem = dorvaneweb::LoadConfig(configPath, config)) {
    std::cerr << "dorvane-web: " << *problem << "\n";
    return commandline::kUsageStatus;
  }
  if (!listen.empty()) {
    const size_t colon = listen.rfind(':');
    try {
      config.address = listen.substr(0, colon);
      config.port = static_cast<unsigned short>(std::stoi(listen.substr(colon + 1)));
    } catch (const std::exception&) {
      std::cerr << "dorvane-web: --listen needs HOST:PORT\n";
      return commandline::kUsageStatus;
    }
  }
  if (const std::string problem = dorvaneweb::ConfigProblem(config); !problem.empty()) {
    std::cerr << "dorvane-web: " << problem << "\n";
    return commandline::kUsageStatus;
  }
  if (!mint.empty()) {
    dorvaneweb::Ticket ticket;
    ticket.user = mint[0];
    std::stringstream names(mint[1]);
    for (std::string name; std::getline(names, name, ',');) {
      if (!name.empty()) ticket.sources.push_back(name);
    }
    try {
      ticket.exp = static_cast<int64_t>(std::time(nullptr)) + std::stoll(mint[2]);
    } catch (const std::exception&) {
      std::cerr << "dorvane-web: --mint-ticket needs a number of seconds\n";
      return commandline::kUsageStatus;
    }
    std::cout << dorvaneweb::MintTicket(ticket, config.secret) << "\n";
    return 0;
  }
  if (options.www.empty()) options.www = DefaultWww(argv[0]);
  if (!tls.empty()) {
    options.tlsCert = tls[0];
    options.tlsKey = tls[1];
  }
  // Server sessions are lent per action; each database gets at most this many.
  recordstore::DBEngine::Instance()->SetServerSessions(config.limits.serverSessions, 60);
  // Every session's files keep a page cache of their own; past this bound,
  // SQLite reuses cached pages instead of growing (the files stay in the
  // system's cache, so a page read again costs a copy, not a disk read).
  sqlite3_soft_heap_limit64(static_cast<sqlite3_int64>(config.limits.sqliteHeapMiB) << 20);
  // Between reads a session keeps only this many pages of its files: the
  // system's file cache holds them once for all the sessions, and a page read
  // again costs a copy.
  recordstore::DBEngine::Instance()->SetFileCachePages(config.limits.sqliteCachePages);
  try {
    dorvaneweb::Server server(options);
    const unsigned short port = server.Listen();
    std::cout << "dorvane-web: listening on " << (tls.empty() ? "http" : "https") << "://"
              << config.address << ":" << port << "/" << std::endl;
    server.Run();
  } catch (const std::exception& error) {
    std::cerr << "dorvane-web: " << error.what() << "\n";
    return 1;
  }
  return 0;
}
