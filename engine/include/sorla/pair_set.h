// The word pairs of the word data: which (first, second) word indexes
// follow each other. An open-addressing table of 64-bit keys in one flat
// array, so that a mapped index holds it as it is.
#pragma once

#include <cstdint>
#include <span>
#include <utility>

#include "sorla/flat.h"

namespace sorla {

class PairSet {
 public:
  using Pair = std::pair<std::uint32_t, std::uint32_t>;
  static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};

  void reserve(std::size_t count);
  void insert(Pair pair);
  bool contains(Pair pair) const {
    if (slots_.empty()) return false;
    const std::uint64_t key = key_of(pair);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = slot_of(key, mask);; at = (at + 1) & mask) {
      if (slots_[at] == key) return true;
      if (slots_[at] == kEmpty) return false;
    }
  }
  std::size_t size() const { return count_; }
  // The same pairs, however they are laid out.
  bool operator==(const PairSet& other) const;
  bool empty() const { return count_ == 0; }

  // The table as stored, and one over stored slots (a power-of-two count
  // with at least one empty slot; checked by whoever reads them).
  std::span<const std::uint64_t> slots() const { return slots_.span(); }
  static PairSet view_of(std::span<const std::uint64_t> slots, std::size_t count);

 private:
  static std::uint64_t key_of(Pair p) { return (std::uint64_t{p.first} << 32) | p.second; }
  static std::size_t slot_of(std::uint64_t key, std::size_t mask) {
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> 32) & mask;
  }
  void rehash(std::size_t capacity);

  Flat<std::uint64_t> slots_;
  std::size_t count_ = 0;
};

}  // namespace sorla
