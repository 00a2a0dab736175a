#include "sorla/word_index.h"

#include <xxhash.h>

#include "sorla/text.h"

namespace sorla {
namespace {

// A hash of our own choosing rather than the library's, which differs
// between targets: a prebuilt table must be found the same everywhere.
std::size_t hash_of(std::string_view text) {
  return static_cast<std::size_t>(XXH3_64bits(text.data(), text.size()));
}

}  // namespace

void WordIndex::build(const WordTexts& words) {
  std::size_t capacity = 16;
  while (capacity < 2 * words.size()) capacity *= 2;
  std::vector<std::uint32_t> slots(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::size_t at = hash_of(words[i]) & mask;
    while (slots[at] != 0 && words[slots[at] - 1] != words[i]) at = (at + 1) & mask;
    if (slots[at] == 0) slots[at] = static_cast<std::uint32_t>(i + 1);
  }
  slots_ = Flat(std::move(slots));
}

std::optional<std::uint64_t> WordIndex::find(const WordTexts& words, std::string_view text) const {
  if (slots_.empty()) return std::nullopt;
  // A stored table's slots are checked here, not when it is opened: one
  // naming no word is passed over, and a table without an empty slot is
  // probed once round.
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash_of(text) & mask;
  for (std::size_t probes = 0; probes < slots_.size() && slots_[at] != 0; ++probes) {
    const std::uint32_t slot = slots_[at];
    if (slot <= words.size() && words[slot - 1] == text) return slot - 1;
    at = (at + 1) & mask;
  }
  return std::nullopt;
}

std::optional<std::uint64_t> WordIndex::ending(const WordTexts& words,
                                               std::string_view text) const {
  // The first hit from the left is the longest known ending.
  for (std::size_t pos = 0; pos < text.size();) {
    if (const auto hit = find(words, text.substr(pos))) return hit;
    next_char(text, pos);
  }
  return std::nullopt;
}

std::optional<std::string> WordIndex::previous_key(
    const WordTexts& words, const std::optional<std::string>& previous) const {
  if (!previous) return std::nullopt;
  if (const auto idx = ending(words, *previous)) return std::string(words[*idx]);
  return previous;
}

}  // namespace sorla

namespace sorla {

WordIndex WordIndex::view_of(std::span<const std::uint32_t> slots) {
  WordIndex index;
  index.slots_ = Flat<std::uint32_t>::view_of(slots);
  return index;
}

}  // namespace sorla
