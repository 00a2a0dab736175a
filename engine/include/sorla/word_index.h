// The engine's map from Khmer word text to its first word index, kept as
// indexes into the engine's own word list: no second copy of every word,
// and a copied engine's map stays valid with the copied list.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/flat.h"
#include "sorla/word_texts.h"

namespace sorla {

class WordIndex {
 public:
  // Indexes `words`; where a text occurs more than once the first one wins.
  void build(const WordTexts& words);
  std::optional<std::uint64_t> find(const WordTexts& words, std::string_view text) const;
  // The longest word of `words` that `text` ends with.
  std::optional<std::uint64_t> ending(const WordTexts& words, std::string_view text) const;
  // The previous text as learned picks key it: the known word it ends with,
  // else the text as given.
  std::optional<std::string> previous_key(const WordTexts& words,
                                          const std::optional<std::string>& previous) const;

  // The table as stored, and one over stored slots (a power-of-two count,
  // checked by whoever reads them; the slots themselves are checked by
  // find()).
  std::span<const std::uint32_t> slots() const { return slots_.span(); }
  static WordIndex view_of(std::span<const std::uint32_t> slots);

 private:
  Flat<std::uint32_t> slots_;  // word index + 1, or 0 for an empty slot
};

}  // namespace sorla
