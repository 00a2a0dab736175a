#include "sorla/lexicon/dev_set.h"

#include <gtest/gtest.h>

#include <variant>

#include "sorla/engine.h"
#include "sorla/lexicon/sentence_typing.h"

namespace sorla::lexicon {
namespace {

// The split must never move a word: the hash is FNV-1a's published one, and
// every typing of a word (and a sentence) takes the word's side.
TEST(DevSet, SplitsByTheWordsHash) {
  EXPECT_EQ(fnv1a32(""), 0x811c9dc5u);
  EXPECT_EQ(fnv1a32("a"), 0xe40c292cu);
  EXPECT_EQ(fnv1a32("foobar"), 0xbf9cf968u);
  EXPECT_EQ(half_of("a"), Half::Tuning);  // 0xe40c292c is even
  EXPECT_EQ(half_of("foobar"), Half::Tuning);
  EXPECT_EQ(half_of("b"), fnv1a32("b") % 2 ? Half::HeldOut : Half::Tuning);

  const auto words = read_dev_words("# comment\nទៅ\ttov tow\r\n\nnotab\nមក\tmok\n");
  ASSERT_EQ(words.size(), 3u);
  EXPECT_EQ(words[1].typed, "tow");
  EXPECT_EQ(words[0].half, half_of("ទៅ"));
  EXPECT_EQ(words[1].half, half_of("ទៅ"));
  EXPECT_EQ(words[2].half, half_of("មក"));

  const auto sentences = read_dev_sentences("ខ្ញុំទៅ\tknhom  tov\n");
  ASSERT_EQ(sentences.size(), 1u);
  EXPECT_EQ(sentences[0].words, (std::vector<std::string>{"knhom", "tov"}));
  EXPECT_EQ(sentences[0].half, half_of("ខ្ញុំទៅ"));
}

// A sentence is typed through the session with Space after each word, and
// what an earlier sentence taught the engine is gone before the next.
TEST(DevSet, TypesASentenceWordByWord) {
  Engine engine = std::get<Engine>(Engine::from_bytes(seed_words()));
  for (int i = 0; i < 1000; ++i) engine.learn("tov", "ទេ", std::string("ខ្ញុំ"));
  ASSERT_EQ(engine.suggest("tov", std::string("ខ្ញុំ")).at(0).text, "ទេ");
  EXPECT_EQ(type_sentence(engine, {"knhom", "tov", "phteah"}), "ខ្ញុំទៅផ្ទះ");
  EXPECT_TRUE(looks_same("ប្ដី", "ប្តី"));
  EXPECT_FALSE(looks_same("ប្តី", "ប្រី"));
}

}  // namespace
}  // namespace sorla::lexicon
