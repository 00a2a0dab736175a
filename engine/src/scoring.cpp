#include "scoring.h"

#include <cmath>

namespace sorla {

float ln(float x) { return static_cast<float>(std::log(static_cast<double>(x))); }

std::optional<std::string> ranking_params_error(const RankingParams& p) {
  // Far beyond any useful tuning; keeps every score of a sequence finite.
  constexpr float kLargest = 1000.0f;
  for (const RankingNumber& n : kRankingNumbers) {
    if (!(std::fabs(p.*n.field) <= kLargest)) {
      return std::string("the ranking's ") + n.name + " is not a number from -1000 to 1000";
    }
  }
  // The matcher skips what lies below a tree node by the word term of the
  // least word index there: the largest term only while terms never grow
  // with the index.
  if (!(p.word_term_weight <= 0.0f)) return "the ranking's word term weight is above 0";
  // It also drops a word's reading that cannot make its best few, which is
  // sound only while an exact reading scores at least as high as a close one.
  if (!(p.exact_bonus >= 0.0f)) return "the ranking's exact bonus is below 0";
  // Completion tails must grow with every character for a walk to stop.
  if (!(p.completion_cost > 0.0f)) return "the ranking's completion cost is not above 0";
  return std::nullopt;
}

}  // namespace sorla
