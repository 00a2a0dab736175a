// What the romanizer knows of each Khmer character: consonants with their
// series and Latin forms, dependent and independent vowels with their sounds
// in each series, and the signs.
#pragma once

#include <string_view>

namespace sorla::lexicon {

enum class Series { First, Second };

// Latin forms are listed most typical first, separated by spaces; "-" stands
// for a silent letter.
struct Consonant {
  char32_t code;
  Series series;
  bool sonorant;  // ង ញ ន ម យ រ ល វ (and ណ): they take the series of what they follow
  std::string_view onset;    // at the start of a syllable
  std::string_view cluster;  // as the first letter of a cluster (aspirates lose the h)
  std::string_view coda;     // at the end of a syllable
};

struct Vowel {
  char32_t code;
  std::string_view first;   // after a first-series consonant
  std::string_view second;  // after a second-series consonant
};

// A vowel and final consonant that chat writes as one sound (ាយ "ay"/"eay").
struct Rhyme {
  char32_t vowel;  // 0: the inherent vowel
  char32_t coda;
  std::string_view first;
  std::string_view second;
};

const Consonant* find_consonant(char32_t c);
// The key of a vowel followed by nikahit (ាំ, ុំ; 0 for ំ alone).
constexpr char32_t nasal(char32_t vowel) { return 0x110000 + vowel; }

// Dependent vowels and their nikahit forms; `short_vowel` for one before
// bantoc, which changes ា in the second series.
const Vowel* find_vowel(char32_t c, bool short_vowel = false);
std::string_view independent_vowel(char32_t c);  // empty when c is none
const Rhyme* find_rhyme(char32_t vowel, char32_t coda);

// The inherent vowel's sounds: in a closed syllable, an open final one, an
// open unstressed first syllable, and before bantoc.
struct Inherent {
  std::string_view closed, open, presyllable, short_closed, before_ng;
};
const Inherent& inherent(Series series);

namespace ch {
inline constexpr char32_t coeng = 0x17d2;
inline constexpr char32_t nikahit = 0x17c6;        // ំ
inline constexpr char32_t reahmuk = 0x17c7;        // ះ
inline constexpr char32_t yuukaleapintu = 0x17c8;  // ៈ
inline constexpr char32_t muusikatoan = 0x17c9;    // ៉ second series to first
inline constexpr char32_t triisap = 0x17ca;        // ៊ first series to second
inline constexpr char32_t bantoc = 0x17cb;         // ់ short vowel
inline constexpr char32_t robat = 0x17cc;
inline constexpr char32_t toandakhiat = 0x17cd;  // ៍ silent letter
inline constexpr char32_t kakabat = 0x17ce;
inline constexpr char32_t ahsda = 0x17cf;          // ៏ (ក៏ "kor")
inline constexpr char32_t samyok_sannya = 0x17d0;  // ័
inline constexpr char32_t aa = 0x17b6;             // ា
inline constexpr char32_t ha = 0x17a0;
inline constexpr char32_t qa = 0x17a2;  // អ
inline constexpr char32_t ba = 0x1794;
inline constexpr char32_t ngo = 0x1784;
inline constexpr char32_t i = 0x17b7;  // ិ
inline constexpr char32_t u = 0x17bb;  // ុ
}  // namespace ch

}  // namespace sorla::lexicon
