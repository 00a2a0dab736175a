// Spellings that are one word to the reader: texts that draw the same on
// screen (្ដ and ្ត, the signs of a cluster typed in another order, ឣ for អ,
// invisible joiners), and old spellings with the obsolete letters ឝ and ឞ
// where today's writing has ស.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorla::lexicon {

// Equal for texts that look the same on screen.
std::string look_key(std::string_view khmer);
// `look_key` with ឝ and ឞ read as ស: equal for a word and its old spelling.
std::string modern_key(std::string_view khmer);
bool has_obsolete_letter(std::string_view khmer);

struct CountedWord {
  std::string word;
  std::optional<double> score;      // nothing: the corpus never shows it
  std::vector<std::string> merged;  // the other spellings of the word, dropped
};

// One word for each modern key, in the order of the input: a key that a word
// of `reserved` (the seed list) holds is dropped altogether; otherwise the
// spelling kept is the one without an obsolete letter, then the one whose
// signs stand in the usual order, then the most frequent, then the first in
// byte order. It carries the scores of the whole group summed and the others
// in `merged`.
std::vector<CountedWord> one_word_per_look(const std::vector<std::string>& reserved,
                                           std::vector<CountedWord> words);

}  // namespace sorla::lexicon
