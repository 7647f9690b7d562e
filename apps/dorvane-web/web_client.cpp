// The protocol client (see the header): one io_context run only while the
// client waits, a read left pending across a time-out; and the server as a
// child process.
#include "apps/dorvane-web/web_client.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <boost/asio/connect.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/websocket.hpp>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace dorvaneweb {

namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace net = boost::asio;
using tcp = net::ip::tcp;

struct WebClient::Impl {
  net::io_context io;
  websocket::stream<beast::tcp_stream> ws{io};
  beast::flat_buffer buffer;
  bool reading = false;
  bool closed = false;
  std::optional<std::string> frame;
  int64_t lastSeq = 0;
};

WebClient::WebClient(unsigned short port, const std::string& origin)
    : impl_(std::make_unique<Impl>()) {
  Impl& d = *impl_;
  beast::get_lowest_layer(d.ws).connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port));
  beast::get_lowest_layer(d.ws).socket().set_option(tcp::no_delay(true));
  d.ws.set_option(websocket::stream_base::decorator([origin](websocket::request_type& request) {
    if (!origin.empty()) request.set(http::field::origin, origin);
  }));
  websocket::response_type response;
  beast::error_code ec;
  d.ws.handshake(response, "127.0.0.1:" + std::to_string(port), "/session", ec);
  if (ec) {
    throw std::runtime_error("upgrade refused: " + std::to_string(response.result_int()));
  }
}

WebClient::~WebClient() {
  beast::error_code ec;
  beast::get_lowest_layer(impl_->ws).socket().close(ec);
}

void WebClient::Send(const nlohmann::json& message) { SendText(message.dump()); }

void WebClient::SendText(const std::string& text) {
  Impl& d = *impl_;
  if (d.closed) return;
  bool done = false;
  d.ws.text(true);
  d.ws.async_write(net::buffer(text), [&](beast::error_code ec, size_t) {
    done = true;
    if (ec) d.closed = true;
  });
  d.io.restart();
  while (!done && d.io.run_one() > 0) {
  }
}

std::optional<nlohmann::json> WebClient::Read(int timeoutMs) {
  Impl& d = *impl_;
  if (!d.frame && !d.closed && !d.reading) {
    d.reading = true;
    d.ws.async_read(d.buffer, [&d](beast::error_code ec, size_t) {
      d.reading = false;
      if (ec) {
        d.closed = true;
        return;
      }
      d.frame = beast::buffers_to_string(d.buffer.data());
      d.buffer.consume(d.buffer.size());
    });
  }
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!d.frame && !d.closed && std::chrono::steady_clock::now() < until) {
    d.io.restart();
    d.io.run_one_until(until);
  }
  if (!d.frame) return std::nullopt;
  nlohmann::json message = nlohmann::json::parse(*d.frame, nullptr, false);
  d.frame.reset();
  if (message.is_object() && message.contains("seq") && message["seq"].is_number_integer())
    d.lastSeq = std::max(d.lastSeq, message["seq"].get<int64_t>());
  return message.is_discarded() ? nlohmann::json() : message;
}

std::optional<nlohmann::json> WebClient::ReadUntil(const std::string& type, int timeoutMs,
                                                   int64_t n, std::vector<nlohmann::json>* passed) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        until - std::chrono::steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    auto message = Read(static_cast<int>(left.count()));
    if (!message) return std::nullopt;
    const bool isAck = message->is_object() && message->contains("ack");
    if (type == "ack" ? isAck && (n == 0 || (*message)["ack"] == n)
                      : message->is_object() && message->value("type", "") == type) {
      return message;
    }
    if (passed) passed->push_back(*message);
  }
}

bool WebClient::Closed() const { return impl_->closed; }

int64_t WebClient::LastSeq() const { return impl_->lastSeq; }

int WebClient::CloseCode() const { return impl_->closed ? impl_->ws.reason().code : 0; }

std::pair<int, std::string> HttpGet(unsigned short port, const std::string& target) {
  net::io_context io;
  beast::tcp_stream stream(io);
  stream.connect(tcp::endpoint(net::ip::make_address("127.0.0.1"), port));
  http::request<http::empty_body> request(http::verb::get, target, 11);
  request.set(http::field::host, "127.0.0.1:" + std::to_string(port));
  http::write(stream, request);
  beast::flat_buffer buffer;
  http::response<http::string_body> response;
  http::read(stream, buffer, response);
  beast::error_code ec;
  stream.socket().shutdown(tcp::socket::shutdown_both, ec);
  return {response.result_int(), response.body()};
}

// Forks and runs the program, then reads its first line for the port. The
// arguments are made before the fork: the child only calls what is safe there.
ServerProcess::ServerProcess(const std::string& program, const std::string& config,
                             const std::string& www) {
  int out[2];
  if (pipe(out) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out[1], 1);
    close(out[0]);
    execl(program.c_str(), program.c_str(), "--config", config.c_str(), "--www", www.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string line;
  pollfd wait{out[0], POLLIN, 0};
  char ch = 0;
  while (poll(&wait, 1, 30000) > 0 && read(out[0], &ch, 1) == 1 && ch != '\n') line += ch;
  close(out[0]);
  const size_t colon = line.rfind(':');
  if (colon != std::string::npos) {
    port_ = static_cast<unsigned short>(std::atoi(line.c_str() + colon + 1));
  }
}

// Stops the program and waits for it.
ServerProcess::~ServerProcess() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
}

}  // namespace dorvaneweb
