#include "sorla/lexicon/everyday.h"

#include <gtest/gtest.h>

namespace sorla::lexicon {
namespace {

TEST(Everyday, ReadsOneWordALineWithoutCommentsAndTheFirstTierMarked) {
  const auto words = read_everyday("# header\nបាទ\n\n+ចាស\r\n# kin\nបង\n+\n");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[0].word, "បាទ");
  EXPECT_FALSE(words[0].first_tier);
  EXPECT_EQ(words[1].word, "ចាស");
  EXPECT_TRUE(words[1].first_tier);
  EXPECT_EQ(words[2].word, "បង");
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
