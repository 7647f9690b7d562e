// Tickets: what the embedding site's server gives a browser so that it may
// open a session: base64url(payload) "." base64url(HMAC-SHA256(secret,
// payload)), the payload being JSON {"user", "sources", "exp"}. Minted with
// the secret of the server's configuration and checked on every hello.
// Relies on OpenSSL's HMAC and nlohmann-json.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dorvaneweb {

struct Ticket {
  std::string user;
  std::vector<std::string> sources;  // the source names the user may open
  int64_t exp = 0;                   // unix seconds
  bool Allows(const std::string& source) const;
};

// The ticket text for `ticket`, signed with `secret`.
std::string MintTicket(const Ticket& ticket, const std::string& secret);
// The ticket a text carries when its signature is right and it has not
// expired at `now` (unix seconds); nothing for anything else.
std::optional<Ticket> VerifyTicket(const std::string& text, const std::string& secret, int64_t now);

}  // namespace dorvaneweb
