// The scoring model on one page: every formula and constant that ranks
// spellings, word sequences and learned picks. Scores are single-precision
// floats, higher is better; each formula keeps its order of operations, for
// the results are compared bit for bit.
//
// The numbers a word list is tuned by are fields of RankingParams
// (sorla/ranking_params.h): the word term's weight, the exact-match bonus,
// the completion cost, the pair bonus, the start penalty (what cutting
// inside a typed piece costs), the cost of a gap a word runs across and the
// literal penalty's base. These decide which of two readings or cuttings
// wins. The rest stay constants: the edit costs and cost limits shape the
// search itself, and the learned boost is the user's, not the word list's.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "sorla/ranking_params.h"

namespace sorla {

// Natural logarithm, the same float on every target: computed in double and
// rounded once.
float ln(float x);

// The cost limit of every search: the float with bits 0x40333334. The
// literal 2.8f is one ulp below it, and 1.2 + 1.2 + 0.4 lands exactly here.
inline constexpr float kMatchThreshold = std::bit_cast<float>(std::uint32_t{0x40333334});
// Completing a spelling costs RankingParams::completion_cost per character
// beyond the typed text: at depth d of a spelling, this much.
inline float completion_step(const RankingParams& p, std::size_t depth) {
  return p.completion_cost * static_cast<float>(depth);
}

// How common a word is, by its index (lower is more common).
inline float word_term(std::uint64_t word, const RankingParams& p) {
  return p.word_term_weight * ln(static_cast<float>(word + 2));
}

// A reading whose letters are exactly the typed ones counts the exact bonus
// less cost.
inline float adjusted_cost(float cost, bool exact, const RankingParams& p) {
  return exact ? cost - p.exact_bonus : cost;
}

// A word's score for one span, from its adjusted cost and its word term.
inline constexpr float kCostWeight = -4.0f;
inline float span_score(float adjusted, float term) { return kCostWeight * adjusted + term; }

// The adjusted cost a span allows: the most for whole typed pieces, less
// for short spans cut inside one.
inline constexpr float kMaxSpanCost = 2.2f;
inline constexpr float kSpanCostPerLetter = 0.35f;
inline constexpr float kSpanCostBase = 0.3f;
inline float span_cost_limit(bool whole, std::size_t length) {
  return whole ? kMaxSpanCost
               : std::min(kSpanCostPerLetter * static_cast<float>(length) + kSpanCostBase,
                          kMaxSpanCost);
}

// Two words listed as a pair, in that order, score the pair bonus more.
inline float pair_bonus(bool listed, const RankingParams& p) {
  return listed ? p.pair_bonus : 0.0f;
}
// What a span pays for where it is cut: the gap cost for each gap between
// typed pieces it runs across, and the start penalty when it starts inside
// a piece.
inline float cut_cost(std::size_t inner_gaps, bool starts_piece, const RankingParams& p) {
  return static_cast<float>(inner_gaps) * p.gap_cost + (starts_piece ? 0.0f : p.start_penalty);
}
// A sequence extended by one word.
inline float extended_score(float parent, float span, float bonus, float cut) {
  return ((span + parent) + bonus) - cut;
}

// What a span pays for being passed through unrecognised, among N words.
inline constexpr float kLiteralWordWeight = 0.6f;
inline constexpr float kLiteralExtra = 1.0f;
inline float literal_penalty(std::size_t word_count, const RankingParams& p) {
  return (kLiteralWordWeight * ln(static_cast<float>(word_count + 2)) + p.literal_base) +
         kLiteralExtra;
}

// A suggestion with more words than typed pieces must score within this of
// the best sequence.
inline constexpr float kSplitWindow = -3.0f;

// A learned pick: how often it was picked, and more after the same previous
// word.
inline constexpr float kAfterPreviousBoost = 2.0f;
inline constexpr float kPickCountWeight = 0.5f;
inline constexpr float kPickBase = 6.0f;
inline float learned_boost(std::uint32_t total, bool after_previous) {
  return (after_previous ? kAfterPreviousBoost : 0.0f) +
         (kPickCountWeight * ln(static_cast<float>(total)) + kPickBase);
}

// The lattice's shape: letters in one span, gaps between typed pieces one
// span may cross, words kept per span, nodes kept per position, and
// sequences ranked for the suggestions.
inline constexpr std::size_t kMaxSpan = 24;
inline constexpr std::size_t kMaxGaps = 2;
inline constexpr std::size_t kSpanWords = 8;
inline constexpr std::size_t kBeam = 8;
inline constexpr std::size_t kSequenceLimit = 20;

}  // namespace sorla
