#include "sorla/engine.h"

#include <algorithm>

#include "scoring.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"
#include "sorla/text.h"

namespace sorla {
namespace {

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
  if (list.ranking) sink.ranking(*list.ranking);
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

std::variant<RankingParams, ReadError> word_data_ranking(std::span<const std::uint8_t> word_data) {
  // Only a binary file carries numbers, and it starts with the magic: no
  // scan of the whole data for UTF-8 as the reader choice makes, since an
  // index is opened at every activation. Other bytes are seed text or
  // refused by both readers.
  if (!as_text(word_data).starts_with("SRLA")) return RankingParams{};
  auto read = read_data_ranking(word_data);
  if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
  return std::get<std::optional<RankingParams>>(read).value_or(RankingParams{});
}

// Every word in list order gets the next index, its spellings go to the
// matcher under that index; the name, when not empty, is the data name. The
// data's own ranking numbers, which come before the first word, make the
// matcher unless the engine is told others.
class Engine::Builder final : public WordDataSink {
 public:
  Builder(Engine& engine, bool own_ranking) : e_(engine), own_ranking_(own_ranking) {}

  void data_name(std::string_view name) override {
    if (!name.empty()) e_.data_name_ = std::string(name);
  }
  void ranking(const RankingParams& params) override {
    if (own_ranking_) e_.matcher_ = Matcher(params);
  }
  void word_count(std::size_t count) override { e_.words_.reserve(count); }
  void pair_count(std::size_t count) override { e_.pairs_.reserve(count); }
  void word(std::string_view word, std::uint32_t, std::size_t) override {
    e_.words_.push_back(word);
  }
  void spelling(std::string_view spelling) override {
    // Below 2^32: the data file counts its words in 32 bits.
    e_.matcher_.insert(static_cast<std::uint32_t>(e_.words_.size() - 1), spelling);
  }
  void pair(const PairEntry& pair) override { e_.pairs_.insert({pair.first, pair.second}); }

  // After the last pair: the text-to-index map, and the matcher made compact.
  void finish() {
    e_.words_.shrink_to_fit();
    e_.word_ids_.build(e_.words_);
    e_.matcher_.compact();
  }

 private:
  Engine& e_;
  bool own_ranking_;
};

std::variant<Engine, ReadError> Engine::from_bytes(std::span<const std::uint8_t> bytes,
                                                   const std::optional<RankingParams>& params) {
  if (params) {
    if (auto error = ranking_params_error(*params)) return ReadError{std::move(*error)};
  }
  Engine engine;
  engine.matcher_ = Matcher(params.value_or(RankingParams{}));
  Builder builder(engine, !params);
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

std::variant<Engine, ReadError> Engine::from_bytes(std::string_view bytes,
                                                   const std::optional<RankingParams>& params) {
  return from_bytes(std::span<const std::uint8_t>(
                        reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                    params);
}

std::optional<std::uint64_t> Engine::word_at_end(std::string_view text) const {
  return word_ids_.ending(words_, text);
}

std::optional<std::string> Engine::previous_text(const std::optional<std::string>& previous) const {
  return word_ids_.previous_key(words_, previous);
}

std::vector<Suggestion> Engine::suggest(std::string_view typed,
                                        const std::optional<std::string>& previous,
                                        std::size_t limit) const {
  if (!acceptable_typing(typed)) return {};
  const std::optional<std::uint64_t> previous_word =
      previous ? word_at_end(*previous) : std::nullopt;
  const std::vector<std::string> pieces = split_pieces(typed);
  const std::vector<RankedSequence> ranked = ranker_.rank(
      words_.size(), matcher_, pairs_, pieces, previous_word, true, kSequenceLimit, &stats_);

  const std::vector<LearnedTally> rows = learned_.tally(typed, previous_text(previous));
  if (user_words_.empty()) {
    return assemble_suggestions(ranked, pieces.size(), words_.size(), words_, rows,
                                matcher_.params(), std::min(limit, kMaxCandidates));
  }
  // Every text the search has, since the user's words may push some down.
  return place_user_words(assemble_suggestions(ranked, pieces.size(), words_.size(), words_, rows,
                                               matcher_.params(), kMaxCandidates),
                          user_words_, typed, rows, std::min(limit, kMaxCandidates));
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

namespace sorla {

OpenedWordData open_word_data(std::span<const std::uint8_t> word_data,
                              std::span<const std::uint8_t> index,
                              std::shared_ptr<const void> keep) {
  if (!index.empty()) {
    auto opened = Engine::open_index(index, word_data, std::move(keep));
    if (auto* engine = std::get_if<Engine>(&opened)) return {std::move(*engine), std::nullopt};
  }
  auto built = Engine::from_bytes(word_data);
  if (auto* engine = std::get_if<Engine>(&built)) return {std::move(*engine), std::nullopt};
  return {std::move(std::get<Engine>(Engine::from_bytes(seed_words()))),
          std::get<ReadError>(std::move(built))};
}

}  // namespace sorla
