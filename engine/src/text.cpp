#include "sorla/text.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace sorla {
namespace {

constexpr std::uint8_t kKhmerMask[3] = {0xFF, 0xFE, 0xC0}, kKhmerBytes[3] = {0xE1, 0x9E, 0x80};

// Eight bytes of a three-byte cycle, starting at place `from` in it.
constexpr std::uint64_t cycle_word(const std::uint8_t (&cycle)[3], std::size_t from) {
  std::uint64_t w = 0;
  for (std::size_t b = 0; b < 8; ++b) w |= std::uint64_t{cycle[(from + b) % 3]} << (8 * b);
  return w;
}

// Whether the 24 bytes at `p` are eight characters of the Khmer blocks
// U+1780 to U+17FF (E1 9E or 9F, then a continuation byte): well-formed,
// since the lead E1 puts no bound on the second byte. Three words, each
// masked against the bytes' places in the three-byte cycle.
bool eight_khmer_chars(const char* p) {
  if constexpr (std::endian::native != std::endian::little) return false;
  static constexpr std::uint64_t kMask[3] = {cycle_word(kKhmerMask, 0), cycle_word(kKhmerMask, 8),
                                             cycle_word(kKhmerMask, 16)};
  static constexpr std::uint64_t kWant[3] = {cycle_word(kKhmerBytes, 0), cycle_word(kKhmerBytes, 8),
                                             cycle_word(kKhmerBytes, 16)};
  std::uint64_t x[3];
  std::memcpy(x, p, 24);
  return (((x[0] & kMask[0]) ^ kWant[0]) | ((x[1] & kMask[1]) ^ kWant[1]) |
          ((x[2] & kMask[2]) ^ kWant[2])) == 0;
}

}  // namespace

bool is_valid_utf8(std::string_view s) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t b0 = p[i];
    if (b0 < 0x80) {
      ++i;
      continue;
    }
    // Runs of Khmer, the bulk of the word data and of an index, eight
    // characters at a time.
    if (n - i >= 24 && eight_khmer_chars(s.data() + i)) {
      i += 24;
      continue;
    }
    // Three-byte characters whose lead puts no bound on the second byte,
    // Khmer among them, are the common case: checked on the spot.
    if (n - i >= 8 && two_plain_three_byte_chars(s.data() + i)) {
      i += 6;
      continue;
    }
    if (b0 >= 0xE1 && b0 <= 0xEF && b0 != 0xED && n - i >= 3 && (p[i + 1] & 0xC0) == 0x80 &&
        (p[i + 2] & 0xC0) == 0x80) {
      i += 3;
      continue;
    }
    const std::size_t len = utf8_sequence_length(s.substr(i));
    if (len == 0) return false;
    i += len;
  }
  return true;
}

bool is_ascii(std::string_view s) {
  // Eight bytes at a time where there are eight.
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  std::size_t i = 0;
  for (; s.size() - i >= 8; i += 8) {
    std::uint64_t chunk;
    std::memcpy(&chunk, s.data() + i, 8);
    if (chunk & kHighBits) return false;
  }
  for (; i < s.size(); ++i) {
    if (static_cast<std::uint8_t>(s[i]) >= 0x80) return false;
  }
  return true;
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

char32_t next_char(std::string_view s, std::size_t& pos) {
  const auto b0 = static_cast<std::uint8_t>(s[pos]);
  if (b0 < 0x80) {
    ++pos;
    return b0;
  }
  std::size_t len = b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
  char32_t c = b0 & (0x3F >> (len - 1));
  for (std::size_t k = 1; k < len && pos + k < s.size(); ++k) {
    c = (c << 6) | (static_cast<std::uint8_t>(s[pos + k]) & 0x3F);
  }
  pos += len;
  return c;
}

void append_utf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string_view trim_white_space(std::string_view s) {
  std::size_t begin = 0;
  while (begin < s.size()) {
    std::size_t next = begin;
    if (!is_white_space(next_char(s, next))) break;
    begin = next;
  }
  std::size_t end = begin;
  for (std::size_t pos = begin; pos < s.size();) {
    if (!is_white_space(next_char(s, pos))) end = pos;
  }
  return s.substr(begin, end - begin);
}

}  // namespace sorla
