#include "sorla/word_index.h"

#include <functional>

namespace sorla {

void WordIndex::build(const std::vector<std::string>& words) {
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

std::optional<std::uint64_t> WordIndex::find(const std::vector<std::string>& words,
                                             std::string_view text) const {
  if (slots_.empty()) return std::nullopt;
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = std::hash<std::string_view>{}(text)&mask; slots_[at] != 0;
       at = (at + 1) & mask) {
    if (words[slots_[at] - 1] == text) return slots_[at] - 1;
  }
  return std::nullopt;
}

}  // namespace sorla
