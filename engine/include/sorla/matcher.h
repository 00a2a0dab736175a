// Approximate, weighted match of typed letters against every spelling,
// through a character tree over folded spellings.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sorla/flat.h"
#include "sorla/ranking_params.h"

namespace sorla {

// The cost limit of every search: the float just above 2.8.
float match_threshold();

struct Match {
  std::uint64_t word = 0;
  float cost = 0;
  bool exact = false;
  bool operator==(const Match&) const = default;
};

// Which reading of a word is kept: an exact one beats a close one, then the
// lower cost wins, and on a tie the one kept first stays.
inline bool better_reading(bool exact, float cost, bool kept_exact, float kept_cost) {
  return (exact && !kept_exact) || (exact == kept_exact && cost < kept_cost);
}

// The order of a search's matches: by cost (IEEE total order), then word.
bool match_before(const Match& a, const Match& b);

// Single-precision costs of the weighted edit distance.
float skip_cost(char32_t c);
float exchange_cost(char32_t typed, char32_t stored);

// Deterministic work counts of the searches, for the benchmarks.
struct SearchStats {
  std::uint64_t matcher_calls = 0;
  std::uint64_t trie_nodes = 0;
  std::uint64_t lattice_nodes = 0;
};

// What the ranking keeps of a span: a word and its span score.
struct SpanWord {
  std::uint64_t word;
  float score;
};

// A tree node and the weighted edit distance between some typed characters
// and the node's path.
struct Reach {
  std::uint32_t node;
  float cost;
};

// One column of the edit-distance table over the whole tree: every node
// within a cost limit of the first k typed characters, in node order. Nodes
// left out cost more than the limit; the costs kept are exact.
using Column = std::vector<Reach>;

// 8 bytes, as an index stores them: a data file counts its words in 32 bits.
struct MatcherEntry {
  std::uint32_t word = 0;
  std::uint32_t letters = 0;  // offset of letters() of the spelling in the pool
};

// Folded characters as small codes: a-z are 0-25, n-tilde 26, eng 27.
void fold_codes(std::string_view text, std::vector<std::uint8_t>& out);

// It holds the ranking numbers its span scores are made with, and the
// ranking reads them from here, so the two never disagree.
class Matcher {
 public:
  static constexpr std::size_t kCodes = 28;

  // Numbers that ranking_params_error() refuses make a search inexact.
  explicit Matcher(const RankingParams& params = {});

  void insert(std::uint32_t word, std::string_view spelling);

  // Builds the tree from the spellings inserted so far, laid out level by
  // level for searching. A matcher searched before this (or after a later
  // insert) is searched through a laid-out copy.
  void compact();

  // Sorted by cost (IEEE total order), ties by word index.
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;

  // What the ranking keeps of a span: the words whose best reading has an
  // adjusted cost within `max_cost`, by their span score, best `limit` of
  // them, ties in (cost, word) order. The same as filtering and sorting
  // find() with the threshold `max_cost`, but completions that cannot reach
  // the best `limit` are not walked.
  std::vector<SpanWord> best_words(std::string_view typed_letters, float max_cost,
                                   bool allow_completion, std::size_t limit,
                                   SearchStats* stats) const;

  // The column search the two above are made of, for callers that keep
  // columns from one search to the next; these need a compacted matcher.
  // `column_limit` is what columns must hold for searches up to `threshold`:
  // a little more, for the rounding of completion costs.
  float column_limit(float threshold) const;
  void first_column(float limit, Column& out) const;
  // Column k + 1 from column k, for the typed character `code`.
  void next_column(const Column& prev, std::uint8_t code, float limit, Column& out,
                   SearchStats* stats) const;
  // best_words() from the column of all `typed_chars` folded characters.
  std::vector<SpanWord> best_words_at(const Column& column, std::size_t typed_chars,
                                      std::string_view typed_letters, float max_cost,
                                      bool allow_completion, std::size_t limit,
                                      SearchStats* stats) const;

  bool compacted() const { return compacted_; }
  // Nodes of the tree, root included, once laid out.
  std::size_t node_count() const;
  std::uint64_t max_len() const { return max_len_; }

  // The scoring model's word term, tabled for known words.
  float word_term(std::uint64_t word) const;
  const RankingParams& params() const { return params_; }

  // The laid-out tree as stored in an index file, and a matcher that reads
  // stored arrays in place (checked by whoever reads them: index_file.cpp,
  // all but the entry ranges and entries, which the search checks as it
  // reads them: see offer_entries; `code` is not read from a stored tree,
  // see each_child).
  struct Stored {
    std::span<const std::uint8_t> code;
    std::span<const std::uint32_t> child_begin, entry_begin, child_codes, min_word, level_begin;
    std::span<const MatcherEntry> entries;
    std::span<const char> letters_pool;
    std::span<const float> word_terms;
    std::span<const std::uint8_t> best_at;
    std::uint64_t max_len = 0;
  };
  Stored stored() const;  // of a compacted matcher
  // The stored word terms must be those of `params`; entries naming a word
  // from `word_count` on are passed over.
  static Matcher view_of(const Stored& stored, const RankingParams& params,
                         std::uint64_t word_count);

 private:
  template <typename Collector>
  void collect(const Column& column, std::size_t typed_chars, std::string_view typed_letters,
               float threshold, bool allow_completion, Collector& out,
               std::uint64_t& visited) const;
  template <typename Collector>
  void offer_entries(std::uint32_t node, float cost, bool on_path, std::string_view typed_letters,
                     Collector& out) const;
  std::size_t depth_of(std::uint32_t node) const;
  // Calls f(child, character) for each child of a laid-out node, the
  // characters taken from the node's bits as a search takes them: a stored
  // tree's per-node characters (code_) are not checked, so not read.
  template <typename F>
  void each_child(std::uint32_t node, F f) const {
    std::uint32_t child = child_begin_[node];
    for (std::uint32_t bits = child_codes_[node]; bits != 0; bits &= bits - 1, ++child) {
      f(child, static_cast<std::uint8_t>(std::countr_zero(bits)));
    }
  }

  // A spelling inserted since the tree was last laid out, with its entry and
  // its first folded codes inline, so that laying out reads memory in order;
  // the codes of a long spelling after those are in `pending_tail_`.
  struct Pending {
    static constexpr std::size_t kHead = 12;
    std::uint32_t word;
    std::uint32_t letters;
    std::uint32_t length;  // folded codes
    std::uint32_t tail;    // into pending_tail_
    std::uint8_t head[kHead];
    MatcherEntry entry() const { return MatcherEntry{word, letters}; }
  };
  std::vector<Pending> pending_;
  std::vector<std::uint8_t> pending_tail_;
  std::vector<std::uint8_t> folded_;  // the spelling being inserted
  void add_pending(const MatcherEntry& entry, std::span<const std::uint8_t> codes);
  void reopen();
  class Layout;  // lays the pending spellings out as the tree (matcher_build.cpp)

  // Laid out: nodes numbered level by level, the children of a node in
  // character order, so a node's children and its entries are consecutive
  // ranges and every parent comes before its children.
  bool compacted_ = false;
  Flat<std::uint8_t> code_;          // per node, for building; the root's is unused
  Flat<std::uint32_t> child_begin_;  // node count + 1: children of v are [v], [v + 1])
  Flat<std::uint32_t> entry_begin_;  // node count + 1, into entries_
  Flat<std::uint32_t> child_codes_;  // per node: its children's characters, one bit each
  Flat<std::uint32_t> min_word_;     // least word index below a node, capped
  Flat<std::uint32_t> level_begin_;  // depth d is [d], [d + 1])
  // Per node, at least the best word term less what completing costs in
  // score, over the spellings at the node and below it, counted from its
  // depth: a bound that passes over what cannot make the list. A byte each
  // (the index stays small): kBestStep steps down from the best word term
  // of all, rounded towards that term, so still a bound. Made from the word
  // terms, so from the ranking numbers too.
  static constexpr float kBestStep = 0.05f;
  Flat<std::uint8_t> best_at_;
  float best_top_ = 0;  // the first word's term
  float best_at(std::uint32_t node) const;
  void summarize_best();

  Flat<MatcherEntry> entries_;
  Flat<char> letters_pool_;  // each entry's letters, NUL-terminated
  // Entries of a stored tree are not checked when it is opened: one naming a
  // word from here on is passed over, as an entry range beyond entries_ is.
  std::uint64_t word_limit_ = ~std::uint64_t{0};
  // Whether an entry from a stored tree names a real word and spelling.
  bool sound_entry(const MatcherEntry& e) const {
    return e.word < word_limit_ && e.letters < letters_pool_.size();
  }
  Flat<float> word_terms_;
  std::uint64_t max_len_ = 0;
  float margin_ = 0;
  RankingParams params_;
};

// Column 1 of each typed character, made once for every text that begins
// with it: the texts from each start of a typing begin with its characters
// in turn, and column 1 is among the largest.
struct FirstColumns {
  std::array<Column, Matcher::kCodes> of;
  std::uint32_t made = 0;  // one bit per character
  float limit = 0;
  // Where every new column is made before it is copied at its size: a
  // column grown in place would take a dozen allocations and hold up to
  // twice its room.
  Column scratch;
};

// The columns of one typed text, kept from one search to the next: a text
// that shares a beginning with the last one reuses that beginning's columns.
// Spare columns keep their room, so steady typing allocates nothing.
class MatchColumns {
 public:
  // Makes the columns those of `codes` (column 0 is `first`, made for
  // `limit`) and returns the last; column 1 is the one in `shared` when
  // given, made there first if need be (the same `shared` on every call).
  const Column& follow(const Matcher& m, const Column& first, std::span<const std::uint8_t> codes,
                       float limit, SearchStats* stats, FirstColumns* shared = nullptr);
  // The room its columns hold, in bytes (the shared column 1 not counted).
  std::size_t held_bytes() const;
  // Gives back the room of columns past the held text's end, kept for
  // typing back what was erased.
  void release_spare();
  // Gives back the room of the held text's columns but the last `keep`: a
  // longer text reads only those; a text that needs one given back makes
  // them all again.
  void release_inner(std::size_t keep);

 private:
  std::vector<std::uint8_t> codes_;
  std::vector<Column> columns_;  // columns_[k] is column k + 1
  std::size_t held_ = 0;
  std::size_t dropped_ = 0;  // columns_[k] for k < dropped_ were given back
  float limit_ = 0;
  bool shared_first_ = false;  // column 1 is the shared one of codes_[0]
};

}  // namespace sorla
