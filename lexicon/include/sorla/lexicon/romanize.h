// Chat spellings for Khmer words: how people write a word in Latin letters
// when they chat, derived from the script by rule.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace sorla::lexicon {

// The chat spellings of a Khmer word, most typical first, at most `limit`,
// no two alike (two the fold makes equal may both be typed). Empty when the text holds no
// Khmer letter (digits, signs, other scripts).
std::vector<std::string> romanize(std::string_view khmer, std::size_t limit = 4);

// The vowel-less short form chat writers use for a frequent one-syllable
// word ("mk" for មក, "dg" for ដឹង, "jg" for ចង់): its first spelling's
// consonants, ng written g and ch written j. Empty for longer words.
std::string short_form(std::string_view khmer);

// How many spoken syllables the word has; 0 when it cannot be read.
std::size_t syllable_count(std::string_view khmer);

}  // namespace sorla::lexicon
