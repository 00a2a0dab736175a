// Approximate, weighted match of typed letters against every spelling,
// through a character tree over folded spellings.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorla {

// The cost limit of every search: the float with bits 0x40333334. Note that
// the literal 2.8f is one ulp below it, and 1.2 + 1.2 + 0.4 lands exactly here.
float match_threshold();

// One tree node in flat arrays: children and entries are singly linked
// through indexes, so the tree is a few vectors rather than one per node.
struct MatcherNode {
  static constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
  // Word indexes from here on count as this one when bounding a search.
  static constexpr std::uint32_t kMinWordCap = 0xFFFFFF;

  std::uint32_t first_child = kNone;
  std::uint32_t next_sibling = kNone;
  std::uint32_t first_entry = kNone;
  // The least word index below this node (at most kMinWordCap) in the high
  // 24 bits, the folded character's code (see Matcher::kCodes) in the low 8.
  std::uint32_t min_word_code = kMinWordCap << 8;
  // The characters on the paths below this node, one bit per code: what the
  // typed letters not yet consumed can still be matched against.
  std::uint32_t below = 0;

  std::uint32_t min_word() const { return min_word_code >> 8; }
  std::uint8_t code() const { return static_cast<std::uint8_t>(min_word_code & 0xFF); }
};

struct MatcherEntry {
  std::uint64_t word = 0;
  std::uint32_t next = MatcherNode::kNone;
  std::uint32_t letters = 0;  // offset of letters() of the spelling in the pool
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

// Deterministic work counts of the searches, for the benchmarks.
struct SearchStats {
  std::uint64_t matcher_calls = 0;
  std::uint64_t trie_nodes = 0;
  std::uint64_t lattice_nodes = 0;
};

// What the ranking keeps of one span: a word and its span score.
struct SpanWord {
  std::uint64_t word;
  float score;
};

class Matcher {
 public:
  // Folded characters as small codes: a-z are 0-25, n-tilde 26, eng 27.
  static constexpr std::size_t kCodes = 28;

  Matcher();

  void insert(std::uint64_t word, std::string_view spelling);

  // Sorted by cost (IEEE total order), ties by word index.
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;

  // What the ranking keeps of a span: the words whose best reading has an
  // adjusted cost (exact readings 0.6 less) within `max_cost`, scored
  // -4 * adjusted - 0.6 * ln(word + 2), best `limit` of them, ties in
  // (cost, word) order. The same as filtering and sorting find() with the
  // threshold `max_cost`, but subtrees that cannot reach the best `limit`
  // are not walked.
  std::vector<SpanWord> best_words(std::string_view typed_letters, float max_cost,
                                   bool allow_completion, std::size_t limit,
                                   SearchStats* stats) const;

  // Gives back the room that growing left spare; inserting afterwards
  // still works, only a little slower.
  void compact();

  const std::vector<MatcherNode>& nodes() const { return nodes_; }
  std::uint64_t max_len() const { return max_len_; }

  // -0.6 * ln(word + 2) as the ranking computes it; tabled for known words.
  float word_term(std::uint64_t word) const;

 private:
  friend class MatcherSearch;

  std::vector<MatcherNode> nodes_;
  std::vector<std::uint32_t> last_child_;  // per node, while inserting; empty after compact()
  std::vector<MatcherEntry> entries_;
  std::string letters_pool_;  // each entry's letters, NUL-terminated
  std::vector<float> word_terms_;
  std::uint64_t max_len_ = 0;
};

}  // namespace sorla
