// The suggestion engine: built once from word data, then asked for
// suggestions on every keystroke and told what the user picked.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <variant>
#include <vector>

#include "sorla/learn.h"
#include "sorla/matcher.h"
#include "sorla/rank.h"
#include "sorla/ranking_params.h"
#include "sorla/suggest.h"
#include "sorla/user_words.h"
#include "sorla/word_index.h"
#include "sorla/word_list.h"

namespace sorla {

class Engine {
 public:
  static constexpr std::size_t kMaxSuggestions = sorla::kMaxSuggestions;
  static constexpr std::size_t kMaxCandidates = sorla::kMaxCandidates;

  // Seed text or binary word data, ranked with `params` when given, else
  // with the word data's own numbers (word_data_ranking); the reader's
  // message on failure, or why the search cannot use `params`.
  static std::variant<Engine, ReadError> from_bytes(
      std::span<const std::uint8_t> bytes, const std::optional<RankingParams>& params = {});
  static std::variant<Engine, ReadError> from_bytes(
      std::string_view bytes, const std::optional<RankingParams>& params = {});

  // An engine that reads its tables where they lie, in a prebuilt index of
  // `word_data` (index_file.h), with no build; `keep` keeps that memory
  // alive as long as the engine and its copies. The index's message when it
  // is not sound, was built from other word data or by an engine with other
  // ranking numbers than `params` (by default the word data's own), so that
  // it ranks exactly as from_bytes(word_data, params) would.
  static std::variant<Engine, ReadError> open_index(
      std::span<const std::uint8_t> index, std::span<const std::uint8_t> word_data,
      std::shared_ptr<const void> keep = nullptr, const std::optional<RankingParams>& params = {});
  // This engine's tables as an index file of `word_data`, the bytes it was
  // built from.
  std::vector<std::uint8_t> index_bytes(std::span<const std::uint8_t> word_data) const;
  // Whether the tables lie in an index's memory that this engine keeps.
  bool mapped() const { return keep_ != nullptr; }

  std::optional<std::uint64_t> word_at_end(std::string_view text) const;
  // The best `limit` texts for `typed`, at most kMaxCandidates: one search
  // whatever the limit, so the first five are the same for every limit.
  std::vector<Suggestion> suggest(std::string_view typed,
                                  const std::optional<std::string>& previous,
                                  std::size_t limit = kMaxSuggestions) const;
  void learn(std::string_view typed, std::string_view picked,
             const std::optional<std::string>& previous);
  void unlearn(std::string_view typed, std::string_view picked,
               const std::optional<std::string>& previous);
  std::string export_learned() const;
  std::optional<ImportError> import_learned(std::string_view bytes);
  // Continues from picks merged elsewhere, as a save that merged them does.
  void replace_learned(LearnedStore store) { learned_ = std::move(store); }
  const std::optional<std::string>& data_name() const { return data_name_; }
  // The user's own words, offered beside the word data's (place_user_words
  // of sorla/suggest.h says where); the word data's tables stay as they are.
  void set_user_words(std::vector<UserWord> words) {
    user_words_ = UserWordIndex(std::move(words));
  }
  const std::vector<UserWord>& user_words() const { return user_words_.words(); }

  const WordTexts& words() const { return words_; }
  const Matcher& matcher() const { return matcher_; }
  const PairSet& pairs() const { return pairs_; }
  const LearnedStore& learned() const { return learned_; }
  const RankingParams& ranking_params() const { return matcher_.params(); }
  // Work counts of every suggest so far (matcher calls, tree nodes visited,
  // lattice nodes made), for the benchmarks.
  const SearchStats& search_stats() const { return stats_; }
  // The room the search keeps between suggests (Ranker::held_bytes).
  Ranker::HeldBytes search_bytes() const { return ranker_.held_bytes(); }

 private:
  class Builder;  // fills a new engine while the word data is read
  Engine() = default;
  std::optional<std::string> previous_text(const std::optional<std::string>& previous) const;

  std::shared_ptr<const void> keep_;  // the memory a mapped index's tables lie in
  WordTexts words_;
  Matcher matcher_;
  std::optional<std::string> data_name_;
  PairSet pairs_;
  WordIndex word_ids_;
  LearnedStore learned_;
  UserWordIndex user_words_;
  // The last suggest's lattice and span results, reused while the typed text
  // grows or shrinks at its end. It depends on the word data only, never on
  // `learned_`, and is plain values, so copies carry a valid one.
  mutable Ranker ranker_;
  mutable SearchStats stats_;
};

// The reader choice of Engine::from_bytes: binary word data for bytes that
// are not UTF-8 or start like its magic, seed text with an empty name otherwise.
ReadResult read_word_data(std::span<const std::uint8_t> bytes);

// The numbers an engine made from `word_data` ranks with unless told others:
// those a binary file carries, else RankingParams{}; the reader's message
// when the file's head is refused.
std::variant<RankingParams, ReadError> word_data_ranking(std::span<const std::uint8_t> word_data);

// The built-in seed word list, compiled into every binary.
std::span<const std::uint8_t> seed_words();

// The engine a front end types with, and why it is not the word data's
// when it is not.
struct OpenedWordData {
  Engine engine;
  // The reader's message for word data it refused; the engine then types
  // with the built-in seed list.
  std::optional<ReadError> refused;
};

// Opened in place on `index` when that is a sound index of `word_data` (its
// memory kept alive by `keep`), else built from `word_data`, else, when its
// reader refuses it, the built-in seed list.
OpenedWordData open_word_data(std::span<const std::uint8_t> word_data,
                              std::span<const std::uint8_t> index = {},
                              std::shared_ptr<const void> keep = nullptr);

}  // namespace sorla
