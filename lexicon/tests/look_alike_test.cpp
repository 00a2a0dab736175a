#include "sorla/lexicon/look_alike.h"

#include <gtest/gtest.h>

namespace sorla::lexicon {
namespace {

// Texts that draw the same get one key; texts that draw differently do not.
TEST(LookAlike, KeysOfTextsThatDrawTheSame) {
  EXPECT_EQ(look_key("ប្ដី"), look_key("ប្តី"));    // subscript ដ and ត
  EXPECT_EQ(look_key("សែ្រ"), look_key("ស្រែ"));  // the vowel typed before the subscript
  EXPECT_EQ(look_key("ស្រ្តី"), look_key("ស្ត្រី"));  // subscript ro first or last
  EXPECT_EQ(look_key("ប៉ុំ"), look_key("ប៉ំុ"));      // signs in either order
  EXPECT_EQ(look_key("កោ"), look_key("កេា"));   // ោ typed as េ and ា
  EXPECT_EQ(look_key("ឣ"), look_key("អ"));
  EXPECT_EQ(look_key("ក\u200Bក"), look_key("កក"));
  EXPECT_NE(look_key("ប្តី"), look_key("ប្រី"));
  EXPECT_NE(look_key("ភាឞា"), look_key("ភាសា"));
  EXPECT_EQ(modern_key("ភាឞា"), look_key("ភាសា"));
  EXPECT_EQ(modern_key("ឝុភ"), look_key("សុភ"));
}

// A word kept once: the seed's form takes the key; otherwise the modern
// letter, then the usual sign order, then the most frequent; the group's
// counts add up and its other forms are named.
TEST(LookAlike, OneWordPerLook) {
  const auto kept = one_word_per_look(
      {"ភាសា"}, {{"ភាឞា", 5.0, {}},         // the seed has it
                 {"ឝុភ", 9.0, {}},           // old letter: ...
                 {"សុភ", std::nullopt, {}},  // ... the modern one kept though never counted
                 {"កណ្តាល", 2.0, {}},
                 {"កណ្ដាល", 3.0, {}},  // more frequent
                 {"សែ្រ", 7.0, {}},    // out of order
                 {"ស្រែ", 1.0, {}},
                 {"ឝ្រី", std::nullopt, {}}});  // no modern spelling: stays
  ASSERT_EQ(kept.size(), 4u);
  EXPECT_EQ(kept[0].word, "សុភ");
  EXPECT_EQ(kept[0].score, 9.0);
  EXPECT_EQ(kept[0].merged, std::vector<std::string>{"ឝុភ"});
  EXPECT_EQ(kept[1].word, "កណ្ដាល");
  EXPECT_EQ(kept[1].score, 5.0);
  EXPECT_EQ(kept[2].word, "ស្រែ");
  EXPECT_EQ(kept[3].word, "ឝ្រី");
  EXPECT_FALSE(kept[3].score);
}

}  // namespace
}  // namespace sorla::lexicon
