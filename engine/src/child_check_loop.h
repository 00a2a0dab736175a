// The loop of children_match_bits, compiled once for the baseline and once
// for AVX2 (child_check.cpp, child_check_avx2.cpp). It has internal linkage
// and includes nothing with inline functions of external linkage, so no
// AVX2 copy of a shared function can be picked by the linker for code that
// runs elsewhere.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sorla {
namespace {

constexpr std::uint32_t kCharacterBits = 28;  // Matcher::kCodes

// Set bits, by shifts and adds alone (a library call or a table lookup would
// keep the loop below from being vectorized).
inline std::uint32_t bit_count(std::uint32_t x) {
  x = x - ((x >> 1) & 0x55555555u);
  x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
  x = (x + (x >> 4)) & 0x0F0F0F0Fu;
  x = x + (x >> 8);
  return (x + (x >> 16)) & 0x3Fu;
}

// No early exit and no branch per element, so that it is vectorized. With
// the starts below 2^31, a difference of at most 28 cannot have wrapped:
// the child ranges rise as well.
inline bool children_match_bits_loop(const std::uint32_t* codes, const std::uint32_t* begin,
                                     std::size_t count) {
  std::uint32_t wrong = 0, high = begin[count];
  for (std::size_t v = 0; v < count; ++v) {
    wrong |= (bit_count(codes[v]) ^ (begin[v + 1] - begin[v])) | (codes[v] >> kCharacterBits);
    high |= begin[v];
  }
  return wrong == 0 && (high >> 31) == 0;
}

}  // namespace
}  // namespace sorla
