// The hand-written list of everyday chat words (data/lexicon/everyday.txt)
// and the floor it gives their frequency: the corpus is software text, where
// chat's little words (particles, kin words, daily verbs) are rare.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace sorla::lexicon {

// One word a line; blank lines and lines starting with '#' are skipped.
std::vector<std::string> read_everyday(std::string_view text);

// Lifts each word of `everyday` to at least the score of the word at place
// `place` (1 = the highest) among `score`, adding the words not scored yet;
// with fewer scored words than that, the lowest score is the floor.
void raise_everyday(std::map<std::string, double>& score, const std::set<std::string>& everyday,
                    std::size_t place);

}  // namespace sorla::lexicon
