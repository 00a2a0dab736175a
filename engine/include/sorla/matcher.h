// Approximate, weighted match of typed letters against every spelling,
// through a character tree over folded spellings.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorla {

// The cost limit of every search: the float with bits 0x40333334. Note that
// the literal 2.8f is one ulp below it, and 1.2 + 1.2 + 0.4 lands exactly here.
float match_threshold();

struct MatcherEntry {
  std::uint64_t word = 0;
  std::string letters;  // letters() of the spelling as written
};

struct MatcherNode {
  std::vector<std::pair<char32_t, std::uint32_t>> children;  // creation order
  std::vector<MatcherEntry> entries;
};

struct Match {
  std::uint64_t word = 0;
  float cost = 0;
  bool exact = false;
  bool operator==(const Match&) const = default;
};

// Single-precision costs of the weighted edit distance.
float skip_cost(char32_t c);
float exchange_cost(char32_t typed, char32_t stored);

class Matcher {
 public:
  Matcher();

  void insert(std::uint64_t word, std::string_view spelling);

  // Sorted by cost (IEEE total order), ties by word index.
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;

  const std::vector<MatcherNode>& nodes() const { return nodes_; }
  std::uint64_t max_len() const { return max_len_; }

 private:
  std::vector<MatcherNode> nodes_;
  std::uint64_t max_len_ = 0;
};

}  // namespace sorla
