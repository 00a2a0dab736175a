// The tuning search: the ranking numbers that type the development set's
// tuning half best, found by coordinate descent on a fixed grid. The
// held-out half is never read, so its figures stay honest.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "sorla/lexicon/dev_set.h"
#include "sorla/lexicon/measure.h"
#include "sorla/ranking_params.h"

namespace sorla::lexicon {

struct TuningFigures {
  WordRate words;
  SentenceRate sentences;
};

// What the search maximizes: words typed first count twice, words in the
// five once and sentences typed exactly once, each as a share of its count.
double tuning_objective(const TuningFigures& figures);

// The values tried for each number, in kRankingNumbers order.
using TuningGrid = std::array<std::vector<float>, std::size(kRankingNumbers)>;
TuningGrid default_tuning_grid();

struct TuningResult {
  RankingParams params;
  TuningFigures specified;  // with RankingParams{}, where the search starts
  TuningFigures chosen;     // with `params`
  std::size_t engines = 0;  // engines built and measured
  std::size_t passes = 0;
};

// Told after each number (its place in kRankingNumbers) is settled, for
// progress reports.
using TuningStep =
    std::function<void(std::size_t number, const RankingParams&, const TuningFigures&)>;

// Starts from RankingParams{} and, in passes over the numbers in their
// fixed order, sets each to the grid value (or its current one) with the
// highest objective, all else held; a tie goes to the value nearest the
// specified one, then to the smaller. Stops after a pass that changes
// nothing, or after `max_passes`. Grid values ranking_params_error refuses
// are skipped. Refuses word data the engine cannot read and a development
// set with no typing in the tuning half.
std::variant<TuningResult, std::string> tune_ranking(std::span<const std::uint8_t> word_data,
                                                     std::span<const DevTyping> typings,
                                                     std::span<const DevSentence> sentences,
                                                     const TuningGrid& grid,
                                                     std::size_t max_passes = 4,
                                                     const TuningStep& step = {});

}  // namespace sorla::lexicon
