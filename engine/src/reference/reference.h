// The straightforward engine that the fast one is checked against: a trie
// walk per span, a full lattice per call, no caches. Tests and benchmarks
// only; the product links none of it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "sorla/engine.h"
#include "sorla/learn.h"
#include "sorla/matcher.h"
#include "sorla/rank.h"
#include "sorla/ranking_params.h"
#include "sorla/word_index.h"
#include "sorla/word_list.h"

namespace sorla::reference {

struct TrieEntry {
  std::uint64_t word = 0;
  std::string letters;  // letters() of the spelling as written
};

struct TrieNode {
  std::vector<std::pair<char32_t, std::uint32_t>> children;  // creation order
  std::vector<TrieEntry> entries;
};

// Character tree over folded spellings, searched depth first with one
// edit-distance row per level.
class TrieMatcher {
 public:
  explicit TrieMatcher(float completion_cost = RankingParams{}.completion_cost);
  void insert(std::uint64_t word, std::string_view spelling);
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;

 private:
  std::vector<TrieNode> nodes_;
  std::uint64_t max_len_ = 0;
  float completion_cost_;
};

// Every spelling scored on its own: the same distance, no tree, no pruning.
class BruteMatcher {
 public:
  explicit BruteMatcher(float completion_cost = RankingParams{}.completion_cost)
      : completion_cost_(completion_cost) {}
  void insert(std::uint64_t word, std::string_view spelling);
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;

 private:
  struct Spelling {
    std::uint64_t word;
    std::u32string folded;
    std::string letters;
  };
  std::vector<Spelling> spellings_;
  float completion_cost_;
};

using FindFn = std::function<std::vector<Match>(std::string_view, float, bool)>;

// What the ranking keeps of a span's matches: those within `max_cost` once
// exact readings are adjusted, scored, best first (stable), at most eight.
std::vector<SpanWord> score_span(const std::vector<Match>& matches, float max_cost,
                                 const RankingParams& params);

// `find` must complete with params.completion_cost.
std::vector<RankedSequence> rank_sequences(std::size_t word_count, const FindFn& find,
                                           const PairSet& pairs,
                                           const std::vector<std::string>& pieces,
                                           std::optional<std::uint64_t> previous,
                                           bool allow_completion, std::size_t limit,
                                           const RankingParams& params);

// The engine's suggest, learn and import with either matcher.
class PlainEngine {
 public:
  enum class Kind { Trie, Brute };

  static std::variant<PlainEngine, ReadError> from_bytes(std::span<const std::uint8_t> bytes,
                                                         Kind kind = Kind::Trie,
                                                         const RankingParams& params = {});

  std::vector<Suggestion> suggest(std::string_view typed,
                                  const std::optional<std::string>& previous) const;
  void learn(std::string_view typed, std::string_view picked,
             const std::optional<std::string>& previous);
  std::optional<ImportError> import_learned(std::string_view bytes);
  std::optional<std::uint64_t> word_at_end(std::string_view text) const;
  const RankingParams& params() const { return params_; }
  std::vector<Match> find(std::string_view typed, float threshold, bool allow_completion) const;
  // Remember every find's answer (a pure function of its arguments), so
  // that typing key by key searches each span once: for long test runs.
  void remember_finds() { remember_ = true; }

 private:
  PlainEngine(const WordList& list, Kind kind, const RankingParams& params);
  std::optional<std::string> previous_text(const std::optional<std::string>& previous) const;

  Kind kind_;
  RankingParams params_;
  WordTexts words_;
  TrieMatcher trie_;
  BruteMatcher brute_;
  PairSet pairs_;
  WordIndex word_ids_;
  LearnedStore learned_;
  bool remember_ = false;
  mutable std::unordered_map<std::string, std::vector<Match>> remembered_;
};

}  // namespace sorla::reference
