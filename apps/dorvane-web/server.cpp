// The listener, the HTTP side (static files, the upgrade) and the WebSocket
// connections of dorvane-web (see the header). Each connection runs on a
// strand; frames a session sends are posted to it and written one at a time.
#include "apps/dorvane-web/server.h"

#include <algorithm>
#include <boost/asio/signal_set.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

namespace dorvaneweb {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;

constexpr size_t kMostInbound = 8 * 1024;  // a larger frame closes with 1009
// Frames up to this size are read whole and refused with a close handshake of
// our own, which a browser sees as a clean 1009; past it the library fails the
// connection at the frame's header, which a browser may see as 1006.
constexpr size_t kMostRead = 64 * 1024;
constexpr size_t kMostQueuedOut = 4 * 1024 * 1024;  // a socket this far behind is closed

// What the connections share.
struct Shared {
  const ServerOptions& options;
  SessionTable& table;
};

// The content type of a file by its extension.
std::string ContentType(const std::filesystem::path& path) {
  const std::string ext = path.extension().string();
  if (ext == ".html") return "text/html; charset=utf-8";
  if (ext == ".js" || ext == ".mjs") return "text/javascript; charset=utf-8";
  if (ext == ".css") return "text/css; charset=utf-8";
  if (ext == ".json") return "application/json";
  if (ext == ".svg") return "image/svg+xml";
  if (ext == ".png") return "image/png";
  if (ext == ".ico") return "image/x-icon";
  return "text/plain; charset=utf-8";
}

// The file a request path names under /dorvane/ (the element) or / (the
// site), or empty: no "..", no backslash, no percent sign, no hidden file.
std::filesystem::path FileOf(const ServerOptions& options, std::string target) {
  target = target.substr(0, target.find_first_of("?#"));
  if (target.empty() || target[0] != '/' || target.find("..") != std::string::npos ||
      target.find_first_of("\\%") != std::string::npos || target.find("/.") != std::string::npos) {
    return {};
  }
  std::filesystem::path root;
  std::string rest;
  if (target.rfind("/dorvane/", 0) == 0) {
    root = options.www;
    rest = target.substr(9);
  } else if (!options.site.empty()) {
    root = options.site;
    rest = target.substr(1);
  }
  if (root.empty()) return {};
  std::filesystem::path file = root / rest;
  std::error_code ec;
  if (std::filesystem::is_directory(file, ec)) file /= "index.html";
  if (!std::filesystem::is_regular_file(file, ec)) return {};
  return file;
}

// True when a page of `origin` may open sessions: one of the configured
// origins, or with none configured the server's own (its Host); a client
// that sends no Origin (no browser) passes, since the ticket is checked.
bool OriginAllowed(const Config& config, const http::request<http::string_body>& request) {
  const auto found = request.find(http::field::origin);
  if (found == request.end()) return true;
  const std::string origin(found->value());
  if (!config.origins.empty()) {
    return std::find(config.origins.begin(), config.origins.end(), origin) != config.origins.end();
  }
  const std::string host(request[http::field::host]);
  return origin == "http://" + host || origin == "https://" + host;
}

// One WebSocket connection and the session bound to it.
template <class Stream>
class Socket : public std::enable_shared_from_this<Socket<Stream>> {
 public:
  Socket(Stream&& stream, Shared shared) : ws_(std::move(stream)), shared_(shared) {}

  void Accept(http::request<http::string_body> request) {
    ws_.set_option(websocket::stream_base::timeout::suggested(beast::role_type::server));
    ws_.set_option(websocket::stream_base::decorator([](websocket::response_type& response) {
      response.set(http::field::server, "dorvane-web");
    }));
    ws_.read_message_max(kMostRead);
    request_ = std::move(request);
    ws_.async_accept(request_,
                     beast::bind_front_handler(&Socket::OnAccept, this->shared_from_this()));
  }

 private:
  void OnAccept(beast::error_code ec) {
    if (ec) return;
    Read();
  }

  void Read() {
    ws_.async_read(buffer_, beast::bind_front_handler(&Socket::OnRead, this->shared_from_this()));
  }

  void OnRead(beast::error_code ec, size_t) {
    if (ec) {
      if (session_) session_->Detach(linkId_);
      return;
    }
    if (!ws_.got_text()) {
      buffer_.consume(buffer_.size());
      Write(R"({"type":"error","message":"Frames must be JSON text."})");
      return Read();
    }
    if (buffer_.size() > kMostInbound) {
      buffer_.consume(buffer_.size());
      return Close(1009);
    }
    std::string frame = beast::buffers_to_string(buffer_.data());
    buffer_.consume(buffer_.size());
    if (!session_) {
      SessionTable::Opened opened = shared_.table.Hello(frame, MakeLink());
      if (!opened.session) return Close(opened.closeCode);
      session_ = std::move(opened.session);
      linkId_ = opened.linkId;
    } else {
      session_->Receive(frame);
    }
    Read();
  }

  // Frames the session sends are posted to this connection's strand.
  Link MakeLink() {
    std::weak_ptr<Socket> weak = this->shared_from_this();
    Link link;
    link.send = [weak](std::string frame) {
      if (auto self = weak.lock()) {
        net::post(self->ws_.get_executor(),
                  [self, frame = std::move(frame)]() mutable { self->Write(std::move(frame)); });
      }
    };
    link.close = [weak](int code) {
      if (auto self = weak.lock()) {
        net::post(self->ws_.get_executor(), [self, code] { self->Close(code); });
      }
    };
    return link;
  }

  void Write(std::string frame) {
    if (closeSent_) return;
    queuedBytes_ += frame.size();
    out_.push_back(std::move(frame));
    if (queuedBytes_ > kMostQueuedOut) {
      out_.clear();
      queuedBytes_ = 0;
      return Close(1008);
    }
    if (out_.size() == 1) WriteNext();
  }

  void WriteNext() {
    ws_.text(true);
    ws_.async_write(net::buffer(out_.front()),
                    beast::bind_front_handler(&Socket::OnWrite, this->shared_from_this()));
  }

  void OnWrite(beast::error_code ec, size_t) {
    if (ec || out_.empty()) return;
    queuedBytes_ -= out_.front().size();
    out_.pop_front();
    if (!out_.empty()) return WriteNext();
    if (closing_) DoClose();
  }

  // Closes after the frames queued, also those posted already (the refusal
  // of a hello among them).
  void Close(int code) {
    if (closing_) return;
    closing_ = true;
    closeCode_ = code;
    if (session_) session_->Detach(linkId_);
    net::post(ws_.get_executor(), [self = this->shared_from_this()] {
      if (self->out_.empty()) self->DoClose();
    });
  }

  void DoClose() {
    if (closeSent_) return;
    closeSent_ = true;
    ws_.async_close(websocket::close_reason(static_cast<uint16_t>(closeCode_)),
                    [self = this->shared_from_this()](beast::error_code) {});
  }

  websocket::stream<Stream> ws_;
  Shared shared_;
  http::request<http::string_body> request_;
  beast::flat_buffer buffer_;
  std::deque<std::string> out_;
  size_t queuedBytes_ = 0;
  std::shared_ptr<Session> session_;
  uint64_t linkId_ = 0;
  bool closing_ = false;
  bool closeSent_ = false;
  int closeCode_ = 1000;
};

// One HTTP connection: files, or the upgrade to a Socket.
template <class Stream>
class HttpConnection : public std::enable_shared_from_this<HttpConnection<Stream>> {
 public:
  HttpConnection(Stream&& stream, Shared shared) : stream_(std::move(stream)), shared_(shared) {}

  void Start() {
    if constexpr (std::is_same_v<Stream, beast::tcp_stream>) {
      Read();
    } else {
      beast::get_lowest_layer(stream_).expires_after(std::chrono::seconds(30));
      stream_.async_handshake(ssl::stream_base::server,
                              [self = this->shared_from_this()](beast::error_code ec) {
                                if (!ec) self->Read();
                              });
    }
  }

 private:
  void Read() {
    parser_.emplace();
    parser_->header_limit(8 * 1024);
    parser_->body_limit(8 * 1024);
    beast::get_lowest_layer(stream_).expires_after(std::chrono::seconds(30));
    http::async_read(stream_, buffer_, *parser_,
                     beast::bind_front_handler(&HttpConnection::OnRead, this->shared_from_this()));
  }

  void OnRead(beast::error_code ec, size_t) {
    if (ec) return;
    http::request<http::string_body> request = parser_->release();
    if (websocket::is_upgrade(request)) {
      if (request.target() != "/session")
        return Reply(request, http::status::not_found, "Not found.\n");
      if (!OriginAllowed(shared_.options.config, request))
        return Reply(request, http::status::forbidden,
                     "This page's origin may not open sessions.\n");
      beast::get_lowest_layer(stream_).expires_never();
      std::make_shared<Socket<Stream>>(std::move(stream_), shared_)->Accept(std::move(request));
      return;
    }
    if (request.method() != http::verb::get && request.method() != http::verb::head)
      return Reply(request, http::status::method_not_allowed, "Only GET.\n");
    const std::filesystem::path file = FileOf(shared_.options, std::string(request.target()));
    std::ifstream in(file, std::ios::binary);
    if (file.empty() || !in) return Reply(request, http::status::not_found, "Not found.\n");
    std::ostringstream body;
    body << in.rdbuf();
    Reply(request, http::status::ok, body.str(), ContentType(file));
  }

  void Reply(const http::request<http::string_body>& request, http::status status, std::string body,
             const std::string& type = "text/plain; charset=utf-8") {
    auto response = std::make_shared<http::response<http::string_body>>(status, request.version());
    response->set(http::field::server, "dorvane-web");
    response->set(http::field::content_type, type);
    response->set(http::field::cache_control, "no-cache");
    response->set("X-Content-Type-Options", "nosniff");
    response->keep_alive(request.keep_alive());
    if (request.method() != http::verb::head) response->body() = std::move(body);
    response->prepare_payload();
    http::async_write(stream_, *response,
                      [self = this->shared_from_this(), response](beast::error_code ec, size_t) {
                        if (!ec && response->keep_alive()) self->Read();
                      });
  }

  Stream stream_;
  Shared shared_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
};

}  // namespace

struct Server::Impl {
  explicit Impl(ServerOptions o)
      : options(std::move(o)),
        places(options.config, MakeEmptyFolder()),
        table(options.config, places, options.customize),
        io(options.threads),
        acceptor(io),
        reaper(io),
        tls(ssl::context::tls_server) {}

  void Accept() {
    acceptor.async_accept(net::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
      if (ec) {
        if (acceptor.is_open()) Accept();
        return;
      }
      // Frames are small and answer a frame: no waiting for more to send.
      socket.set_option(tcp::no_delay(true), ec);
      Shared shared{options, table};
      if (options.tlsCert.empty()) {
        std::make_shared<HttpConnection<beast::tcp_stream>>(beast::tcp_stream(std::move(socket)),
                                                            shared)
            ->Start();
      } else {
        std::make_shared<HttpConnection<beast::ssl_stream<beast::tcp_stream>>>(
            beast::ssl_stream<beast::tcp_stream>(std::move(socket), tls), shared)
            ->Start();
      }
      Accept();
    });
  }

  void Reap() {
    reaper.expires_after(std::chrono::seconds(1));
    reaper.async_wait([this](beast::error_code ec) {
      if (ec) return;
      table.Reap();
      Reap();
    });
  }

  ServerOptions options;
  SourcePlaces places;
  SessionTable table;
  net::io_context io;
  tcp::acceptor acceptor;
  net::steady_timer reaper;
  ssl::context tls;
};

Server::Server(ServerOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Server::~Server() { Stop(); }

unsigned short Server::Listen() {
  Impl& d = *impl_;
  if (!d.options.tlsCert.empty()) {
    d.tls.use_certificate_chain_file(d.options.tlsCert);
    d.tls.use_private_key_file(d.options.tlsKey, ssl::context::pem);
  }
  beast::error_code ec;
  const std::string host =
      d.options.config.address == "localhost" ? "127.0.0.1" : d.options.config.address;
  const auto address = net::ip::make_address(host, ec);
  if (ec) throw std::runtime_error("cannot listen on " + host + ": not an IP address");
  const tcp::endpoint endpoint(address, d.options.config.port);
  d.acceptor.open(endpoint.protocol(), ec);
  if (!ec) d.acceptor.set_option(net::socket_base::reuse_address(true), ec);
  if (!ec) d.acceptor.bind(endpoint, ec);
  if (!ec) d.acceptor.listen(net::socket_base::max_listen_connections, ec);
  if (ec)
    throw std::runtime_error("cannot listen on " + host + ":" + std::to_string(endpoint.port()) +
                             ": " + ec.message());
  return d.acceptor.local_endpoint().port();
}

void Server::Run(bool signals) {
  Impl& d = *impl_;
  net::signal_set stop(d.io);
  if (signals) {
    stop.add(SIGINT);
    stop.add(SIGTERM);
    stop.async_wait([this](beast::error_code, int) { Stop(); });
  }
  d.Accept();
  d.Reap();
  std::vector<std::thread> threads;
  for (int i = 1; i < d.options.threads; ++i) threads.emplace_back([&d] { d.io.run(); });
  d.io.run();
  for (std::thread& thread : threads) thread.join();
}

void Server::Stop() {
  Impl& d = *impl_;
  net::post(d.io, [&d] {
    beast::error_code ec;
    d.acceptor.close(ec);
    d.reaper.cancel();
  });
  d.table.CloseAll();
  d.io.stop();
}

SessionTable& Server::Sessions() { return impl_->table; }

}  // namespace dorvaneweb
