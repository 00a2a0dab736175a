#include "sorla/seed_text.h"

#include <gtest/gtest.h>

#include "sorla/engine.h"

namespace sorla {
namespace {

WordList read_ok(std::string_view text) {
  ReadResult r = parse_seed_text(text, "");
  EXPECT_TRUE(std::holds_alternative<WordList>(r)) << std::get<ReadError>(r).message;
  return std::holds_alternative<WordList>(r) ? std::get<WordList>(r) : WordList{};
}

std::string read_error(std::string_view text) {
  ReadResult r = parse_seed_text(text, "");
  EXPECT_TRUE(std::holds_alternative<ReadError>(r));
  return std::holds_alternative<ReadError>(r) ? std::get<ReadError>(r).message : "";
}

TEST(SeedText, ShippedListReadsWhole) {
  const auto bytes = seed_words();
  const WordList list =
      read_ok(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  ASSERT_EQ(list.entries.size(), 93u);
  ASSERT_EQ(list.pairs.size(), 18u);
  EXPECT_TRUE(list.data_name.empty());
  for (const PairEntry& p : list.pairs) EXPECT_EQ(p.count, 1u);
  EXPECT_EQ(list.entries[0].word, "\xE1\x9E\x81\xE1\x9F\x92\xE1\x9E\x89\xE1\x9E\xBB\xE1\x9F\x86");
  EXPECT_EQ(list.entries[0].spellings[1], "khnhom");
  EXPECT_EQ(list.entries[34].spellings[2], "sa-ek");
  EXPECT_EQ(list.pairs[0].first, 0u);
  EXPECT_EQ(list.pairs[0].second, 7u);
  EXPECT_EQ(list.pairs[17].first, 90u);
  EXPECT_EQ(list.pairs[17].second, 91u);
  // The file keeps CRLF line endings on every line, the last included.
  const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  EXPECT_TRUE(text.ends_with("\r\n"));
}

TEST(SeedText, EmptyTextIsAnEmptyList) {
  const WordList list = read_ok("");
  EXPECT_TRUE(list.entries.empty());
  EXPECT_TRUE(list.pairs.empty());
}

TEST(SeedText, DataNameIsKept) {
  ReadResult r = parse_seed_text("a\tb\n", "name");
  EXPECT_EQ(std::get<WordList>(r).data_name, "name");
}

TEST(SeedText, LineNumbersCountBlankAndCommentLines) {
  EXPECT_EQ(read_error("\tban bn\n"), "line 1 has no Khmer word");
  EXPECT_EQ(read_ok("\t \t \nw\tx\n").entries.size(), 1u);  // tabs and spaces only: blank
  EXPECT_EQ(read_error("\n# c\n   # indented\n    \nno tab here\n"), "line 5 has no tab");
  EXPECT_EQ(read_error("\xEF\xBB\xBF"
                       "a\tb\nbad\n"),
            "line 2 has no tab");
  EXPECT_EQ(read_error("a\tb\r\nbad\r\n"), "line 2 has no tab");
  EXPECT_EQ(read_error("a\tb\n\xE3\x80\x80\tx\n"), "line 2 has no Khmer word");  // U+3000 trims
}

TEST(SeedText, PairLines) {
  // "Pair" is a word, " pair " is a pair line.
  WordList list = read_ok("Pair\tx\n pair \ta b\na\t\nb\ty\n");
  ASSERT_EQ(list.entries.size(), 3u);
  EXPECT_EQ(list.entries[0].word, "Pair");
  ASSERT_EQ(list.pairs.size(), 1u);
  EXPECT_EQ(list.pairs[0].first, 1u);  // named before the lines that define them
  EXPECT_EQ(list.pairs[0].second, 2u);
  EXPECT_TRUE(list.entries[1].spellings.empty());

  list = read_ok("a\tx\nb\ty\npair\ta b\npair\ta  b\npair\tb a\n");
  ASSERT_EQ(list.pairs.size(), 2u);
  EXPECT_EQ(list.pairs[0].count, 2u);
  EXPECT_EQ(list.pairs[1].count, 1u);

  EXPECT_EQ(read_error("a\tx\nb\ty\npair\ta\tb\n"), "line 3 pairs unknown words");
  EXPECT_EQ(read_error("a\tx\nb\ty\npair\t a b\n"), "line 3 pairs unknown words");
  EXPECT_EQ(read_error("a\tx\npair\t\n"), "line 2 pairs unknown words");
  EXPECT_EQ(read_error("a\tx\npair\ta c\n"), "line 2 pairs unknown words");
  // Pairs resolve after every line, so a later word-line error wins.
  EXPECT_EQ(read_error("pair\tq r\na\tx\nbad\n"), "line 3 has no tab");
}

TEST(SeedText, RepeatedWordMergesSpellings) {
  const WordList list = read_ok("a\tx y\nb\tz\na\ty X\tx w\n");
  ASSERT_EQ(list.entries.size(), 2u);
  EXPECT_EQ(list.entries[0].spellings, (std::vector<std::string>{"x", "y", "X", "w"}));
}

}  // namespace
}  // namespace sorla
