// The user's own words: what may be added, the file read with damaged lines
// skipped, edits that keep every other line, and where the engine offers them.
#include "sorla/user_words.h"

#include <gtest/gtest.h>

#include "sorla/engine.h"

namespace sorla {
namespace {

const std::string kSok = "សុខ";
const std::string kSokha = "សុខា";
const std::string kDara = "ដារា";
const std::string kZwnj = "\xE2\x80\x8C";

Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

std::vector<std::string> texts(const std::vector<Suggestion>& s) {
  std::vector<std::string> out;
  for (const Suggestion& x : s) out.push_back(x.text);
  return out;
}

TEST(UserWords, WhatMayBeAdded) {
  EXPECT_FALSE(user_word_error(kSok, "sok"));
  EXPECT_FALSE(user_word_error(" " + kSok + kZwnj + kDara + "\n", " Sok  SOKK\t"));
  EXPECT_EQ(user_word_error("  ", "sok"), "Enter the Khmer word.");
  for (const std::string& word : std::vector<std::string>{
           "sok", kSok + "a", kSok + " " + kDara, kZwnj, std::string("\xE1\x9E"), kSok + "\x01"}) {
    EXPECT_EQ(user_word_error(word, "sok"), "The word must be in Khmer script only.") << word;
  }
  EXPECT_EQ(user_word_error(kSok, " "), "Enter how the word is spelled in Latin letters.");
  for (const std::string& spelling :
       std::vector<std::string>{"sok1", "so'k", "sok-ha", "s\xC3\xA9", kSok, "\xFF"}) {
    EXPECT_TRUE(user_word_error(kSok, spelling)->starts_with("A spelling must be Latin letters"))
        << spelling;
  }
}

TEST(UserWords, DamagedLinesAreSkippedTheRestKept) {
  const std::string text = "\xEF\xBB\xBF" + kSok + "\tSok sokk\r\n" +  // 1
                           "# a comment\n"                             // 2
                           "\n"                                        // 3
                           "sok\tsok\n"                                // 4: not Khmer
                           + kDara + " dara\n"                         // 5: no tab
                           + kDara + "\tdara da1\n"                    // 6: a bad spelling
                           + kDara +
                           "\t\n"                   // 7: no spelling
                           "\xFF\tsok\n"            // 8: not UTF-8
                           + kSok + "\tsok sokh\n"  // 9: adds to line 1
                           + kSokha + "\tsokha";    // 10: no line end
  const UserWordsRead read = parse_user_words(text);
  EXPECT_EQ(read.words,
            (std::vector<UserWord>{{kSok, {"sok", "sokk", "sokh"}}, {kSokha, {"sokha"}}}));
  EXPECT_EQ(read.skipped, (std::vector<std::size_t>{4, 5, 6, 7, 8}));
}

TEST(UserWords, EditsKeepEveryOtherLine) {
  const std::string text = "# mine\r\n" + kSok + "\tsok\r\n" + kDara + " damaged\n" + kSok +
                           "\tsokk\n" + kSokha + "\tsokha";
  // New spellings go onto the word's first line, before its line end.
  EXPECT_EQ(with_user_word(text, kSok, "SOKK sokh sok"), "# mine\r\n" + kSok + "\tsok sokh\r\n" +
                                                             kDara + " damaged\n" + kSok +
                                                             "\tsokk\n" + kSokha + "\tsokha");
  EXPECT_EQ(with_user_word(text, " " + kSok, "sokk sok"), std::nullopt);
  // A new word gets a line of its own at the end.
  EXPECT_EQ(with_user_word(text, kDara, "dara"), text + "\n" + kDara + "\tdara\n");
  EXPECT_EQ(with_user_word("", kDara, "dara daraa"), kDara + "\tdara daraa\n");

  // Every line of the word goes, damaged ones too; the byte order mark stays.
  EXPECT_EQ(without_user_word(text, kSok),
            "# mine\r\n" + kDara + " damaged\n" + kSokha + "\tsokha");
  EXPECT_EQ(without_user_word("\xEF\xBB\xBF" + kDara + "\tdara\tx1\n" + kSok + "\tsok\n", kDara),
            "\xEF\xBB\xBF" + kSok + "\tsok\n");
  // A mark opening the second line is no file's mark: that line stays damaged.
  EXPECT_EQ(without_user_word(kDara + "\tdara\n\xEF\xBB\xBF" + kSok + "\tsok\n", kDara),
            "\n\xEF\xBB\xBF" + kSok + "\tsok\n");
  EXPECT_EQ(without_user_word(text, kDara), std::nullopt);  // that line has no tab
  EXPECT_EQ(without_user_word(text, ""), std::nullopt);
}

TEST(UserWords, RankFirstForTheirOwnSpelling) {
  const Engine plain = seed_engine();
  Engine e = seed_engine();
  e.set_user_words({{kSokha, {"sok", "sokha"}}, {kDara, {"sok", "daraa"}}});

  const auto shipped = texts(plain.suggest("So'k", std::nullopt, Engine::kMaxCandidates));
  ASSERT_FALSE(shipped.empty());
  std::vector<std::string> expected = {kSokha, kDara};
  for (const std::string& t : shipped) {
    if (expected.size() < Engine::kMaxCandidates) expected.push_back(t);
  }
  // Typed exactly, up to case, apostrophes and hyphens; the limit cuts the end only.
  EXPECT_EQ(texts(e.suggest("So'k", std::nullopt, Engine::kMaxCandidates)), expected);
  EXPECT_EQ(texts(e.suggest("So'k", std::nullopt)),
            std::vector<std::string>(expected.begin(), expected.begin() + 5));

  // Other typing is offered as without them; several pieces never get them.
  for (const char* typed : {"khnhom", "sok sabay", "tov", "'"}) {
    EXPECT_EQ(e.suggest(typed, std::nullopt, Engine::kMaxCandidates),
              plain.suggest(typed, std::nullopt, Engine::kMaxCandidates))
        << typed;
  }
  // A spelling only begun: from the last place of the first page on.
  const auto begun = texts(e.suggest("dar", std::nullopt, Engine::kMaxCandidates));
  const auto begun_plain = texts(plain.suggest("dar", std::nullopt, Engine::kMaxCandidates));
  const std::size_t at = std::min<std::size_t>(4, begun_plain.size());
  ASSERT_GT(begun.size(), at);
  EXPECT_EQ(begun[at], kDara);

  // Learned picks order the user's words among themselves, and a learned
  // completion stands where learning put it.
  e.learn("sok", kDara, std::nullopt);
  EXPECT_EQ(texts(e.suggest("sok", std::nullopt, 2)), (std::vector<std::string>{kDara, kSokha}));
  e.learn("dar", kDara, std::nullopt);
  e.learn("dar", kDara, std::nullopt);
  EXPECT_EQ(texts(e.suggest("dar", std::nullopt, 1)), std::vector<std::string>{kDara});
}

}  // namespace
}  // namespace sorla
