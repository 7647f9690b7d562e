// Minting and checking tickets (see the header): base64url without padding,
// HMAC-SHA256 by OpenSSL, the signature compared in constant time.
#include "apps/dorvane-web/ticket.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <algorithm>
#include <nlohmann/json.hpp>

namespace dorvaneweb {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

// Encodes bytes as base64url without '=' padding.
std::string Base64Url(const std::string& bytes) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (unsigned char c : bytes) {
    bits = (bits << 8) | c;
    count += 8;
    while (count >= 6) {
      count -= 6;
      out += kAlphabet[(bits >> count) & 63];
    }
  }
  if (count > 0) out += kAlphabet[(bits << (6 - count)) & 63];
  return out;
}

// Decodes base64url without padding; nothing for a character outside it.
std::optional<std::string> FromBase64Url(const std::string& text) {
  std::string out;
  uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    const char* at = std::find(kAlphabet, kAlphabet + 64, c);
    if (at == kAlphabet + 64) return std::nullopt;
    bits = (bits << 6) | static_cast<uint32_t>(at - kAlphabet);
    count += 6;
    if (count >= 8) {
      count -= 8;
      out += static_cast<char>((bits >> count) & 0xFF);
    }
  }
  return out;
}

// The raw HMAC-SHA256 of payload under secret.
std::string Signature(const std::string& payload, const std::string& secret) {
  unsigned char mac[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), secret.data(), static_cast<int>(secret.size()),
       reinterpret_cast<const unsigned char*>(payload.data()), payload.size(), mac, &length);
  return std::string(reinterpret_cast<const char*>(mac), length);
}

}  // namespace

bool Ticket::Allows(const std::string& source) const {
  return std::find(sources.begin(), sources.end(), source) != sources.end();
}

std::string MintTicket(const Ticket& ticket, const std::string& secret) {
  const std::string payload = nlohmann::json{
      {"user", ticket.user},
      {"sources", ticket.sources},
      {"exp", ticket.exp}}.dump();
  return Base64Url(payload) + "." + Base64Url(Signature(payload, secret));
}

std::optional<Ticket> VerifyTicket(const std::string& text, const std::string& secret,
                                   int64_t now) {
  if (text.size() > 4096 || secret.empty()) return std::nullopt;
  const size_t dot = text.find('.');
  if (dot == std::string::npos) return std::nullopt;
  const auto payload = FromBase64Url(text.substr(0, dot));
  const auto mac = FromBase64Url(text.substr(dot + 1));
  if (!payload || !mac) return std::nullopt;
  const std::string expected = Signature(*payload, secret);
  if (mac->size() != expected.size() ||
      CRYPTO_memcmp(mac->data(), expected.data(), expected.size()) != 0) {
    return std::nullopt;
  }
  const nlohmann::json json = nlohmann::json::parse(*payload, nullptr, false);
  if (!json.is_object() || !json.contains("user") || !json["user"].is_string() ||
      !json.contains("exp") || !json["exp"].is_number_integer() || !json.contains("sources") ||
      !json["sources"].is_array()) {
    return std::nullopt;
  }
  Ticket ticket;
  ticket.user = json["user"].get<std::string>();
  ticket.exp = json["exp"].get<int64_t>();
  for (const auto& source : json["sources"]) {
    if (!source.is_string()) return std::nullopt;
    ticket.sources.push_back(source.get<std::string>());
  }
  if (ticket.exp <= now || ticket.user.empty()) return std::nullopt;
  return ticket;
}

}  // namespace dorvaneweb
