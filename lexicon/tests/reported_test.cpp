#include "sorla/lexicon/reported.h"

#include <gtest/gtest.h>

namespace sorla::lexicon {
namespace {

// The export as the report service writes it: a spelling of a listed word
// joins it, a phrase of listed words typed as their spellings becomes pairs,
// anything else a new word; zero-width spaces go, spellings are not repeated.
TEST(Reported, SpellingsPairsAndNewWords) {
  std::vector<Entry> entries{
      {"ខ្ញុំ", {"knhom"}}, {"ទៅ", {"tov"}}, {"ផ្សារ", {"psar"}}, {"កណ្ដាល", {"kandal"}}};
  const auto feedback = apply_reports(
      "# Words users meant, from reports; most reported first.\n"
      "ខ្ញុំ\tknh knyom khnhom\n"                // knyom and khnhom fold like knhom
      "ខ្ញុំ\u200Bទៅ\u200Bផ្សារ\tknhomtovpsar\n"  // a phrase: two pairs
      "កណ្តាល\tkondal\n"                       // looks the same as a listed word
      "ហ្វេសប៊ុក\tfacebook fb\n"                 // a word the list lacks
      "ទៅផ្សារ\tdoesnotsplit\n",               // its spelling is not the parts': a word
      entries);
  EXPECT_EQ(entries[0].spellings, (std::vector<std::string>{"knhom", "knh"}));
  EXPECT_EQ(entries[3].spellings, (std::vector<std::string>{"kandal", "kondal"}));
  ASSERT_EQ(feedback.pairs.size(), 2u);
  EXPECT_EQ(feedback.pairs[0], std::make_pair(std::string("ខ្ញុំ"), std::string("ទៅ")));
  EXPECT_EQ(feedback.pairs[1], std::make_pair(std::string("ទៅ"), std::string("ផ្សារ")));
  ASSERT_EQ(feedback.added.size(), 2u);
  EXPECT_EQ(feedback.added[0].word, "ហ្វេសប៊ុក");
  EXPECT_EQ(feedback.added[0].spellings, (std::vector<std::string>{"facebook", "fb"}));
  EXPECT_EQ(feedback.added[1].word, "ទៅផ្សារ");
}

}  // namespace
}  // namespace sorla::lexicon
