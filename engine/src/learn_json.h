// The learned-data JSON document, read and written apart from the pick
// store, and the count arithmetic the two share.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "sorla/learn.h"

namespace sorla {

inline constexpr std::uint32_t kMaxCount = std::numeric_limits<std::uint32_t>::max();

inline std::uint32_t saturating_add(std::uint32_t a, std::uint32_t b) {
  return a > kMaxCount - b ? kMaxCount : a + b;
}

using Picks = std::vector<std::pair<PickKey, std::uint32_t>>;

// The document of `entries`; words that are not UTF-8 are written with
// U+FFFD for each offending byte.
std::string write_learned_json(const std::map<PickKey, std::uint32_t>& entries);

// The picks of a document, each key once with its counts summed
// (saturating), in key order; or why the document is refused.
std::variant<Picks, ImportError> read_learned_json(std::string_view bytes);

}  // namespace sorla
