#include "sorla/lexicon/romanize.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sorla/normalize.h"

namespace sorla::lexicon {
namespace {

std::vector<std::string> r(std::string_view khmer) { return romanize(khmer); }

bool has(const std::vector<std::string>& spellings, std::string_view s) {
  return std::find(spellings.begin(), spellings.end(), s) != spellings.end();
}

// The vowel's sound follows the consonant's series: ា is "a" after a
// first-series letter and "ea" after a second-series one; bantoc shortens it.
TEST(Romanize, VowelsFollowTheSeries) {
  EXPECT_EQ(r("បាន")[0], "ban");   // ប first series
  EXPECT_EQ(r("មាន")[0], "mean");  // ម second series
  EXPECT_EQ(r("ណាស់")[0], "nas");
  EXPECT_TRUE(has(r("គាត់"), "koat"));
  EXPECT_EQ(r("មិន")[0], "min");
  EXPECT_EQ(r("ម៉ោង")[0], "maong");  // ៉ moves ម to the first series
  EXPECT_EQ(r("ទៅ")[0], "tov");
  EXPECT_EQ(r("ដើរ")[0], "daer");
  EXPECT_EQ(r("យើង")[0], "yeung");
}

// A cluster's series: a sonorant above an obstruent takes the obstruent's
// (ម្ដាយ), a second-series obstruent below makes it second (ផ្ទះ "pteah").
TEST(Romanize, ClustersAndTheirSeries) {
  EXPECT_EQ(r("ម្ដាយ")[0], "mday");
  EXPECT_EQ(r("ផ្ទះ")[0], "pteah");
  EXPECT_EQ(r("ខ្ញុំ")[0], "khnhom");
  EXPECT_EQ(r("ស្រុក")[0], "srok");
  EXPECT_EQ(r("ម្ហូប")[0], "mhob");
  EXPECT_EQ(r("កាហ្វេ")[0], "kafe");     // ហ្វ is f
  EXPECT_TRUE(has(r("ស្តាប់"), "sdab"));  // t after s is typed d
}

// Which letters close a syllable and which begin the next one.
TEST(Romanize, Syllables) {
  EXPECT_EQ(r("អរគុណ")[0], "orkun");
  EXPECT_EQ(r("សប្បាយ")[0], "sabay");  // the doubled b written once
  EXPECT_TRUE(has(r("ប៉ុន្មាន"), "ponman"));
  EXPECT_EQ(r("ភ្នំពេញ")[0], "phnompenh");
  EXPECT_EQ(syllable_count("ភាសា"), 2u);
  EXPECT_EQ(syllable_count("ពាក្យ"), 1u);
  EXPECT_EQ(r("ពាក្យ")[0], "peak");  // a final cluster's subscript is silent
  EXPECT_EQ(r("ចិត្ត")[0], "chet");
  EXPECT_EQ(r("ភូមិ")[0], "phum");                   // silent final ិ
  EXPECT_EQ(r("អនុគមន៍")[0].substr(0, 5), "anuko");  // ន៍ is not spoken
  EXPECT_NE(r("អនុគមន៍")[0].back(), 'n');
}

TEST(Romanize, ChatHabits) {
  EXPECT_TRUE(has(r("ចេញ"), "chen"));  // a final nasal dropped
  EXPECT_TRUE(has(r("ទិញ"), "ting"));
  EXPECT_TRUE(has(r("ការ"), "ka"));  // a silent final r
  EXPECT_TRUE(has(r("ការ"), "kar"));
  EXPECT_TRUE(has(r("រួច"), "roch"));  // ួ typed as o
  EXPECT_TRUE(has(r("ឆ្ងាយ"), "chhngay"));
  EXPECT_EQ(r("ឯង")[0], "aeng");  // an independent vowel with a final
  EXPECT_EQ(r("ឥឡូវ")[0], "ilov");
  EXPECT_TRUE(has(r("មួយ"), "mouy"));
  EXPECT_TRUE(has(r("ជិះ"), "chis"));  // a final ះ typed s
  EXPECT_TRUE(has(romanize("ខឹង", 8), "khoeng"));
  EXPECT_TRUE(has(r("ហ្មង"), "hmong"));  // ហ written before a sonorant
  EXPECT_TRUE(has(r("វត្ត"), "voat"));
  EXPECT_TRUE(has(romanize("នោះ", 8), "nus"));
}

// Letters that sound alike are spelt alike; frequent one-syllable words have
// the vowel-less short forms chat uses.
TEST(Romanize, SameSoundsAndShortForms) {
  EXPECT_EQ(r("ភាឞា"), r("ភាសា"));
  EXPECT_EQ(r("ឍាស"), r("ធាស"));
  EXPECT_EQ(short_form("មក"), "mk");
  EXPECT_EQ(short_form("ដឹង"), "dg");
  EXPECT_EQ(short_form("ចង់"), "jg");
  EXPECT_EQ(short_form("ទៅ"), "tv");
  EXPECT_EQ(short_form("អា"), "");  // a lone vowel is no short form
  EXPECT_EQ(short_form("ម្ដាយ"), "mdy");
  EXPECT_EQ(short_form("សប្បាយ"), "");  // two syllables
}

// Spellings the fold makes equal are both listed when chat types both
// (only a letter-for-letter match earns the exact bonus); none twice.
TEST(Romanize, SpellingsAreFewAndDistinct) {
  for (const char* word : {"ខ្ញុំ", "ធ្វើការ", "ប្រទេសកម្ពុជា", "សួស្តី"}) {
    const auto spellings = romanize(word);
    ASSERT_FALSE(spellings.empty()) << word;
    EXPECT_LE(spellings.size(), 4u);
    for (std::size_t i = 0; i < spellings.size(); ++i) {
      for (std::size_t j = i + 1; j < spellings.size(); ++j) {
        EXPECT_NE(spellings[i], spellings[j]) << word;
      }
    }
  }
  EXPECT_TRUE(has(r("ថត"), "thot"));
  EXPECT_TRUE(has(r("ថត"), "tot"));  // the aspirate's h dropped
  EXPECT_TRUE(has(r("ជួប"), "juob"));
  EXPECT_EQ(romanize("ខ្ញុំ", 1).size(), 1u);
}

TEST(Romanize, TextItCannotReadGivesNothing) {
  EXPECT_TRUE(r("").empty());
  EXPECT_TRUE(r("១២៣").empty());  // Khmer digits
  EXPECT_TRUE(r("។").empty());
  EXPECT_TRUE(r("abc").empty());
  EXPECT_TRUE(r("\xE1\x9E").empty());   // cut-off UTF-8
  EXPECT_TRUE(r("ា").empty());          // a vowel with no letter
  EXPECT_FALSE(r("ក\u200Bក").empty());  // a zero-width space is passed over
}

}  // namespace
}  // namespace sorla::lexicon
