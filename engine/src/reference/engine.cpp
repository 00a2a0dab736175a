#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "reference/reference.h"
#include "sorla/float_order.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"
#include "sorla/text.h"

namespace sorla::reference {
namespace {

constexpr std::size_t kSequenceLimit = 20;

ReadResult read_word_data(std::span<const std::uint8_t> bytes) {
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!is_valid_utf8(text)) return read_data_file(bytes);
  const std::string_view magic = "SRLA";
  if (!text.empty() && magic.starts_with(text.substr(0, std::min<std::size_t>(text.size(), 4)))) {
    return read_data_file(bytes);
  }
  return parse_seed_text(text, "");
}

bool acceptable_typing(std::string_view typed) {
  if (!is_valid_utf8(typed)) return false;
  for (std::size_t pos = 0; pos < typed.size();) {
    const char32_t c = next_char(typed, pos);
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '\'' ||
                    is_white_space(c);
    if (!ok) return false;
  }
  return true;
}

std::vector<std::string> split_pieces(std::string_view typed) {
  std::vector<std::string> pieces;
  std::string current;
  for (std::size_t pos = 0; pos < typed.size();) {
    const std::size_t here = pos;
    if (is_white_space(next_char(typed, pos))) {
      if (!current.empty()) pieces.push_back(std::move(current));
      current.clear();
    } else {
      current.append(typed.substr(here, pos - here));
    }
  }
  if (!current.empty()) pieces.push_back(std::move(current));
  return pieces;
}

}  // namespace

std::variant<Engine, ReadError> Engine::from_bytes(std::span<const std::uint8_t> bytes, Kind kind) {
  ReadResult read = read_word_data(bytes);
  if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
  return Engine(std::get<WordList>(read), kind);
}

Engine::Engine(const WordList& list, Kind kind) : kind_(kind) {
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    const WordEntry& entry = list.entries[i];
    for (const std::string& spelling : entry.spellings) {
      if (kind == Kind::Trie) {
        trie_.insert(i, spelling);
      } else {
        brute_.insert(i, spelling);
      }
    }
    word_ids_.try_emplace(entry.word, i);
    words_.push_back(entry.word);
  }
  for (const PairEntry& pair : list.pairs) pairs_.insert({pair.first, pair.second});
}

std::vector<Match> Engine::find(std::string_view typed, float threshold,
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

std::optional<std::uint64_t> Engine::word_at_end(std::string_view text) const {
  for (std::size_t pos = 0; pos < text.size();) {
    const auto it = word_ids_.find(text.substr(pos));
    if (it != word_ids_.end()) return it->second;
    next_char(text, pos);
  }
  return std::nullopt;
}

std::optional<std::string> Engine::previous_text(const std::optional<std::string>& previous) const {
  if (!previous) return std::nullopt;
  if (const auto idx = word_at_end(*previous)) return words_[*idx];
  return previous;
}

std::vector<Suggestion> Engine::suggest(std::string_view typed,
                                        const std::optional<std::string>& previous) const {
  if (!acceptable_typing(typed)) return {};
  const std::optional<std::uint64_t> previous_word =
      previous ? word_at_end(*previous) : std::nullopt;
  const std::vector<std::string> pieces = split_pieces(typed);
  const FindFn find_fn = [this](std::string_view t, float threshold, bool completion) {
    return find(t, threshold, completion);
  };
  const std::vector<RankedSequence> ranked =
      rank_sequences(words_.size(), find_fn, pairs_, pieces, previous_word, true, kSequenceLimit);

  const float top = ranked.empty() ? -std::numeric_limits<float>::infinity() : ranked[0].score;
  const float all_literal = static_cast<float>(pieces.size()) * (-literal_penalty(words_.size()));
  std::vector<Suggestion> out;
  std::unordered_set<std::string> emitted;
  for (const RankedSequence& seq : ranked) {
    const bool all_words = std::all_of(seq.pieces.begin(), seq.pieces.end(), [](const Piece& p) {
      return std::holds_alternative<std::uint64_t>(p);
    });
    if (!all_words) continue;
    if (!(seq.score > all_literal)) continue;
    if (seq.pieces.size() > pieces.size() && !(seq.score >= top + (-3.0f))) continue;
    std::string text;
    for (const Piece& p : seq.pieces) text += words_[std::get<std::uint64_t>(p)];
    if (!emitted.insert(text).second) continue;
    out.push_back(Suggestion{std::move(text), seq.score});
  }

  const std::vector<LearnedTally> rows = learned_.tally(typed, previous_text(previous));
  if (!rows.empty()) {
    const float base = std::isfinite(top) ? top : 0.0f;
    for (const LearnedTally& row : rows) {
      const float boost = (row.after_previous != 0 ? 2.0f : 0.0f) +
                          (0.5f * ln(static_cast<float>(row.total)) + 6.0f);
      auto it = std::find_if(out.begin(), out.end(),
                             [&](const Suggestion& s) { return s.text == row.picked; });
      if (it != out.end()) {
        it->score = it->score + boost;
      } else {
        out.push_back(Suggestion{row.picked, boost + base});
      }
    }
    std::stable_sort(out.begin(), out.end(), [](const Suggestion& a, const Suggestion& b) {
      return total_less(b.score, a.score);
    });
  }
  if (out.size() > sorla::Engine::kMaxSuggestions) out.resize(sorla::Engine::kMaxSuggestions);
  return out;
}

void Engine::learn(std::string_view typed, std::string_view picked,
                   const std::optional<std::string>& previous) {
  learned_.record(typed, picked, previous_text(previous));
}

std::optional<ImportError> Engine::import_learned(std::string_view bytes) {
  auto result = LearnedStore::import_json(bytes);
  if (auto* error = std::get_if<ImportError>(&result)) return *error;
  learned_ = std::move(std::get<LearnedStore>(result));
  return std::nullopt;
}

}  // namespace sorla::reference
