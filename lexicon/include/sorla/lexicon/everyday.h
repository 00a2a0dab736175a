// The hand-written list of everyday chat words (data/lexicon/everyday.txt)
// and the floors it gives their frequency: the corpus is software text, where
// chat's little words (particles, kin words, daily verbs) are rare.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorla::lexicon {

struct EverydayWord {
  std::string word;
  bool first_tier = false;  // marked with a leading '+': among the most frequent
};

struct EverydayList {
  std::vector<EverydayWord> words;
  // Lines that hold no single word ("+" alone, two words): said by the
  // pipeline, so that a slip in the hand-written list is seen, not dropped.
  std::vector<std::pair<std::size_t, std::string>> unusable;  // line number (from 1), text
};

// One word a line, spaces and tabs around it and after the '+' ignored;
// blank lines and lines starting with '#' are skipped.
EverydayList read_everyday(std::string_view text);

struct EverydayTier {
  std::set<std::string> words;
  std::size_t place = 0;  // 1 = the highest score; 0 lifts nothing
};

// The scored words and the everyday words, most frequent first. Each word of
// each tier counts at least as much as the word at the tier's place among
// `score` as it was before any lift (with fewer scored words than that, the
// lowest score); words that come out equal keep the order of their own scores
// (none counting 0), then byte order: of two everyday words raised to one
// floor, the one chat and software use more leads.
std::vector<std::string> most_frequent_first(const std::map<std::string, double>& score,
                                             const std::vector<EverydayTier>& tiers);

}  // namespace sorla::lexicon
