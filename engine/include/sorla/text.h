// UTF-8 helpers shared by the readers and the engine.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

namespace sorla {

bool is_valid_utf8(std::string_view bytes);

// The length (1 to 4) of the well-formed UTF-8 character that `bytes` starts
// with, or 0 when it starts with none (or is empty). Inline: the JSON reader
// calls it for every character of a Khmer string.
inline std::size_t utf8_sequence_length(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const auto b0 = static_cast<std::uint8_t>(bytes[0]);
  if (b0 < 0x80) return 1;
  std::size_t len;
  std::uint8_t lo = 0x80, hi = 0xBF;  // range of the second byte
  if (b0 < 0xC2) {
    return 0;
  } else if (b0 <= 0xDF) {
    len = 2;
  } else if (b0 <= 0xEF) {
    len = 3;
    if (b0 == 0xE0) lo = 0xA0;  // no overlong forms
    if (b0 == 0xED) hi = 0x9F;  // no surrogates
  } else if (b0 <= 0xF4) {
    len = 4;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() < len) return 0;
  const auto b1 = static_cast<std::uint8_t>(bytes[1]);
  if (b1 < lo || b1 > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if ((static_cast<std::uint8_t>(bytes[k]) & 0xC0) != 0x80) return 0;
  }
  return len;
}

// Whether the eight bytes at `p` start with two three-byte characters whose
// leads put no bound on their second bytes (E1 to EC, EE, EF): a run of
// Khmer, checked two characters at a time by the UTF-8 checks.
inline bool two_plain_three_byte_chars(const char* p) {
  if constexpr (std::endian::native != std::endian::little) return false;
  std::uint64_t x;
  std::memcpy(&x, p, 8);
  // Leads 1110xxxx at bytes 0 and 3, continuations 10xxxxxx at 1, 2, 4, 5.
  if ((x & 0x0000C0C0F0C0C0F0u) != 0x00008080E08080E0u) return false;
  const auto plain_lead = [](char b) { return b != '\xE0' && b != '\xED'; };
  return plain_lead(p[0]) && plain_lead(p[3]);
}

// Every byte below 0x80: such text is also valid UTF-8.
bool is_ascii(std::string_view bytes);

// Unicode white space as the seed text and the typed text use it.
bool is_white_space(char32_t c);

// Decodes the scalar value starting at `pos` of a valid UTF-8 text and
// advances `pos` past it.
char32_t next_char(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of a Unicode scalar value.
void append_utf8(std::string& out, char32_t c);

// Trims Unicode white space from both ends of a valid UTF-8 text.
std::string_view trim_white_space(std::string_view text);

}  // namespace sorla
