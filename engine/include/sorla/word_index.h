// The engine's map from Khmer word text to its first word index, kept as
// indexes into the engine's own word list: no second copy of every word,
// and a copied engine's map stays valid with the copied list.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorla {

class WordIndex {
 public:
  // Indexes `words`; where a text occurs more than once the first one wins.
  void build(const std::vector<std::string>& words);
  std::optional<std::uint64_t> find(const std::vector<std::string>& words,
                                    std::string_view text) const;

 private:
  std::vector<std::uint32_t> slots_;  // word index + 1, or 0 for an empty slot
};

}  // namespace sorla
