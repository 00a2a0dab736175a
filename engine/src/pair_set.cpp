#include "sorla/pair_set.h"

#include <vector>

namespace sorla {

void PairSet::rehash(std::size_t capacity) {
  std::vector<std::uint64_t> fresh(capacity, kEmpty);
  const std::size_t mask = capacity - 1;
  for (const std::uint64_t key : slots_) {
    if (key == kEmpty) continue;
    std::size_t at = slot_of(key, mask);
    while (fresh[at] != kEmpty) at = (at + 1) & mask;
    fresh[at] = key;
  }
  slots_ = Flat<std::uint64_t>(std::move(fresh));
}

void PairSet::reserve(std::size_t count) {
  std::size_t capacity = 16;
  while (capacity < 2 * count) capacity *= 2;
  if (capacity > slots_.size()) rehash(capacity);
}

void PairSet::insert(Pair pair) {
  if (contains(pair)) return;
  if (2 * (count_ + 1) > slots_.size()) rehash(slots_.empty() ? 16 : 2 * slots_.size());
  const std::uint64_t key = key_of(pair);
  slots_.edit([&](std::vector<std::uint64_t>& slots) {
    const std::size_t mask = slots.size() - 1;
    std::size_t at = slot_of(key, mask);
    while (slots[at] != kEmpty) at = (at + 1) & mask;
    slots[at] = key;
  });
  ++count_;
}

bool PairSet::operator==(const PairSet& other) const {
  if (count_ != other.count_) return false;
  for (const std::uint64_t key : slots_) {
    if (key != kEmpty &&
        !other.contains({static_cast<std::uint32_t>(key >> 32), static_cast<std::uint32_t>(key)})) {
      return false;
    }
  }
  return true;
}

PairSet PairSet::view_of(std::span<const std::uint64_t> slots, std::size_t count) {
  PairSet set;
  set.slots_ = Flat<std::uint64_t>::view_of(slots);
  set.count_ = count;
  return set;
}

}  // namespace sorla
