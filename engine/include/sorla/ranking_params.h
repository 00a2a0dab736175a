// The numbers that tune ranking, as one value an engine is built with; the
// formulas they enter are in the engine's scoring header.
#pragma once

#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace sorla {

// RankingParams{} ranks as the engine always has: the seed list's worked
// examples hold with it bit for bit.
struct RankingParams {
  // Times ln(word index + 2): how much a word's commonness counts.
  float word_term_weight = -0.6f;
  // Cost taken off a reading whose letters are exactly the typed ones.
  float exact_bonus = 0.6f;
  // Cost of each spelling character beyond the end of the typed text.
  float completion_cost = 0.3f;
  // Two words listed as a pair, typed in that order.
  float pair_bonus = 2.5f;
  // A word that starts inside a typed piece: the cost of cutting a piece.
  float start_penalty = 1.5f;
  // Each gap between typed pieces that one word runs across.
  float gap_cost = 1.0f;
  // The fixed part of what passing a typed piece through costs.
  float literal_base = 8.8f;

  bool operator==(const RankingParams&) const = default;
};

// Each number with the name it is shown and refused by, in field order.
struct RankingNumber {
  const char* name;
  float RankingParams::*field;
};
inline constexpr RankingNumber kRankingNumbers[] = {
    {"word term weight", &RankingParams::word_term_weight},
    {"exact bonus", &RankingParams::exact_bonus},
    {"completion cost", &RankingParams::completion_cost},
    {"pair bonus", &RankingParams::pair_bonus},
    {"start penalty", &RankingParams::start_penalty},
    {"gap cost", &RankingParams::gap_cost},
    {"literal base", &RankingParams::literal_base},
};
static_assert(sizeof(RankingParams) == std::size(kRankingNumbers) * sizeof(float),
              "every number is named");

// Why the search cannot rank exactly with `params`, or nothing when it can.
std::optional<std::string> ranking_params_error(const RankingParams& params);

// The numbers as text, a "name = value" line each in kRankingNumbers order,
// every value written so that it reads back as the same float.
std::string format_ranking_params(const RankingParams& params);

// Text in that form, where blank lines and lines starting with '#' are
// skipped and the order is free; every number must be there exactly once
// and the result must pass ranking_params_error. A message, naming the line
// when one line is at fault, otherwise.
std::variant<RankingParams, std::string> parse_ranking_params(std::string_view text);

}  // namespace sorla
