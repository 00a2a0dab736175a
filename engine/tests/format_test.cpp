#include "sorla/format.h"

#include <gtest/gtest.h>

#include "sorla/engine.h"
#include "sorla/seed_text.h"

namespace sorla {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes write(const WordList& list) { return std::get<Bytes>(write_data_file(list)); }

std::string error_of(const Bytes& b) {
  ReadResult r = read_data_file(b);
  return std::holds_alternative<ReadError>(r) ? std::get<ReadError>(r).message : "(read)";
}

Bytes header(std::uint32_t words) {
  Bytes b = {'S', 'R', 'L', 'A', 1, 0, 0};
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(words >> (8 * k)));
  return b;
}

void append_u32(Bytes& b, std::uint32_t v) {
  for (int k = 0; k < 4; ++k) b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

Bytes one_word_file(std::string_view spelling) {
  Bytes b = header(1);
  b.insert(b.end(),
           {3, 0, 'a', 'b', 'c', 0, 0, 0, 0, 1, static_cast<std::uint8_t>(spelling.size())});
  b.insert(b.end(), spelling.begin(), spelling.end());
  append_u32(b, 0);
  return b;
}

TEST(DataFile, SmallestFileAndRoundTrip) {
  EXPECT_EQ(write(WordList{}).size(), 15u);
  EXPECT_EQ(error_of(write(WordList{})), "(read)");

  const auto seed = seed_words();
  WordList list = std::get<WordList>(parse_seed_text(
      std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()), ""));
  list.data_name = "seed";
  list.entries[5].value = 0xDEADBEEF;
  list.pairs[3].count = 7;
  const WordList back = std::get<WordList>(read_data_file(write(list)));
  EXPECT_EQ(back.data_name, "seed");
  ASSERT_EQ(back.entries.size(), list.entries.size());
  for (std::size_t i = 0; i < list.entries.size(); ++i) {
    EXPECT_EQ(back.entries[i].word, list.entries[i].word);
    EXPECT_EQ(back.entries[i].spellings, list.entries[i].spellings);
    EXPECT_EQ(back.entries[i].value, list.entries[i].value);
  }
  ASSERT_EQ(back.pairs.size(), list.pairs.size());
  EXPECT_EQ(back.pairs[3].count, 7u);
}

TEST(DataFile, HeaderChecksInOrder) {
  EXPECT_EQ(error_of({}), "the data file is cut short");
  EXPECT_EQ(error_of({'S', 'R', 'L'}), "the data file is cut short");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'X'}), "not a Sorla data file");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A'}), "the data file is cut short");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 1, 0}), "the data file is cut short");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 4, 0}), "unknown data file version 4");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 0, 0}), "unknown data file version 0");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 0, 1, 0}), "unknown data file version 256");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 1, 0, 2, 'a'}), "the data file is cut short");
  EXPECT_EQ(error_of({'S', 'R', 'L', 'A', 1, 0, 1, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0}),
            "a string in the data file is not UTF-8");
}

TEST(DataFile, CountsAreBoundedByTheFileBeforeReserving) {
  // A 15-byte file: W = 2 passes (14 <= 15), W = 3 does not (21 > 15).
  Bytes b = header(3);
  append_u32(b, 0);
  EXPECT_EQ(error_of(b), "the word count is larger than the file");
  b = header(0xFFFFFFFF);
  append_u32(b, 0);
  EXPECT_EQ(error_of(b), "the word count is larger than the file");
  b = header(1);
  b.insert(b.end(), {5, 0, 'a'});
  EXPECT_EQ(error_of(b), "the data file is cut short");
  b = header(0);
  append_u32(b, 2);
  EXPECT_EQ(error_of(b), "the pair count is larger than the file");
}

TEST(DataFile, WordAndSpellingRules) {
  EXPECT_EQ(error_of(one_word_file("abc")), "(read)");
  EXPECT_EQ(error_of(one_word_file("sa-ek")), "(read)");
  EXPECT_EQ(error_of(one_word_file("ab12")), "(read)");
  EXPECT_EQ(error_of(one_word_file("\xC3\xB1")),
            "the data file has a spelling that isn't Latin letters");
  EXPECT_EQ(error_of(one_word_file("\xC3")), "a string in the data file is not UTF-8");
  EXPECT_EQ(error_of(one_word_file("")), "the data file has a spelling that isn't Latin letters");
  Bytes empty_word = header(1);
  empty_word.insert(empty_word.end(), {0, 0, 0, 0, 0, 0, 0});
  append_u32(empty_word, 0);
  EXPECT_EQ(error_of(empty_word), "the data file has an empty word");
}

TEST(DataFile, EveryByteOfALongSpellingIsChecked) {
  // Spellings are checked several bytes at a time; a stray byte must be
  // found wherever it sits.
  for (std::size_t len = 1; len <= 20; ++len) {
    for (std::size_t at = 0; at < len; ++at) {
      std::string s(len, 'a');
      s[at] = '\x80';
      EXPECT_EQ(error_of(one_word_file(s)), "a string in the data file is not UTF-8") << len;
      if (at + 2 <= len) {
        s.replace(at, 2, "\xC3\xB1");
        EXPECT_EQ(error_of(one_word_file(s)),
                  "the data file has a spelling that isn't Latin letters")
            << len;
      }
    }
    EXPECT_EQ(error_of(one_word_file(std::string(len, 'a'))), "(read)");
  }
}

// The reader hands the data over in file order, each count before what it
// counts; read_data_file builds its WordList from exactly this.
TEST(DataFile, SinkGetsTheDataInFileOrder) {
  struct Recorder final : WordDataSink {
    std::vector<std::string> calls;
    void data_name(std::string_view n) override { calls.push_back("name " + std::string(n)); }
    void ranking(const RankingParams& p) override {
      calls.push_back("ranking " + std::to_string(p.start_penalty));
    }
    void word_count(std::size_t c) override { calls.push_back("words " + std::to_string(c)); }
    void pair_count(std::size_t c) override { calls.push_back("pairs " + std::to_string(c)); }
    void word(std::string_view w, std::uint32_t v, std::size_t s) override {
      calls.push_back("word " + std::string(w) + " " + std::to_string(v) + " " + std::to_string(s));
    }
    void spelling(std::string_view s) override { calls.push_back("spelling " + std::string(s)); }
    void pair(const PairEntry& p) override {
      calls.push_back("pair " + std::to_string(p.first) + " " + std::to_string(p.second) + " " +
                      std::to_string(p.count));
    }
  };
  WordList list;
  list.data_name = "n";
  list.entries = {{"a", {"x", "yy"}, 7}, {"b", {}, 0}, {"a", {"x", "x"}, 1}};
  list.pairs = {{2, 0, 3}};
  list.ranking = RankingParams{.start_penalty = 3.0f};
  Recorder r;
  EXPECT_EQ(read_data_file(write(list), r), std::nullopt);
  EXPECT_EQ(r.calls,
            (std::vector<std::string>{"name n", "ranking 3.000000", "words 3", "word a 7 2",
                                      "spelling x", "spelling yy", "word b 0 0", "word a 1 2",
                                      "spelling x", "spelling x", "pairs 1", "pair 2 0 3"}));
  const WordList back = std::get<WordList>(read_data_file(write(list)));
  EXPECT_EQ(back.entries[2].spellings, (std::vector<std::string>{"x", "x"}));
  EXPECT_EQ(back.entries[1].spellings, std::vector<std::string>{});
}

TEST(DataFile, PairsAndTrailingBytes) {
  WordList list;
  list.entries = {{"a", {"x"}, 0}, {"b", {}, 0}};
  list.pairs = {{1, 1, 0}, {1, 1, 5}};
  const WordList back = std::get<WordList>(read_data_file(write(list)));
  EXPECT_EQ(back.pairs.size(), 2u);  // repeated pairs are kept as they stand

  list.pairs = {{0, 1, 1}};
  Bytes bad_pair = write(list);
  bad_pair[bad_pair.size() - 8] = 2;  // the second word of the last pair
  EXPECT_EQ(error_of(bad_pair), "a pair names a word that isn't there");
  list.pairs = {};
  Bytes b = write(list);
  b.push_back(0);
  EXPECT_EQ(error_of(b), "the data file has bytes after its end");
  b.pop_back();
  b.pop_back();
  EXPECT_EQ(error_of(b), "the data file is cut short");
}

TEST(DataFile, WriterRefusesWhatTheFormatCannotHold) {
  WordList list;
  list.data_name = std::string(256, 'n');
  EXPECT_TRUE(std::holds_alternative<ReadError>(write_data_file(list)));
  list.data_name.clear();
  list.entries = {{"a", {""}, 0}};
  EXPECT_TRUE(std::holds_alternative<ReadError>(write_data_file(list)));
  // What the reader refuses: a spelling beyond ASCII, text that is not
  // UTF-8, a pair of words that are not there.
  list.entries = {{"\u1780", {"\u00F1"}, 0}};
  EXPECT_EQ(std::get<ReadError>(write_data_file(list)).message,
            "the spelling \"\u00F1\" isn't Latin letters");
  list.entries = {{"\xE1\x9E", {"k"}, 0}};
  EXPECT_TRUE(std::holds_alternative<ReadError>(write_data_file(list)));
  list.entries = {{"\u1780", {"k"}, 0}};
  list.pairs = {{0, 1, 1}};
  EXPECT_TRUE(std::holds_alternative<ReadError>(write_data_file(list)));
}

// Version 2 carries the ranking numbers after the name: a count of 7, then
// each number's float bits; version 3, which the writer writes for them, is
// version 2 with its content hash after the version. A list without numbers
// is still written as version 1, byte for byte as before.
TEST(DataFile, Version2CarriesTheRankingNumbers) {
  WordList list;
  list.data_name = "n";
  list.entries = {{"a", {"x"}, 4}};
  const Bytes v1 = write(list);
  EXPECT_EQ(v1, (Bytes{'S', 'R', 'L', 'A', 1, 0, 1, 'n', 1,   0, 0, 0, 1,
                       0,   'a', 4,   0,   0, 0, 1, 1,   'x', 0, 0, 0, 0}));
  EXPECT_EQ(std::get<WordList>(read_data_file(v1)).ranking, std::nullopt);
  EXPECT_EQ(std::get<std::optional<RankingParams>>(read_data_ranking(v1)), std::nullopt);

  const RankingParams tuned = {
      .word_term_weight = -0.9f, .start_penalty = 4.5f, .literal_base = 1e-7f};
  list.ranking = tuned;
  Bytes v2 = write(list);
  v2.erase(v2.begin() + 6, v2.begin() + 14);
  v2[4] = 2;
  ASSERT_EQ(v2.size(), v1.size() + 1 + 7 * 4);
  EXPECT_EQ(Bytes(v2.begin() + 4, v2.begin() + 9), (Bytes{2, 0, 1, 'n', 7}));
  EXPECT_EQ(Bytes(v2.begin() + 9 + 7 * 4, v2.end()), Bytes(v1.begin() + 8, v1.end()));
  const WordList back = std::get<WordList>(read_data_file(v2));
  EXPECT_EQ(back.ranking, tuned);
  EXPECT_EQ(back.entries[0].spellings, std::vector<std::string>{"x"});
  EXPECT_EQ(std::get<std::optional<RankingParams>>(read_data_ranking(v2)), tuned);
  EXPECT_EQ(std::get<ReadError>(read_data_ranking(Bytes{'S', 'R', 'L', 'A', 9, 0})).message,
            "unknown data file version 9");

  // Refusals, each at the place it concerns.
  const auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes b = v2;
    b[at] = value;
    return error_of(b);
  };
  EXPECT_EQ(changed(8, 6), "the data file's ranking section is of another size");
  EXPECT_EQ(changed(8, 8), "the data file's ranking section is of another size");
  EXPECT_EQ(error_of(Bytes(v2.begin(), v2.begin() + 20)), "the data file is cut short");
  EXPECT_EQ(changed(4, 1), "the word count is larger than the file");  // read as version 1
  Bytes nan = v2;
  nan[9 + 3 * 4 + 3] = 0x7F;  // the pair bonus: 0x7Fxxxxxx with a high mantissa
  nan[9 + 3 * 4 + 2] = 0xC0;
  EXPECT_EQ(error_of(nan),
            "the data file's ranking numbers are unusable: the ranking's pair bonus is not a "
            "number from -1000 to 1000");
  EXPECT_EQ(changed(9 + 3, 0x3F),  // the word term weight made positive
            "the data file's ranking numbers are unusable: the ranking's word term weight is "
            "above 0");
  Bytes longer = v2;
  longer.push_back(0);
  EXPECT_EQ(error_of(longer), "the data file has bytes after its end");

  // The writer refuses numbers the reader would.
  list.ranking->completion_cost = 0.0f;
  EXPECT_EQ(std::get<ReadError>(write_data_file(list)).message,
            "the ranking's completion cost is not above 0");
}

// Every byte after the hash is covered, and a change to the hash or after it
// is refused as damage before any other check; the head alone (what an
// index's opening reads) is read without it.
TEST(DataFile, Version3IsCheckedByItsContentHash) {
  WordList list;
  list.entries = {{"a", {"x"}, 4}};
  list.pairs = {{0, 0, 1}};
  list.ranking = RankingParams{};
  const Bytes v3 = write(list);
  EXPECT_EQ(Bytes(v3.begin() + 4, v3.begin() + 6), (Bytes{3, 0}));
  EXPECT_EQ(error_of(v3), "(read)");
  for (std::size_t at = 6; at < v3.size(); ++at) {
    Bytes b = v3;
    b[at] ^= 0x40;
    EXPECT_EQ(error_of(b), "the data file is damaged: its content hash does not match") << at;
  }
  EXPECT_EQ(error_of(Bytes(v3.begin(), v3.end() - 1)),
            "the data file is damaged: its content hash does not match");
  EXPECT_EQ(error_of(Bytes(v3.begin(), v3.begin() + 14)), "the data file is cut short");
  Bytes b = v3;
  b.back() ^= 1;
  EXPECT_EQ(std::get<std::optional<RankingParams>>(read_data_ranking(b)), RankingParams{});
}

}  // namespace
}  // namespace sorla
