#include <algorithm>
#include <bit>

#include "reference/reference.h"
#include "scoring.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"
#include "sorla/text.h"

namespace sorla::reference {
std::variant<PlainEngine, ReadError> PlainEngine::from_bytes(std::span<const std::uint8_t> bytes,
                                                             Kind kind,
                                                             const RankingParams& params) {
  ReadResult read = read_word_data(bytes);
  if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
  return PlainEngine(std::get<WordList>(read), kind, params);
}

PlainEngine::PlainEngine(const WordList& list, Kind kind, const RankingParams& params)
    : kind_(kind), params_(params), trie_(params.completion_cost), brute_(params.completion_cost) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const WordEntry& entry = list.entries[i];
    for (const std::string& spelling : entry.spellings) {
      if (kind == Kind::Trie) {
        trie_.insert(i, spelling);
      } else {
        brute_.insert(i, spelling);
      }
    }
    words_.push_back(entry.word);
  }
  word_ids_.build(words_);
  for (const PairEntry& pair : list.pairs) pairs_.insert({pair.first, pair.second});
}

std::vector<Match> PlainEngine::find(std::string_view typed, float threshold,
                                     bool allow_completion) const {
  if (!remember_) {
    return kind_ == Kind::Trie ? trie_.find(typed, threshold, allow_completion)
                               : brute_.find(typed, threshold, allow_completion);
  }
  std::string key(typed);
  key.push_back(allow_completion ? '+' : '-');
  key += std::to_string(std::bit_cast<std::uint32_t>(threshold));
  auto it = remembered_.find(key);
  if (it != remembered_.end()) return it->second;
  if (remembered_.size() > 50000) remembered_.clear();
  auto found = kind_ == Kind::Trie ? trie_.find(typed, threshold, allow_completion)
                                   : brute_.find(typed, threshold, allow_completion);
  remembered_.emplace(std::move(key), found);
  return found;
}

std::optional<std::uint64_t> PlainEngine::word_at_end(std::string_view text) const {
  return word_ids_.ending(words_, text);
}

std::optional<std::string> PlainEngine::previous_text(
    const std::optional<std::string>& previous) const {
  return word_ids_.previous_key(words_, previous);
}

std::vector<Suggestion> PlainEngine::suggest(std::string_view typed,
                                             const std::optional<std::string>& previous) const {
  if (!acceptable_typing(typed)) return {};
  const std::optional<std::uint64_t> previous_word =
      previous ? word_at_end(*previous) : std::nullopt;
  const std::vector<std::string> pieces = split_pieces(typed);
  const FindFn find_fn = [this](std::string_view t, float threshold, bool completion) {
    return find(t, threshold, completion);
  };
  const std::vector<RankedSequence> ranked = rank_sequences(
      words_.size(), find_fn, pairs_, pieces, previous_word, true, kSequenceLimit, params_);

  return assemble_suggestions(ranked, pieces.size(), words_.size(), words_,
                              learned_.tally(typed, previous_text(previous)), params_);
}

void PlainEngine::learn(std::string_view typed, std::string_view picked,
                        const std::optional<std::string>& previous) {
  learned_.record(typed, picked, previous_text(previous));
}

std::optional<ImportError> PlainEngine::import_learned(std::string_view bytes) {
  auto result = LearnedStore::import_json(bytes);
  if (auto* error = std::get_if<ImportError>(&result)) return *error;
  learned_ = std::move(std::get<LearnedStore>(result));
  return std::nullopt;
}

}  // namespace sorla::reference
