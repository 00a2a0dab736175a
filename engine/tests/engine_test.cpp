#include "sorla/engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>

#include "scoring.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"

namespace sorla {
namespace {

// Khmer words of the built-in list, by word index.
const std::string kKhnhom = "\xE1\x9E\x81\xE1\x9F\x92\xE1\x9E\x89\xE1\x9E\xBB\xE1\x9F\x86";  // 0
const std::string kChong = "\xE1\x9E\x85\xE1\x9E\x84\xE1\x9F\x8B";                           // 7
const std::string kTov = "\xE1\x9E\x91\xE1\x9F\x85";                                         // 2
const std::string kNham = "\xE1\x9E\x89\xE1\x9F\x89\xE1\x9E\xB6\xE1\x9F\x86";                // 24
const std::string kOt = "\xE1\x9E\xA2\xE1\x9E\x8F\xE1\x9F\x8B";                              // 6
const std::string kTe = "\xE1\x9E\x91\xE1\x9F\x81";                                          // 4
const std::string kTverka =
    "\xE1\x9E\x92\xE1\x9F\x92\xE1\x9E\x9C\xE1\x9E\xBE\xE1\x9E\x80\xE1\x9E\xB6\xE1\x9E\x9A";  // 79

Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

std::uint32_t bits(float f) { return std::bit_cast<std::uint32_t>(f); }

std::vector<std::string> texts(const std::vector<Suggestion>& s) {
  std::vector<std::string> out;
  for (const Suggestion& x : s) out.push_back(x.text);
  return out;
}

TEST(Engine, BuiltFromTheSeedList) {
  const Engine e = seed_engine();
  EXPECT_EQ(e.words().size(), 93u);
  EXPECT_EQ(e.pairs().size(), 18u);
  EXPECT_FALSE(e.data_name().has_value());
  EXPECT_EQ(e.word_at_end(kKhnhom), 0u);
  EXPECT_EQ(e.word_at_end(kKhnhom + kTverka), 79u);  // the longer known ending wins
  EXPECT_EQ(e.word_at_end(""), std::nullopt);
  EXPECT_EQ(e.word_at_end("sabay"), std::nullopt);
}

TEST(Engine, ReaderChoice) {
  auto error = [](std::string_view bytes) {
    auto r = Engine::from_bytes(bytes);
    return std::holds_alternative<ReadError>(r) ? std::get<ReadError>(r).message : "";
  };
  EXPECT_EQ(error("S"), "the data file is cut short");
  EXPECT_EQ(error("SRL"), "the data file is cut short");
  EXPECT_EQ(error(std::string_view("\xFF\xFE#\0", 4)), "not a Sorla data file");  // UTF-16 BOM
  EXPECT_EQ(error("SRLA\x01"), "the data file is cut short");
  EXPECT_EQ(error("SR\tx"), "");  // UTF-8 that does not start like the magic is seed text
  EXPECT_EQ(error("bad"), "line 1 has no tab");

  auto empty = Engine::from_bytes(std::string_view());
  ASSERT_TRUE(std::holds_alternative<Engine>(empty));
  EXPECT_TRUE(std::get<Engine>(empty).words().empty());
  EXPECT_TRUE(std::get<Engine>(empty).suggest("sabay", std::nullopt).empty());
}

TEST(Engine, BinaryDataThatFailsLateGivesNoEngine) {
  // The engine is built while the data is read; a fault after the last pair
  // must still leave nothing but the message.
  WordList list;
  list.entries = {{"a", {"x"}, 0}, {"b", {"y"}, 0}};
  list.pairs = {{0, 1, 1}};
  auto bin = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  bin.push_back(0);
  const auto r = Engine::from_bytes(bin);
  ASSERT_TRUE(std::holds_alternative<ReadError>(r));
  EXPECT_EQ(std::get<ReadError>(r).message, "the data file has bytes after its end");
}

TEST(Engine, BinaryDataWithRepeatedWordAndName) {
  WordList list;
  list.data_name = "n";
  list.entries = {{"a", {"x"}, 0}, {"a", {}, 0}};
  const auto bin = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  auto r = Engine::from_bytes(bin);
  ASSERT_TRUE(std::holds_alternative<Engine>(r)) << std::get<ReadError>(r).message;
  const Engine& e = std::get<Engine>(r);
  EXPECT_EQ(e.words().size(), 2u);
  EXPECT_EQ(e.data_name(), "n");
  EXPECT_EQ(e.word_at_end("a"), 0u);
}

TEST(Engine, BinaryDataBuildsTheSameEngineAsItsText) {
  // Binary data is built from in place, text through a WordList: both roads
  // must give the same engine.
  const auto seed = seed_words();
  WordList list = std::get<WordList>(parse_seed_text(
      std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()), ""));
  list.entries.push_back({kTe, {}, 0});  // a repeated word without spellings
  list.pairs.push_back(list.pairs[0]);   // a repeated pair
  const auto bin = std::get<std::vector<std::uint8_t>>(write_data_file(list));
  const Engine from_text = seed_engine();
  const Engine from_bin = std::get<Engine>(Engine::from_bytes(bin));
  ASSERT_EQ(from_bin.words().size(), from_text.words().size() + 1);
  EXPECT_TRUE(
      std::equal(from_text.words().begin(), from_text.words().end(), from_bin.words().begin()));
  EXPECT_EQ(from_bin.words().back(), kTe);
  EXPECT_EQ(from_bin.word_at_end(kTe), 4u);
  EXPECT_EQ(from_bin.pairs(), from_text.pairs());
  EXPECT_EQ(from_bin.matcher().node_count(), from_text.matcher().node_count());
  for (const char* t : {"khnhomchongtovsala", "sabay", "nhom", "mn der", "sa-ek", "tverka"}) {
    EXPECT_EQ(from_bin.suggest(t, kKhnhom), from_text.suggest(t, kKhnhom)) << t;
    EXPECT_EQ(from_bin.matcher().find(t, match_threshold(), true),
              from_text.matcher().find(t, match_threshold(), true))
        << t;
  }
}

TEST(Engine, WorkedExamples) {
  const Engine e = seed_engine();
  const auto ot_te = e.suggest("ot te", std::nullopt);
  ASSERT_EQ(ot_te.size(), 5u);
  EXPECT_EQ(ot_te[0].text, kOt + kTe);
  EXPECT_EQ(bits(ot_te[0].score), bits(4.97727966f));

  const auto tov = e.suggest("tov", std::nullopt);
  const auto tov_after = e.suggest("tov", kChong);
  ASSERT_FALSE(tov.empty());
  EXPECT_EQ(tov_after[0].text, kTov);
  EXPECT_EQ(tov_after[0].score, tov[0].score + 2.5f);

  EXPECT_EQ(e.suggest("sal", std::nullopt)[0].text,
            "\xE1\x9E\x9F\xE1\x9E\xB6\xE1\x9E\x9B\xE1\x9E\xB6");
  const auto xyz = e.suggest("xyz", std::nullopt);
  ASSERT_EQ(xyz.size(), 1u);
  EXPECT_EQ(xyz[0].text, "\xE1\x9E\xA0\xE1\x9E\xBE\xE1\x9E\x99");
}

// Cutting inside a typed piece made dearer puts the whole word first where
// two words cut from the piece led; numbers the search cannot rank exactly
// with are refused.
TEST(Engine, RanksWithItsParams) {
  const std::string kKar = "\xE1\x9E\x80\xE1\x9E\xB6\xE1\x9E\x9A";
  EXPECT_EQ(seed_engine().ranking_params(), RankingParams{});
  EXPECT_EQ(seed_engine().suggest("tvka", std::nullopt)[0].text, kTov + kKar);
  RankingParams dear_cut;
  dear_cut.start_penalty = 3.0f;
  const Engine tuned = std::get<Engine>(Engine::from_bytes(seed_words(), dear_cut));
  EXPECT_EQ(tuned.ranking_params(), dear_cut);
  EXPECT_EQ(tuned.suggest("tvka", std::nullopt)[0].text, kTverka);

  auto refusal = [](void (*change)(RankingParams&)) {
    RankingParams p;
    change(p);
    auto r = Engine::from_bytes(seed_words(), p);
    return std::holds_alternative<ReadError>(r) ? std::get<ReadError>(r).message : "";
  };
  EXPECT_EQ(refusal([](RankingParams& p) { p.word_term_weight = 0.1f; }),
            "the ranking's word term weight is above 0");
  EXPECT_EQ(refusal([](RankingParams& p) { p.exact_bonus = -0.1f; }),
            "the ranking's exact bonus is below 0");
  EXPECT_EQ(refusal([](RankingParams& p) { p.completion_cost = 0.0f; }),
            "the ranking's completion cost is not above 0");
  EXPECT_EQ(refusal([](RankingParams& p) { p.pair_bonus = std::nanf(""); }),
            "the ranking's pair bonus is not a number from -1000 to 1000");
  EXPECT_EQ(refusal([](RankingParams& p) { p.gap_cost = -2000.0f; }),
            "the ranking's gap cost is not a number from -1000 to 1000");
  EXPECT_EQ(refusal([](RankingParams& p) { p.literal_base = 0.0f; }), "");
}

TEST(Engine, RepeatedSpellingDoesNotDoubleAWord) {
  const Engine e = seed_engine();
  const auto khnhom = e.suggest("khnhom", std::nullopt);
  ASSERT_GE(khnhom.size(), 2u);
  EXPECT_EQ(khnhom[0].text, kKhnhom);
  EXPECT_EQ(bits(khnhom[0].score), bits(1.9841118f));
  EXPECT_EQ(khnhom[1].text, kKhnhom + kNham);
  for (const Suggestion& s : khnhom) EXPECT_NE(s.text, kKhnhom + kKhnhom);

  EXPECT_EQ(e.suggest("khnhom chong tov", std::nullopt)[0].text, kKhnhom + kChong + kTov);
  // Two different spellings of one word run together still read twice.
  const std::string pteah = "\xE1\x9E\x95\xE1\x9F\x92\xE1\x9E\x91\xE1\x9F\x87";
  EXPECT_EQ(e.suggest("pteahpteas", std::nullopt)[0].text, pteah + pteah);
}

TEST(Engine, SpacesDecideBoundaries) {
  const Engine e = seed_engine();
  const auto spaced = e.suggest("chong tov", std::nullopt);
  const auto run = e.suggest("chongtov", std::nullopt);
  ASSERT_EQ(spaced.size(), 5u);
  ASSERT_EQ(run.size(), 1u);
  EXPECT_EQ(run[0].text, kChong + kTov);
  EXPECT_EQ(spaced[0].text, kChong + kTov);
  EXPECT_EQ(run[0].score, spaced[0].score - 1.5f);
  EXPECT_EQ(texts(e.suggest("sok sabay", std::nullopt))[0],
            "\xE1\x9E\x9F\xE1\x9E\xBB\xE1\x9E\x81\xE1\x9E\x9F\xE1\x9E\x94\xE1\x9F\x92\xE1\x9E\x94"
            "\xE1\x9E\xB6\xE1\x9E\x99");
}

TEST(Engine, RejectedTypingAndPiecesWithoutLetters) {
  Engine e = seed_engine();
  e.learn("sabay1", "X", std::nullopt);  // letters "sabay"
  EXPECT_TRUE(e.suggest("sabay1", std::nullopt).empty());
  EXPECT_TRUE(e.suggest("sabay.", std::nullopt).empty());
  EXPECT_TRUE(e.suggest("caf\xC3\xA9", std::nullopt).empty());
  EXPECT_TRUE(e.suggest("\xFF", std::nullopt).empty());
  EXPECT_TRUE(e.suggest("' -", std::nullopt).empty());
  // A letterless piece creates no boundary but still counts as typed.
  EXPECT_FALSE(e.suggest("kh - nhom", std::nullopt).empty());
  EXPECT_FALSE(e.suggest("Sa-bay'", std::nullopt).empty());
}

TEST(Engine, LearnedPicksRankFirst) {
  Engine e = seed_engine();
  const auto before = e.suggest("ot te", std::nullopt);
  ASSERT_EQ(before.size(), 5u);
  e.learn("ot te", before[3].text, std::nullopt);
  e.learn("ot te", before[3].text, std::nullopt);
  const auto after = e.suggest("ot te", std::nullopt);
  // A pick among the suggestions gains the boost on its own score.
  EXPECT_EQ(after[1].text, before[3].text);
  EXPECT_EQ(after[1].score, before[3].score + (0.5f * ln(2.0f) + 6.0f));
  EXPECT_EQ(after[0].text, before[0].text);

  // A pick the ranking never produced is offered at top + boost.
  e.learn("ot te", "Z", kKhnhom);
  const auto with_new = e.suggest("ot te", kKhnhom);
  EXPECT_EQ(with_new[0].text, "Z");
  EXPECT_EQ(with_new[0].score, before[0].score + (2.0f + (0.5f * ln(1.0f) + 6.0f)));
  EXPECT_EQ(with_new.size(), 5u);

  // Without any ranked sequence the boost alone is the score.
  e.learn("'-", "Q", std::nullopt);  // no letters: ignored
  Engine empty = std::get<Engine>(Engine::from_bytes(std::string_view()));
  const std::string alphabet = "abcdefghijklmnopqrstuvwxyz";  // too long to pass through
  empty.learn(alphabet, "W", std::nullopt);
  const auto only = empty.suggest(alphabet, std::nullopt);
  ASSERT_EQ(only.size(), 1u);
  EXPECT_EQ(only[0].score, 6.0f);
  // With a literal reading the pick sits on top of it.
  empty.learn("abc", "V", std::nullopt);
  EXPECT_EQ(empty.suggest("a-bc", std::nullopt)[0].score,
            -literal_penalty(0, RankingParams{}) + 6.0f);
}

TEST(Engine, LearnUnlearnAndPreviousWordResolution) {
  Engine e = seed_engine();
  const std::string snapshot = e.export_learned();
  e.learn("tov", kTov, kKhnhom + kChong);  // previous reduces to its known ending
  EXPECT_NE(e.export_learned().find("\"previous\":\"" + kChong + "\""), std::string::npos);
  e.learn("tov", kTov, std::string("hello"));  // no known ending: kept whole
  EXPECT_NE(e.export_learned().find("\"previous\":\"hello\""), std::string::npos);
  e.unlearn("tov", kTov, std::string("hello"));
  e.unlearn("tov", kTov, kKhnhom + kChong);
  EXPECT_EQ(e.export_learned(), snapshot);
}

TEST(Engine, ImportKeepsStoreOnFailure) {
  Engine e = seed_engine();
  ASSERT_EQ(
      e.import_learned(
          R"({"format":"sorla-learned","version":1,"picks":[{"typed":"ot","picked":"A","count":3}]})"),
      std::nullopt);
  const std::string good = e.export_learned();
  EXPECT_EQ(e.import_learned("not json"), (ImportError{ImportError::Kind::Invalid, 0}));
  EXPECT_EQ(e.import_learned(R"({"format":"sorla-learned","version":2,"picks":[]})"),
            (ImportError{ImportError::Kind::UnsupportedVersion, 2}));
  EXPECT_EQ(e.export_learned(), good);
  EXPECT_EQ(e.suggest("ot", std::nullopt)[0].text, "A");
}

TEST(Engine, FurtherPagesExtendTheFirstFive) {
  Engine e = seed_engine();
  const auto check = [&](const char* t) {
    const auto first = e.suggest(t, kKhnhom);
    const auto all = e.suggest(t, kKhnhom, Engine::kMaxCandidates);
    ASSERT_LE(all.size(), Engine::kMaxCandidates) << t;
    ASSERT_GE(all.size(), first.size()) << t;
    EXPECT_EQ(std::vector(all.begin(), all.begin() + static_cast<long>(first.size())), first) << t;
    std::vector<std::string> seen = texts(all);
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(std::adjacent_find(seen.begin(), seen.end()), seen.end()) << t;
  };
  for (const char* t : {"ot te", "khnhomchongtovsala", "a b c d", "t", "ot"}) check(t);
  EXPECT_GT(e.suggest("ot te", std::nullopt, Engine::kMaxCandidates).size(), 5u);
  // A pick from a further page is learned like one from the first, and
  // the pages still extend the first five afterwards.
  const auto all = e.suggest("ot te", kKhnhom, Engine::kMaxCandidates);
  e.learn("ot te", all.back().text, kKhnhom);
  const auto again = e.suggest("ot te", kKhnhom, Engine::kMaxCandidates);
  const auto it = std::find_if(again.begin(), again.end(),
                               [&](const Suggestion& s) { return s.text == all.back().text; });
  ASSERT_NE(it, again.end());
  EXPECT_EQ(bits(it->score), bits(all.back().score + learned_boost(1, true)));
  EXPECT_LT(it - again.begin(), static_cast<long>(all.size()) - 1);
  check("ot te");
}

TEST(Engine, SameArgumentsSameAnswer) {
  const Engine e = seed_engine();
  for (const char* t : {"khnhomchongtovsala", "a b c d", "kh - nhom", "niyeay phiesa khmer"}) {
    EXPECT_EQ(e.suggest(t, kKhnhom), e.suggest(t, kKhnhom)) << t;
  }
}

}  // namespace
}  // namespace sorla
