#include "sorla/lexicon/everyday.h"

#include <gtest/gtest.h>

namespace sorla::lexicon {
namespace {

// Spaces around the word or after the '+' are not part of it; a line that
// holds no single word is handed back with its number, not dropped.
TEST(Everyday, ReadsOneWordALineWithoutCommentsAndTheFirstTierMarked) {
  const auto list = read_everyday("# header\nបាទ \n\n+ ចាស\r\n  # kin\n\tបង\n+\nបង ប្អូន\n");
  ASSERT_EQ(list.words.size(), 3u);
  EXPECT_EQ(list.words[0].word, "បាទ");
  EXPECT_FALSE(list.words[0].first_tier);
  EXPECT_EQ(list.words[1].word, "ចាស");
  EXPECT_TRUE(list.words[1].first_tier);
  EXPECT_EQ(list.words[2].word, "បង");
  EXPECT_FALSE(list.words[2].first_tier);
  EXPECT_EQ(list.unusable,
            (std::vector<std::pair<std::size_t, std::string>>{{7, "+"}, {8, "បង ប្អូន"}}));
}

// Everyday words below their tier's floor rise to it (unscored ones too);
// those above keep their score; other words are untouched. Both floors are
// read before either tier rises.
TEST(Everyday, RaisesEachTierToTheScoreAtItsPlace) {
  std::map<std::string, double> score{{"a", 10}, {"b", 8}, {"c", 5}, {"d", 1}};
  raise_everyday(score, {{{"d", "new"}, 3}, {{"a", "e"}, 2}});
  EXPECT_EQ(score, (std::map<std::string, double>{
                       {"a", 10}, {"b", 8}, {"c", 5}, {"d", 5}, {"e", 8}, {"new", 5}}));
  raise_everyday(score, {{{"d"}, 99}, {{"c"}, 0}});  // past the end: the lowest; 0: none
  EXPECT_EQ(score.at("d"), 5);
  EXPECT_EQ(score.at("c"), 5);
}

}  // namespace
}  // namespace sorla::lexicon
