#include "form_token.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <stdexcept>

namespace sorla::reports {
namespace {

constexpr std::int64_t kHour = 3600;
constexpr std::size_t kNonceDigits = 32;  // 128 random bits in hex

std::string hex(const unsigned char* bytes, std::size_t n) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0xF];
  }
  return out;
}

}  // namespace

FormTokens::FormTokens(std::string secret) : secret_(std::move(secret)) {
  if (!secret_.empty()) return;
  unsigned char random[32];
  if (RAND_bytes(random, sizeof random) != 1) throw std::runtime_error("no random bytes");
  secret_.assign(reinterpret_cast<const char*>(random), sizeof random);
}

std::string FormTokens::mac(std::int64_t hour, std::string_view nonce,
                            std::string_view typed) const {
  std::string message = std::to_string(hour);
  message += '\0';
  message += nonce;
  message += '\0';
  message += typed;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), secret_.data(), static_cast<int>(secret_.size()),
       reinterpret_cast<const unsigned char*>(message.data()), message.size(), digest, &length);
  return std::to_string(hour) + "." + std::string(nonce) + "." + hex(digest, length);
}

std::string FormTokens::make(std::string_view typed, std::int64_t unix_seconds) const {
  unsigned char random[16];
  if (RAND_bytes(random, sizeof random) != 1) throw std::runtime_error("no random bytes");
  return mac(unix_seconds / kHour, hex(random, sizeof random), typed);
}

bool FormTokens::valid(std::string_view token, std::string_view typed,
                       std::int64_t unix_seconds) const {
  // "HOUR.NONCE.MAC": the hour and the random part are read back from it.
  const auto dot = token.find('.');
  const auto second = dot == std::string_view::npos ? dot : token.find('.', dot + 1);
  if (second == std::string_view::npos || second - dot - 1 != kNonceDigits) return false;
  const std::string_view nonce = token.substr(dot + 1, kNonceDigits);
  const std::int64_t now = unix_seconds / kHour;
  for (const std::int64_t hour : {now, now - 1}) {
    const std::string expected = mac(hour, nonce, typed);
    if (expected.size() == token.size() &&
        CRYPTO_memcmp(expected.data(), token.data(), token.size()) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace sorla::reports
