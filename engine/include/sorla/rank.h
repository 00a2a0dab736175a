// The lattice search over every way of cutting the typed letters into
// words, scoring whole sequences.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "sorla/matcher.h"
#include "sorla/pair_set.h"

namespace sorla {

// A word (by index) or a typed piece passed through unrecognised.
using Piece = std::variant<std::uint64_t, std::string>;

struct RankedSequence {
  std::vector<Piece> pieces;
  float score = 0;
};

// The lattice search with memory: it keeps the previous call's lattice and
// span results, and a call whose typed letters share a beginning with the
// last one's reuses every position that the new letters cannot change. The
// answers are exactly those of a fresh search. It ranks with the matcher's
// numbers (Matcher::params).
class Ranker {
 public:
  std::vector<RankedSequence> rank(std::size_t word_count, const Matcher& matcher,
                                   const PairSet& pairs, const std::vector<std::string>& pieces,
                                   std::optional<std::uint64_t> previous, bool allow_completion,
                                   std::size_t limit, SearchStats* stats = nullptr);

  struct Node {
    float score = 0;
    std::uint32_t parent_pos = 0;  // the parent is lists[parent_pos][parent_idx]
    std::uint32_t parent_idx = 0;
    std::uint32_t start = 0;      // where this node's span began
    std::uint32_t literal = 0;    // kind literal: ordinal of the typed piece
    std::uint64_t last_word = 0;  // kNoWord when absent
    std::uint64_t word = 0;       // kind word; kNoWord for the root and literals
  };
  static constexpr std::uint64_t kNoWord = ~std::uint64_t{0};

  // What the ranker keeps between calls, in bytes of room held (allocator
  // overhead aside): span results (both generations, with their map's
  // buckets), matcher columns per start and column 1 per letter, and the
  // lattice's lists.
  struct HeldBytes {
    std::size_t spans = 0;
    std::size_t columns = 0;
    std::size_t first_columns = 0;
    std::size_t lists = 0;
    std::size_t total() const { return spans + columns + first_columns + lists; }
  };
  HeldBytes held_bytes() const;
  // The most room span results take in one generation (two are kept), and
  // the room past which the starts' columns keep only what the next letter
  // or a backspace reads. Caches: any budget gives the same answers.
  struct Budget {
    std::size_t span_bytes = 384 * 1024;
    std::size_t column_bytes = 384 * 1024;
  };
  Ranker() = default;
  explicit Ranker(Budget budget) : budget_(budget) {}

 private:
  struct SpanKey {
    std::string letters;
    bool completion;
    std::uint32_t max_cost_bits;
  };
  // A lookup names its letters in place: no key is made unless it is new.
  struct SpanKeyView {
    std::string_view letters;
    bool completion;
    std::uint32_t max_cost_bits;
  };
  static SpanKeyView view(const SpanKey& k) { return {k.letters, k.completion, k.max_cost_bits}; }
  struct SpanKeyHash {
    using is_transparent = void;
    std::size_t operator()(const SpanKeyView& k) const;
    std::size_t operator()(const SpanKey& k) const { return (*this)(view(k)); }
  };
  struct SpanKeyEqual {
    using is_transparent = void;
    static bool same(const SpanKeyView& a, const SpanKeyView& b) {
      return a.letters == b.letters && a.completion == b.completion &&
             a.max_cost_bits == b.max_cost_bits;
    }
    bool operator()(const SpanKey& a, const SpanKey& b) const { return same(view(a), view(b)); }
    bool operator()(const SpanKeyView& a, const SpanKey& b) const { return same(a, view(b)); }
    bool operator()(const SpanKey& a, const SpanKeyView& b) const { return same(view(a), b); }
  };
  // The phases of one call (rank.cpp).
  struct Call;
  std::size_t keep_from_last_call(const Call& call);
  void extend_from(std::size_t start, Call& call);
  std::vector<RankedSequence> read_back(const Call& call) const;

  const std::vector<SpanWord>* kept_span(const SpanKeyView& key);
  const std::vector<SpanWord>& span_words(const Matcher& matcher, std::size_t start,
                                          std::string_view letters, bool completion, float max_cost,
                                          SearchStats* stats);

  Budget budget_;
  // The last call: its letters, boundaries and settings, and its final,
  // pruned position lists.
  std::string letters_;
  std::vector<bool> boundary_;
  std::uint64_t previous_ = kNoWord;
  std::size_t word_count_ = 0;
  bool allow_completion_ = false;
  std::size_t limit_ = 0;
  std::vector<std::vector<Node>> lists_;
  using SpanMap = std::unordered_map<SpanKey, std::vector<SpanWord>, SpanKeyHash, SpanKeyEqual>;
  SpanMap spans_, older_spans_;
  std::size_t span_bytes_ = 0, older_span_bytes_ = 0;  // of the entries, as held_bytes counts them
  static std::size_t entry_bytes(const SpanMap::value_type& entry);
  const std::vector<SpanWord>& keep_span(SpanKey key, std::vector<SpanWord> words);
  void trim_columns(std::size_t lo, std::size_t n);
  // The matcher's columns from each start position, and column 0 they all
  // grow from.
  std::vector<MatchColumns> starts_;
  Column first_;
  FirstColumns first_columns_;
  std::vector<std::uint8_t> codes_;
};

std::vector<RankedSequence> rank_sequences(std::size_t word_count, const Matcher& matcher,
                                           const PairSet& pairs,
                                           const std::vector<std::string>& pieces,
                                           std::optional<std::uint64_t> previous,
                                           bool allow_completion, std::size_t limit);

}  // namespace sorla
