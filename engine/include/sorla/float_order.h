// IEEE 754 total order for floats, so every sort in the engine is a strict
// weak order with a defined place for -0, infinities and NaNs.
#pragma once

#include <bit>
#include <cstdint>

namespace sorla {

inline std::int32_t total_order_key(float f) {
  const auto bits = std::bit_cast<std::int32_t>(f);
  // Negative floats order in reverse of their magnitude bits.
  return bits < 0 ? bits ^ 0x7FFFFFFF : bits;
}

inline bool total_less(float a, float b) { return total_order_key(a) < total_order_key(b); }

}  // namespace sorla
