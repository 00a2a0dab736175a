// The romanizer's tables. Letters that sound alike are spelt alike (ឞ and ឝ
// as ស, ឍ as ធ). Chat often drops an aspirate's h (ថត "tot", ភ្លេច
// "plech") and writes ច and ជ with j: the fold makes those equal, but only a
// spelling typed letter for letter earns the exact bonus, so both are listed.
// Where chat drops the h in clusters (ផ្លូវ "plov", ធ្វើ "tver"), the cluster
// form says so.
#include "khmer_letters.h"

#include <algorithm>
#include <array>

namespace sorla::lexicon {
namespace {

constexpr Series I = Series::First;
constexpr Series II = Series::Second;

// code, series, sonorant, onset, first of a cluster, final
constexpr std::array<Consonant, 35> kConsonants{{
    {0x1780, I, false, "k", "k", "k"},              // ក
    {0x1781, I, false, "kh k", "kh k", "k"},        // ខ
    {0x1782, II, false, "k", "k", "k"},             // គ
    {0x1783, II, false, "kh k", "kh k", "k"},       // ឃ
    {0x1784, II, true, "ng", "ng", "ng"},           // ង
    {0x1785, I, false, "ch j", "ch j", "ch"},       // ច
    {0x1786, I, false, "chh ch", "chh ch", "ch"},   // ឆ
    {0x1787, II, false, "ch j", "ch j", "ch"},      // ជ
    {0x1788, II, false, "chh ch", "chh ch", "ch"},  // ឈ
    {0x1789, II, true, "nh n", "nh n", "nh n ng"},  // ញ: finals often typed "n" or "ng"
    {0x178a, I, false, "d", "d", "t"},              // ដ
    {0x178b, I, false, "th", "th", "t"},            // ឋ
    {0x178c, II, false, "d", "d", "t"},             // ឌ
    {0x178d, II, false, "th t", "t", "t"},          // ឍ: as ធ
    {0x178e, I, true, "n", "n", "n"},               // ណ
    {0x178f, I, false, "t", "t", "t"},              // ត
    {0x1790, I, false, "th t", "th t", "t"},        // ថ
    {0x1791, II, false, "t", "t", "t"},             // ទ
    {0x1792, II, false, "th t", "t", "t"},          // ធ
    {0x1793, II, true, "n", "n", "n"},              // ន
    {0x1794, I, false, "b", "p b", "b p"},          // ប: ប្រ "pro", ប្អូន "poun"
    {0x1795, I, false, "ph p", "p", "p"},           // ផ
    {0x1796, II, false, "p", "p", "p b"},           // ព
    {0x1797, II, false, "ph p", "ph p", "p"},       // ភ
    {0x1798, II, true, "m", "m", "m"},              // ម
    {0x1799, II, true, "y", "y", "y"},              // យ
    {0x179a, II, true, "r", "r", "r -"},            // រ: often silent at the end
    {0x179b, II, true, "l", "l", "l"},              // ល
    {0x179c, II, true, "v", "v", "v"},              // វ
    {0x179d, I, false, "s", "s", "s h"},            // ឝ: as ស
    {0x179e, I, false, "s", "s", "s h"},            // ឞ: as ស
    {0x179f, I, false, "s", "s", "s h"},            // ស: ណាស់ "nas", "nah"
    {0x17a0, I, false, "h", "h", "h -"},            // ហ
    {0x17a1, I, true, "l", "l", "l"},               // ឡ
    {0x17a2, I, false, "-", "a -", "-"},            // អ: a glottal stop, not written
}};

// Dependent vowels; the nikahit forms (ំ after a vowel) under nasal().
constexpr std::array<Vowel, 23> kVowels{{
    {0x17b6, "a", "ea ie a"},                    // ា
    {0x17b7, "e i", "i e"},                      // ិ
    {0x17b8, "ei ey i", "i ey"},                 // ី
    {0x17b9, "e eu er oe", "u eu e oe"},         // ឹ
    {0x17ba, "eu ue", "eu ue u"},                // ឺ
    {0x17bb, "o u", "u o"},                      // ុ
    {0x17bc, "o ou oo", "u ou o"},               // ូ
    {0x17bd, "uo ou o u ua", "uo ou o u ua"},    // ួ
    {0x17be, "ae er e oe", "er eu oe ae"},       // ើ
    {0x17bf, "ue eu oea uea", "ue eu oea uea"},  // ឿ
    {0x17c0, "ea ie e", "ea ie e"},              // ៀ
    {0x17c1, "e ei ay", "e ee"},                 // េ
    {0x17c2, "ae e", "ae e"},                    // ែ
    {0x17c3, "ai ay", "ey ei ai"},               // ៃ
    {0x17c4, "ao o", "ou o"},                    // ោ
    {0x17c5, "ao au ov", "ov ou au"},            // ៅ
    {0x17c8, "a", "ea"},                         // ៈ
    {0x17cf, "or o", "or o"},                    // ៏: ក៏ "kor"
    {0x17d0, "a", "oa a"},                       // ័
    {nasal(0), "om am", "om um"},                // ំ
    {nasal(0x17b6), "am", "eam oam am"},         // ាំ
    {nasal(0x17bb), "om um", "um om"},           // ុំ
    {nasal(0x17b7), "em im", "im em"},           // ិំ
}};

// The short ា before bantoc sounds otherwise in the second series (គាត់ "koat").
constexpr Vowel kShortAa{0x17b6, "a", "oa a or o"};

constexpr std::array<Rhyme, 21> kRhymes{{
    {0x17b6, 0x1799, "ay ai", "eay iay ay"},                      // ាយ
    {0x17be, 0x1799, "aey oy uey", "euy oey"},                    // ើយ
    {0x17bb, 0x1799, "oy uy", "uy oy"},                           // ុយ
    {0x17bd, 0x1799, "uoy ouy oy uy", "uoy ouy oy uy"},           // ួយ
    {0x17b6, 0x179c, "av ao", "eav iev"},                         // ាវ
    {0x17b6, 0x1784, "ang", "eang ang"},                          // ាង
    {nasal(0x17b6), 0x1784, "ang", "eang ang"},                   // ាំង
    {0x17be, 0x1784, "aeng erng eng", "eung erng ung"},           // ើង
    {0x17b9, 0x1784, "eng eung erng oeng", "ung eung eng oeng"},  // ឹង
    {0x17bb, 0x1784, "ong ung", "ung ong"},                       // ុង
    {0x17c4, 0x1784, "aong ong", "oung ong"},                     // ោង
    {0x17b7, 0x1789, "inh ing in enh", "inh ing in enh"},         // ិញ
    {0x17c1, 0x1789, "enh en eng", "enh en eng"},                 // េញ
    {0, 0x1784, "ong ang", "ong ung"},                            // inherent + ង
    {0, ch::reahmuk, "ah as", "eah eas ah"},                      // ះ after the inherent vowel
    {0x17b6, ch::reahmuk, "ah as", "eah eas"},                    // ាះ
    {0x17bb, ch::reahmuk, "oh os", "uh oh"},                      // ុះ
    {0x17c1, ch::reahmuk, "eh es", "eh es is"},                   // េះ
    {0x17c4, ch::reahmuk, "aoh oh os", "ouh oh os uh us uos"},           // ោះ
    {0x17b7, ch::reahmuk, "eh ih is es", "ih eh is es"},          // ិះ
    {0x17c2, ch::reahmuk, "aeh eh", "aeh eh"},                    // ែះ
}};

struct Independent {
  char32_t code;
  std::string_view sounds;
};
constexpr std::array<Independent, 17> kIndependent{{
    {0x17a3, "a"},
    {0x17a4, "a"},
    {0x17a5, "i e ei"},  // ឥ
    {0x17a6, "ei i"},
    {0x17a7, "o u"},
    {0x17a8, "ok"},
    {0x17a9, "ou u"},
    {0x17aa, "ov ou"},
    {0x17ab, "reu rue ru"},
    {0x17ac, "reu rue ru"},
    {0x17ad, "leu"},
    {0x17ae, "leu"},
    {0x17af, "ae e"},
    {0x17b0, "ai"},
    {0x17b1, "ao o"},
    {0x17b2, "ao oy"},
    {0x17b3, "ao au"},
}};

constexpr Inherent kFirst{"o a", "or a o", "a o", "o a", "o a"};
constexpr Inherent kSecond{"o u oa", "o or", "o u", "o u", "o u"};

}  // namespace

const Consonant* find_consonant(char32_t c) {
  if (c < 0x1780 || c > 0x17a2) return nullptr;
  return &kConsonants[c - 0x1780];
}

const Vowel* find_vowel(char32_t c, bool short_vowel) {
  if (short_vowel && c == kShortAa.code) return &kShortAa;
  const auto it =
      std::find_if(kVowels.begin(), kVowels.end(), [c](const Vowel& v) { return v.code == c; });
  return it == kVowels.end() ? nullptr : &*it;
}

std::string_view independent_vowel(char32_t c) {
  const auto it = std::find_if(kIndependent.begin(), kIndependent.end(),
                               [c](const Independent& v) { return v.code == c; });
  return it == kIndependent.end() ? std::string_view{} : it->sounds;
}

const Rhyme* find_rhyme(char32_t vowel, char32_t coda) {
  const auto it = std::find_if(kRhymes.begin(), kRhymes.end(),
                               [&](const Rhyme& r) { return r.vowel == vowel && r.coda == coda; });
  return it == kRhymes.end() ? nullptr : &*it;
}

const Inherent& inherent(Series series) { return series == Series::First ? kFirst : kSecond; }

}  // namespace sorla::lexicon
