// The matcher's folded characters as small codes: a-z are 0-25, n-tilde 26,
// eng 27 (the only characters folding leaves).
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorla {

inline std::uint8_t code_of(char32_t c) {
  return static_cast<std::uint8_t>(c < 0x80 ? c - 'a' : c == U'\u00F1' ? 26 : 27);
}

inline char32_t char_of_code(std::size_t code) {
  return code < 26 ? static_cast<char32_t>('a' + code) : code == 26 ? U'\u00F1' : U'\u014B';
}

}  // namespace sorla
