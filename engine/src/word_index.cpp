#include "sorla/word_index.h"

#include <functional>

#include "sorla/text.h"

namespace sorla {

void WordIndex::build(const WordTexts& words) {
  std::size_t capacity = 16;
  while (capacity < 2 * words.size()) capacity *= 2;
  slots_.assign(capacity, 0);
  const std::size_t mask = capacity - 1;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::size_t at = std::hash<std::string_view>{}(words[i]) & mask;
    while (slots_[at] != 0 && words[slots_[at] - 1] != words[i]) at = (at + 1) & mask;
    if (slots_[at] == 0) slots_[at] = static_cast<std::uint32_t>(i + 1);
  }
}

std::optional<std::uint64_t> WordIndex::find(const WordTexts& words,
                                             std::string_view text) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = std::hash<std::string_view>{}(text)&mask; slots_[at] != 0;
       at = (at + 1) & mask) {
    if (words[slots_[at] - 1] == text) return slots_[at] - 1;
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
