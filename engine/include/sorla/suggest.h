// From typed text to suggestions around the ranking: what typing is
// accepted, how it splits into pieces, and how ranked sequences and learned
// picks become the few texts offered.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/learn.h"
#include "sorla/rank.h"
#include "sorla/ranking_params.h"
#include "sorla/user_words.h"
#include "sorla/word_texts.h"

namespace sorla {

struct Suggestion {
  std::string text;
  float score = 0;
  bool operator==(const Suggestion&) const = default;
};

// One page of candidates, and the most a search offers: four pages.
inline constexpr std::size_t kMaxSuggestions = 5;
inline constexpr std::size_t kMaxCandidates = 4 * kMaxSuggestions;

// Typed text may hold letters, apostrophes, hyphens and white space only.
bool acceptable_typing(std::string_view typed);

// The typed text split at runs of white space; no piece is empty.
std::vector<std::string> split_pieces(std::string_view typed);

// The ranked sequences (best first) of `piece_count` typed pieces made into
// texts of `words`: all-word sequences that beat passing everything through,
// each text once, boosted by the learned `rows`, at most `limit`; `params`
// are those the sequences were ranked with. The order does not depend on
// `limit`: a longer list only adds to the end.
std::vector<Suggestion> assemble_suggestions(const std::vector<RankedSequence>& ranked,
                                             std::size_t piece_count, std::size_t word_count,
                                             const WordTexts& words,
                                             const std::vector<LearnedTally>& rows,
                                             const RankingParams& params,
                                             std::size_t limit = kMaxSuggestions);

// `found` (the search's texts with the learned picks, best first) with the
// user's words for `typed`, a single piece: those spelled exactly so come
// first, the learned ones first among them; those whose spelling it only
// begins come in from the last place of the first page on, unless a learned
// pick put them higher already. At most `limit`.
std::vector<Suggestion> place_user_words(std::vector<Suggestion> found, const UserWordIndex& user,
                                         std::string_view typed,
                                         const std::vector<LearnedTally>& rows,
                                         std::size_t limit = kMaxSuggestions);

}  // namespace sorla
