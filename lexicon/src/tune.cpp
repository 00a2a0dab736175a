#include "sorla/lexicon/tune.h"

#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "sorla/engine.h"

namespace sorla::lexicon {

double tuning_objective(const TuningFigures& f) {
  const auto share = [](std::size_t n, std::size_t of) {
    return of ? double(n) / double(of) : 0.0;
  };
  return 2 * share(f.words.first, f.words.total) + share(f.words.in_five, f.words.total) +
         share(f.sentences.exact, f.sentences.total);
}

TuningGrid default_tuning_grid() {
  // Around the specified values, wide enough that no chosen value sits at
  // an edge of its row on today's data; kept short so that `make lexicon`
  // stays within minutes.
  return {{
      {-0.3f, -0.4f, -0.5f, -0.6f, -0.7f, -0.8f, -1.0f},             // word term weight
      {0.0f, 0.3f, 0.6f, 0.9f, 1.2f, 1.8f, 2.4f},                    // exact bonus
      {0.1f, 0.2f, 0.3f, 0.4f, 0.6f, 0.8f},                          // completion cost
      {0.0f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 4.0f, 5.0f},              // pair bonus
      {1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 4.5f, 5.0f, 6.0f, 7.0f},  // start penalty
      {0.0f, 0.5f, 1.0f, 1.5f, 2.0f, 3.0f},                          // gap cost
      {6.8f, 8.8f, 10.8f, 12.8f},                                    // literal base
  }};
}

namespace {

// Measured figures by the numbers' bits: a later pass meets many sets again.
using Key = std::array<std::uint32_t, std::size(kRankingNumbers)>;

Key key_of(const RankingParams& p) {
  Key key{};
  for (std::size_t k = 0; k < key.size(); ++k) {
    std::memcpy(&key[k], &(p.*kRankingNumbers[k].field), sizeof(float));
  }
  return key;
}

class Measure {
 public:
  Measure(std::span<const std::uint8_t> word_data, std::vector<DevTyping> typings,
          std::vector<DevSentence> sentences)
      : data_(word_data), typings_(std::move(typings)), sentences_(std::move(sentences)) {}

  std::variant<TuningFigures, std::string> operator()(const RankingParams& params) {
    if (const auto found = seen_.find(key_of(params)); found != seen_.end()) return found->second;
    auto built = Engine::from_bytes(data_, params);
    if (auto* error = std::get_if<ReadError>(&built)) return error->message;
    Engine& engine = std::get<Engine>(built);
    ++engines_;
    const TuningFigures figures{rate_words(engine, typings_), rate_sentences(engine, sentences_)};
    seen_.emplace(key_of(params), figures);
    return figures;
  }
  std::size_t engines() const { return engines_; }

 private:
  std::span<const std::uint8_t> data_;
  std::vector<DevTyping> typings_;
  std::vector<DevSentence> sentences_;
  std::map<Key, TuningFigures> seen_;
  std::size_t engines_ = 0;
};

// Whether `value` (scoring `score`) should replace `best` (scoring
// `best_score`) for the number whose specified value is `specified`.
bool better(double score, float value, double best_score, float best, float specified) {
  if (score != best_score) return score > best_score;
  const float distance = std::fabs(value - specified), best_distance = std::fabs(best - specified);
  if (distance != best_distance) return distance < best_distance;
  return value < best;
}

}  // namespace

std::variant<TuningResult, std::string> tune_ranking(std::span<const std::uint8_t> word_data,
                                                     std::span<const DevTyping> typings,
                                                     std::span<const DevSentence> sentences,
                                                     const TuningGrid& grid, std::size_t max_passes,
                                                     const TuningStep& step) {
  auto tuning_typings = in_half(typings, Half::Tuning);
  if (tuning_typings.empty()) return std::string("the development set has no tuning typing");
  Measure measure(word_data, std::move(tuning_typings), in_half(sentences, Half::Tuning));

  const RankingParams specified{};
  auto start = measure(specified);
  if (auto* error = std::get_if<std::string>(&start)) return std::move(*error);
  TuningResult result{specified, std::get<TuningFigures>(start), std::get<TuningFigures>(start)};
  double best_score = tuning_objective(result.chosen);

  while (result.passes < max_passes) {
    ++result.passes;
    bool changed = false;
    for (std::size_t k = 0; k < grid.size(); ++k) {
      float RankingParams::*field = kRankingNumbers[k].field;
      const float settled = result.params.*field;
      for (const float value : grid[k]) {
        RankingParams trial = result.params;
        trial.*field = value;
        if (value == settled || ranking_params_error(trial)) continue;
        auto figures = measure(trial);
        if (auto* error = std::get_if<std::string>(&figures)) return std::move(*error);
        const double score = tuning_objective(std::get<TuningFigures>(figures));
        if (better(score, value, best_score, result.params.*field, specified.*field)) {
          result.params = trial;
          result.chosen = std::get<TuningFigures>(figures);
          best_score = score;
        }
      }
      changed |= result.params.*field != settled;
      if (step) step(k, result.params, result.chosen);
    }
    if (!changed) break;
  }
  result.engines = measure.engines();
  return result;
}

}  // namespace sorla::lexicon
