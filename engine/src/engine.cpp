#include "sorla/engine.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <unordered_set>

#include "sorla/float_order.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"
#include "sorla/text.h"

namespace sorla {
namespace {

constexpr std::size_t kSequenceLimit = 20;

std::string_view as_text(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Binary word data for bytes that are not UTF-8 or start like its magic (or
// are a prefix of it) even when they happen to be valid UTF-8; else seed text.
bool is_binary_word_data(std::span<const std::uint8_t> bytes) {
  const std::string_view text = as_text(bytes);
  if (!is_valid_utf8(text)) return true;
  const std::string_view magic = "SRLA";
  return !text.empty() && magic.starts_with(text.substr(0, std::min<std::size_t>(text.size(), 4)));
}

// Hands a word list over as the binary reader would.
void feed(const WordList& list, WordDataSink& sink) {
  sink.data_name(list.data_name);
  sink.word_count(list.entries.size());
  for (const WordEntry& entry : list.entries) {
    sink.word(entry.word, entry.value, entry.spellings.size());
    for (const std::string& spelling : entry.spellings) sink.spelling(spelling);
  }
  sink.pair_count(list.pairs.size());
  for (const PairEntry& pair : list.pairs) sink.pair(pair);
}

}  // namespace

ReadResult read_word_data(std::span<const std::uint8_t> bytes) {
  if (is_binary_word_data(bytes)) return read_data_file(bytes);
  return parse_seed_text(as_text(bytes), "");
}

namespace {

// Typed text may hold letters, apostrophes, hyphens and white space only.
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

void sort_best_first(std::vector<Suggestion>& list) {
  std::stable_sort(list.begin(), list.end(), [](const Suggestion& a, const Suggestion& b) {
    return total_less(b.score, a.score);
  });
}

}  // namespace

// Every word in list order gets the next index, its spellings go to the
// matcher under that index; the name, when not empty, is the data name.
class Engine::Builder final : public WordDataSink {
 public:
  explicit Builder(Engine& engine) : e_(engine) {}

  void data_name(std::string_view name) override {
    if (!name.empty()) e_.data_name_ = std::string(name);
  }
  void word_count(std::size_t count) override { e_.words_.reserve(count); }
  void pair_count(std::size_t count) override { e_.pairs_.reserve(count); }
  void word(std::string_view word, std::uint32_t, std::size_t) override {
    e_.words_.emplace_back(word);
  }
  void spelling(std::string_view spelling) override {
    e_.matcher_.insert(e_.words_.size() - 1, spelling);
  }
  void pair(const PairEntry& pair) override { e_.pairs_.insert({pair.first, pair.second}); }

  // After the last pair: the text-to-index map, and the matcher made compact.
  void finish() {
    e_.word_ids_.build(e_.words_);
    e_.matcher_.compact();
  }

 private:
  Engine& e_;
};

std::variant<Engine, ReadError> Engine::from_bytes(std::span<const std::uint8_t> bytes) {
  Engine engine;
  Builder builder(engine);
  if (is_binary_word_data(bytes)) {
    // Straight from the buffer into the engine, without a string per word
    // and spelling in between; a read that fails late drops the engine.
    if (auto error = read_data_file(bytes, builder)) return std::move(*error);
  } else {
    ReadResult read = parse_seed_text(as_text(bytes), "");
    if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
    feed(std::get<WordList>(read), builder);
  }
  builder.finish();
  return engine;
}

std::variant<Engine, ReadError> Engine::from_bytes(std::string_view bytes) {
  return from_bytes(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::optional<std::uint64_t> Engine::word_at_end(std::string_view text) const {
  // The first hit from the left is the longest known ending.
  for (std::size_t pos = 0; pos < text.size();) {
    if (const auto hit = word_ids_.find(words_, text.substr(pos))) return hit;
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
  const std::vector<RankedSequence> ranked = ranker_.rank(
      words_.size(), matcher_, pairs_, pieces, previous_word, true, kSequenceLimit, &stats_);

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
    sort_best_first(out);
  }
  if (out.size() > kMaxSuggestions) out.resize(kMaxSuggestions);
  return out;
}

void Engine::learn(std::string_view typed, std::string_view picked,
                   const std::optional<std::string>& previous) {
  learned_.record(typed, picked, previous_text(previous));
}

void Engine::unlearn(std::string_view typed, std::string_view picked,
                     const std::optional<std::string>& previous) {
  learned_.unrecord(typed, picked, previous_text(previous));
}

std::string Engine::export_learned() const { return learned_.export_json(); }

std::optional<ImportError> Engine::import_learned(std::string_view bytes) {
  auto result = LearnedStore::import_json(bytes);
  if (auto* error = std::get_if<ImportError>(&result)) return *error;
  learned_ = std::move(std::get<LearnedStore>(result));
  return std::nullopt;
}

}  // namespace sorla
