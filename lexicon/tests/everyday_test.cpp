#include "sorla/lexicon/everyday.h"

#include <gtest/gtest.h>

namespace sorla::lexicon {
namespace {

TEST(Everyday, ReadsOneWordALineWithoutComments) {
  EXPECT_EQ(read_everyday("# header\nបាទ\n\nចាស\r\n# kin\nបង"),
            (std::vector<std::string>{"បាទ", "ចាស", "បង"}));
}

// Everyday words below the floor rise to it (unscored ones too); those
// above keep their score; other words are untouched.
TEST(Everyday, RaisesToTheScoreAtAPlace) {
  std::map<std::string, double> score{{"a", 10}, {"b", 8}, {"c", 5}, {"d", 1}};
  raise_everyday(score, {"a", "d", "new"}, 3);
  EXPECT_EQ(score,
            (std::map<std::string, double>{{"a", 10}, {"b", 8}, {"c", 5}, {"d", 5}, {"new", 5}}));
  raise_everyday(score, {"d"}, 99);  // past the end: the lowest score
  EXPECT_EQ(score.at("d"), 5);
}

}  // namespace
}  // namespace sorla::lexicon
