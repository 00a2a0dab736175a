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

// Everyday words below their tier's floor rise to it (unscored ones too),
// both floors read before either tier rises; equal scores keep the order of
// the words' own scores, then byte order.
TEST(Everyday, RanksEachTierAtLeastAtItsPlaceAndTiesByOwnScore) {
  const std::map<std::string, double> score{{"a", 10}, {"b", 8}, {"c", 5}, {"d", 1}};
  EXPECT_EQ(most_frequent_first(score, {{{"d", "new"}, 3}, {{"a", "e"}, 2}}),
            (std::vector<std::string>{"a", "b", "e", "c", "d", "new"}));
  // Past the end: the lowest score; place 0: nothing.
  EXPECT_EQ(most_frequent_first(score, {{{"d", "x"}, 99}, {{"y"}, 0}}),
            (std::vector<std::string>{"a", "b", "c", "d", "x"}));
}

}  // namespace
}  // namespace sorla::lexicon
