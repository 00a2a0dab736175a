// The lattice search over every way of cutting the typed letters into
// words, scoring whole sequences.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_set>
#include <variant>
#include <vector>

#include "sorla/matcher.h"

namespace sorla {

struct PairHash {
  std::size_t operator()(const std::pair<std::uint32_t, std::uint32_t>& p) const {
    return (static_cast<std::size_t>(p.first) * 0x9E3779B97F4A7C15ull) ^ p.second;
  }
};
using PairSet = std::unordered_set<std::pair<std::uint32_t, std::uint32_t>, PairHash>;

// A word (by index) or a typed piece passed through unrecognised.
using Piece = std::variant<std::uint64_t, std::string>;

struct RankedSequence {
  std::vector<Piece> pieces;
  float score = 0;
};

// Natural logarithm, the same float on every target: computed in double and
// rounded once.
float ln(float x);

// What a span pays for being passed through unrecognised, for N words.
float literal_penalty(std::size_t word_count);

std::vector<RankedSequence> rank_sequences(std::size_t word_count, const Matcher& matcher,
                                           const PairSet& pairs,
                                           const std::vector<std::string>& pieces,
                                           std::optional<std::uint64_t> previous,
                                           bool allow_completion, std::size_t limit);

}  // namespace sorla
