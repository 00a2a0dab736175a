// The token that stops cross-site posts: the confirmation page carries one,
// and a report is taken only with a token this service made for the same
// typed letters within the last two hours. Each token is new (a random
// part), and good for one report: the store keeps the tokens used, beside
// their reports, so every instance sharing the database refuses a second
// use. Checking one needs no state (an HMAC-SHA-256 over the hour, the
// random part and the letters), so any instance sharing the secret does it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sorla::reports {

class FormTokens {
 public:
  // An empty secret: a random one of this process's own.
  explicit FormTokens(std::string secret);

  std::string make(std::string_view typed, std::int64_t unix_seconds) const;
  bool valid(std::string_view token, std::string_view typed, std::int64_t unix_seconds) const;

 private:
  std::string mac(std::int64_t hour, std::string_view nonce, std::string_view typed) const;

  std::string secret_;
};

}  // namespace sorla::reports
