// Khmer written syllables: a word's characters grouped into clusters (a
// consonant with its subscripts, vowel and signs) and the clusters read as
// spoken syllables (onset, vowel, final consonant).
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "khmer_letters.h"

namespace sorla::lexicon {

struct Syllable {
  std::vector<const Consonant*> onset;  // empty for an independent vowel
  char32_t independent = 0;             // the independent vowel, if that is the nucleus
  Series series = Series::First;
  char32_t vowel = 0;  // 0: inherent; a dependent vowel; nasal(...) with nikahit
  const Consonant* coda = nullptr;
  bool reahmuk = false;  // final ះ
  bool bantoc = false;   // ់ shortens the vowel
  bool muusikatoan = false;
  bool minor = false;  // closed by the letter above a subscript: an unstressed first syllable
};

// The spoken syllables of a Khmer word; nothing when it holds characters the
// romanizer cannot read (digits, punctuation, other scripts) or no letter.
std::optional<std::vector<Syllable>> syllables(std::string_view khmer);

}  // namespace sorla::lexicon
