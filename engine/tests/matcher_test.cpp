#include "sorla/matcher.h"

#include <gtest/gtest.h>

#include <bit>

#include "sorla/engine.h"

namespace sorla {
namespace {

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

const Engine& seed_engine() {
  static const Engine engine = std::get<Engine>(Engine::from_bytes(seed_words()));
  return engine;
}

std::vector<Match> find(std::string_view typed, bool completion = false) {
  return seed_engine().matcher().find(typed, match_threshold(), completion);
}

const Match* match_for(const std::vector<Match>& ms, std::uint64_t word) {
  for (const Match& m : ms) {
    if (m.word == word) return &m;
  }
  return nullptr;
}

TEST(Matcher, ThresholdIsOneUlpAboveTheLiteral) {
  EXPECT_EQ(bits(match_threshold()), 0x40333334u);
  EXPECT_EQ(bits(2.8f), 0x40333333u);
}

TEST(Matcher, CostLandingExactlyOnTheThresholdIsKept) {
  Matcher m;
  m.insert(0, "b");
  // Two skipped consonants and one similar-letter exchange: 1.2 + 1.2 + 0.4.
  const std::vector<Match> got = m.find("xzp", match_threshold(), false);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(bits(got[0].cost), 0x40333334u);
  EXPECT_TRUE(m.find("xzp", 2.8f, false).empty());
}

TEST(Matcher, CostTables) {
  EXPECT_EQ(skip_cost('a'), 0.45f);
  EXPECT_EQ(skip_cost('y'), 0.45f);
  EXPECT_EQ(skip_cost('h'), 0.45f);
  EXPECT_EQ(skip_cost('k'), 1.2f);
  EXPECT_EQ(skip_cost(U'\u00F1'), 1.2f);
  EXPECT_EQ(exchange_cost('a', 'a'), 0.0f);
  for (auto [a, b] : {std::pair{'a', 'e'},
                      {'e', 'i'},
                      {'e', 'y'},
                      {'i', 'y'},
                      {'b', 'p'},
                      {'c', 's'},
                      {'d', 't'},
                      {'g', 'k'},
                      {'o', 'u'}}) {
    EXPECT_EQ(exchange_cost(a, b), 0.4f) << a << b;
    EXPECT_EQ(exchange_cost(b, a), 0.4f) << a << b;
  }
  EXPECT_EQ(exchange_cost('a', 'i'), 0.6f);
  EXPECT_EQ(exchange_cost('u', 'i'), 0.6f);
  EXPECT_EQ(exchange_cost('a', 'o'), 0.6f);
  EXPECT_EQ(exchange_cost('x', 'k'), 1.5f);
  EXPECT_EQ(exchange_cost(U'\u00F1', 'n'), 1.5f);
}

TEST(Matcher, WorkedExampleWithExactFloatBits) {
  const std::vector<Match> got = find("khnhom");
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got[0], (Match{0, 0.0f, true}));
  const Match* nham = match_for(got, 24);
  ASSERT_NE(nham, nullptr);
  EXPECT_EQ(bits(nham->cost), bits(1.2f));
  EXPECT_FALSE(nham->exact);
  // The same digraph spelled differently folds alike but is not exact.
  EXPECT_EQ(find("khnyom")[0], (Match{0, 0.0f, false}));
  EXPECT_EQ(find("KHNHOM")[0], (Match{0, 0.0f, true}));
  // Bits of a few non-trivial costs, the same on every target.
  const std::vector<Match> xyz = find("xyz");
  const Match* hz = match_for(xyz, 9);
  ASSERT_NE(hz, nullptr);
  EXPECT_EQ(bits(hz->cost), 0x3FF9999Au);  // 1.95: x for h, y left out
  const std::vector<Match> completed = find("sal", true);
  const std::vector<Match> plain = find("sal");
  ASSERT_NE(match_for(completed, 27), nullptr);
  ASSERT_NE(match_for(plain, 27), nullptr);
  EXPECT_EQ(bits(match_for(completed, 27)->cost), bits(0.3f));
  EXPECT_EQ(bits(match_for(plain, 27)->cost), bits(0.45f));
}

TEST(Matcher, NoLettersMeansNoMatches) {
  for (const char* t : {"", "'", "-", "   ", "123", "\xE1\x9E\x81"})
    EXPECT_TRUE(find(t).empty()) << t;
}

TEST(Matcher, PunctuationIgnoredOnBothSides) {
  EXPECT_EQ(find("saek")[0], (Match{34, 0.0f, true}));
  EXPECT_EQ(find("sa'ek")[0], (Match{34, 0.0f, true}));
}

TEST(Matcher, DigraphMeetsSingleLetterAtNoCost) {
  Matcher m;
  m.insert(3, "k");
  m.insert(4, "kh");
  const std::vector<Match> got = m.find("kh", match_threshold(), false);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], (Match{3, 0.0f, false}));
  EXPECT_EQ(got[1], (Match{4, 0.0f, true}));  // equal costs in word order
}

TEST(Matcher, ExactBeatsCloserCostsAndCompletionNeedsWholeTyping) {
  Matcher m;
  m.insert(0, "ab");
  m.insert(0, "abc");
  m.insert(1, "a");
  // Completion only starts once every typed letter is consumed: "a" (shorter
  // than the typing) gets none, while "abc" is completed for 0.3.
  const std::vector<Match> got = m.find("ab", match_threshold(), true);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], (Match{0, 0.0f, true}));
  EXPECT_EQ(bits(got[1].cost), bits(1.2f));
  // A typed text longer than every spelling pays for each extra letter.
  const std::vector<Match> longer = m.find("abcu", match_threshold(), true);
  EXPECT_EQ(bits(match_for(longer, 0)->cost), bits(0.45f));
  EXPECT_EQ(m.find("abxx", match_threshold(), false)[0].cost, 2.4f);
  EXPECT_TRUE(m.find("abxxx", match_threshold(), false).empty());
}

TEST(Matcher, EmptyFoldedSpellingStoresNothing) {
  Matcher m;
  m.insert(0, "-'");
  EXPECT_EQ(m.node_count(), 1u);
  EXPECT_EQ(m.max_len(), 0u);
  m.insert(0, "chhng");
  EXPECT_EQ(m.max_len(), 2u);  // characters of the folded form, not bytes
}

// The tree is laid out for searching once filled; more spellings after that
// reopen it, and a matcher searched before it is laid out answers the same.
TEST(Matcher, InsertAfterCompactAnswersLikeOneBuild) {
  const char* spellings[] = {"sabay", "sala", "salaa", "khnhom", "nhom", "sa-ek", "chong", "tov"};
  Matcher whole;
  for (std::size_t i = 0; i < std::size(spellings); ++i) whole.insert(i, spellings[i]);
  whole.compact();
  Matcher grown;
  for (std::size_t i = 0; i < 4; ++i) grown.insert(i, spellings[i]);
  grown.compact();
  EXPECT_EQ(grown.find("sal", match_threshold(), true).size(), 3u);
  for (std::size_t i = 4; i < std::size(spellings); ++i) grown.insert(i, spellings[i]);
  EXPECT_FALSE(grown.compacted());
  for (const char* typed : {"sal", "khnom", "saek", "chongtov", "t"}) {
    for (bool completion : {false, true}) {
      EXPECT_EQ(grown.find(typed, match_threshold(), completion),
                whole.find(typed, match_threshold(), completion))
          << typed;
      grown.compact();
      EXPECT_EQ(grown.find(typed, match_threshold(), completion),
                whole.find(typed, match_threshold(), completion))
          << typed;
    }
  }
  EXPECT_EQ(grown.node_count(), whole.node_count());
}

// Keeping no words at all is a valid request, and gives nothing.
TEST(Matcher, BestWordsWithNoRoom) {
  EXPECT_TRUE(seed_engine().matcher().best_words("sabay", 2.2f, true, 0, nullptr).empty());
}

}  // namespace
}  // namespace sorla
