#include "sorla/learn.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace sorla {
namespace {

const std::string kW1 = "\xE1\x9E\x80";  // U+1780
const std::string kW2 = "\xE1\x9E\x81";  // U+1781
const std::string kP = "\xE1\x9E\x82";   // U+1782
constexpr std::uint32_t kMax = 4294967295u;

LearnedStore imported(std::string_view json) {
  auto result = LearnedStore::import_json(json);
  if (const auto* error = std::get_if<ImportError>(&result)) {
    ADD_FAILURE() << "import failed (kind " << static_cast<int>(error->kind) << ") for " << json;
    return {};
  }
  return std::get<LearnedStore>(std::move(result));
}

ImportError import_error(std::string_view json) {
  auto result = LearnedStore::import_json(json);
  if (!std::holds_alternative<ImportError>(result)) {
    ADD_FAILURE() << "import succeeded for " << json;
    return {};
  }
  return std::get<ImportError>(result);
}

const ImportError kInvalid{ImportError::Kind::Invalid, 0};

ImportError unsupported(std::uint32_t version) {
  return {ImportError::Kind::UnsupportedVersion, version};
}

std::string doc_with_picks(const std::string& picks) {
  return R"({"format":"sorla-learned","version":1,"picks":[)" + picks + "]}";
}

// Fixed-width letter keys whose order follows `i`.
std::string letter_key(int i) {
  std::string key(4, 'a');
  for (int k = 3; k >= 0; --k, i /= 26) key[k] = static_cast<char>('a' + i % 26);
  return key;
}

TEST(LearnRecord, CountsUnderTheLetterKey) {
  LearnedStore store;
  store.record("Ba'ng", kW1, std::nullopt);
  store.record("bang", kW1, std::nullopt);
  EXPECT_EQ(store.export_json(),
            doc_with_picks(R"({"typed":"bang","picked":")" + kW1 + R"(","count":2})"));

  // No letters, or no picked word: nothing is stored.
  store.record("--", kW1, std::nullopt);
  store.record("bang", "", std::nullopt);
  store.record("", kW2, kP);
  EXPECT_EQ(store.size(), 1u);

  // An empty previous word is a present one, distinct from an absent one.
  store.record("bang", kW1, std::string());
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.entries().rbegin()->first.previous, std::optional<std::string>(""));
}

TEST(LearnRecord, CountAtMaximumStaysThere) {
  LearnedStore store = imported(doc_with_picks(R"({"typed":"a","picked":"x","count":4294967295})"));
  store.record("a", "x", std::nullopt);
  EXPECT_EQ(store.entries().begin()->second, kMax);
  store.unrecord("a", "x", std::nullopt);
  EXPECT_EQ(store.entries().begin()->second, kMax - 1);
}

TEST(LearnUnrecord, TakesBackOnePick) {
  LearnedStore store;
  store.record("Sabay", kW1, kP);
  store.unrecord("sabay", kW1, kP);
  EXPECT_EQ(store.size(), 0u);

  for (int i = 0; i < 3; ++i) store.record("sabay", kW1, kP);
  store.unrecord("sabay", kW1, kP);
  EXPECT_EQ(store.entries().at(PickKey{"sabay", kW1, kP}), 2u);

  // Keys that are not stored are left alone, including near misses.
  store.unrecord("sabay", kW1, std::nullopt);
  store.unrecord("sabay", kW2, kP);
  store.unrecord("--", kW1, kP);
  EXPECT_EQ(store.entries().at(PickKey{"sabay", kW1, kP}), 2u);
  EXPECT_EQ(store.size(), 1u);
}

TEST(LearnTally, SumsPerPickedWord) {
  LearnedStore store;
  for (int i = 0; i < 2; ++i) store.record("K", kW1, std::nullopt);
  for (int i = 0; i < 3; ++i) store.record("k", kW1, kP);
  store.record("k'", kW2, kP);
  // Neighbouring letter keys must not leak in.
  store.record("ka", kW1, kP);
  store.record("j", kW1, kP);

  const std::vector<LearnedTally> with_previous{{kW1, 5, 3}, {kW2, 1, 1}};
  const std::vector<LearnedTally> without{{kW1, 5, 0}, {kW2, 1, 0}};
  EXPECT_EQ(store.tally("k", kP), with_previous);
  EXPECT_EQ(store.tally("-K-", std::nullopt), without);
  EXPECT_EQ(store.tally("k", kW2), without);

  EXPECT_TRUE(store.tally("", kP).empty());
  EXPECT_TRUE(store.tally("'-", std::nullopt).empty());
  EXPECT_TRUE(store.tally("kb", kP).empty());
  EXPECT_TRUE(store.tally("zz", kP).empty());
}

TEST(LearnTally, TotalsSaturate) {
  const LearnedStore store =
      imported(doc_with_picks(R"({"typed":"a","picked":"x","count":4294967295},)"
                              R"({"typed":"a","picked":"x","previous":"p","count":4294967295})"));
  EXPECT_EQ(store.tally("a", std::string("p")), (std::vector<LearnedTally>{{"x", kMax, kMax}}));
}

TEST(LearnEvict, RecordCutsToTargetKeepingTheNewPick) {
  LearnedStore store;
  // Even positions counted twice, odd ones once.
  for (int i = 0; i < 20000; ++i) {
    store.record(letter_key(i), kW1, std::nullopt);
    if (i % 2 == 0) store.record(letter_key(i), kW1, std::nullopt);
  }
  EXPECT_EQ(store.size(), 20000u);  // the cap itself is allowed

  // "a" sorts before every other key and has the smallest count.
  store.record("a", kW1, std::nullopt);
  ASSERT_EQ(store.size(), 18000u);
  EXPECT_TRUE(store.entries().contains(PickKey{"a", kW1, std::nullopt}));
  // The 2001 odd positions that come first in key order are gone.
  EXPECT_FALSE(store.entries().contains(PickKey{letter_key(1), kW1, std::nullopt}));
  EXPECT_FALSE(store.entries().contains(PickKey{letter_key(4001), kW1, std::nullopt}));
  EXPECT_TRUE(store.entries().contains(PickKey{letter_key(4003), kW1, std::nullopt}));
  EXPECT_TRUE(store.entries().contains(PickKey{letter_key(0), kW1, std::nullopt}));
  EXPECT_TRUE(store.entries().contains(PickKey{letter_key(19998), kW1, std::nullopt}));
}

TEST(LearnEvict, ImportCutsToTarget) {
  std::string picks;
  for (int i = 0; i < 20001; ++i) {
    if (i > 0) picks += ',';
    const int count = i < 10000 ? 5 : 1;
    picks += R"({"typed":")";
    picks += letter_key(i);
    picks += R"(","picked":"x","count":)";
    picks += std::to_string(count);
    picks += '}';
  }
  const LearnedStore store = imported(doc_with_picks(picks));
  ASSERT_EQ(store.size(), 18000u);
  EXPECT_FALSE(store.entries().contains(PickKey{letter_key(12000), "x", std::nullopt}));
  EXPECT_TRUE(store.entries().contains(PickKey{letter_key(12001), "x", std::nullopt}));
  EXPECT_TRUE(store.entries().contains(PickKey{letter_key(0), "x", std::nullopt}));
}

TEST(LearnExport, ExactBytes) {
  LearnedStore store;
  EXPECT_EQ(store.export_json(), R"({"format":"sorla-learned","version":1,"picks":[]})");

  store.record("sok", kW2, std::nullopt);
  store.record("sok", kW1, kP);
  store.record("sok", kW1, std::nullopt);
  store.record("sok", kW1, std::nullopt);
  EXPECT_EQ(store.export_json(),
            doc_with_picks(R"({"typed":"sok","picked":")" + kW1 + R"(","count":2},)" +
                           R"({"typed":"sok","picked":")" + kW1 + R"(","previous":")" + kP +
                           R"(","count":1},)" + R"({"typed":"sok","picked":")" + kW2 +
                           R"(","count":1})"));
}

TEST(LearnExport, EscapesAndRoundTrips) {
  LearnedStore store;
  store.record("a", std::string("q\"b\\s/\n\t\r\b\f\x01\x1f\x7f", 14) + kW1, std::string("\0z", 2));
  EXPECT_EQ(store.export_json(),
            doc_with_picks(R"({"typed":"a","picked":"q\"b\\s/\n\t\r\b\f\u0001\u001F)"
                           "\x7f" +
                           kW1 + R"(","previous":"\u0000z","count":1})"));
  store.record("b", kW2, kP);
  store.record("b", kW2, std::nullopt);
  EXPECT_EQ(imported(store.export_json()), store);
}

TEST(LearnExport, BytesThatAreNotUtf8StayImportable) {
  LearnedStore store;
  // A stray continuation byte, a truncated character and an encoded surrogate.
  store.record("a", "\x80" + kW1 + "\xE1\x9E", std::string("\xED\xA0\x80"));
  const std::string json = store.export_json();
  const std::string fffd = "\xEF\xBF\xBD";
  EXPECT_EQ(json, doc_with_picks(R"({"typed":"a","picked":")" + fffd + kW1 + fffd + fffd +
                                 R"(","previous":")" + fffd + fffd + fffd + R"(","count":1})"));
  EXPECT_EQ(imported(json).size(), 1u);

  // Escapes written before a bad byte is met are written once, not twice.
  LearnedStore late;
  late.record("a", "q\"\n" + kW1 + "\xFF", std::nullopt);
  EXPECT_EQ(late.export_json(),
            doc_with_picks(R"({"typed":"a","picked":"q\"\n)" + kW1 + fffd + R"(","count":1})"));
}

TEST(LearnImport, FormatAndVersion) {
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":2,"picks":[]})"), unsupported(2));
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":0})"), unsupported(0));
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":4294967296})"), unsupported(kMax));
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":18446744073709551615})"),
            unsupported(kMax));
  // Beyond 64 bits it is still a version, only a larger one.
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":18446744073709551616})"),
            unsupported(kMax));
  // Only a plain non-negative integer is a version.
  for (const char* version : {R"("1")", "-1", "-0", "1.0", "1e0", "0.5", "null", "true", "[1]"}) {
    EXPECT_EQ(import_error(std::string(R"({"format":"sorla-learned","version":)") + version + "}"),
              kInvalid)
        << version;
  }
  EXPECT_EQ(import_error(R"({"format":"sorla-learned"})"), kInvalid);
  // The format is checked before the version.
  for (const char* doc : {R"({"version":2})", R"({"format":"Sorla-learned","version":2})",
                          R"({"format":"sorla-learned ","version":1})",
                          R"({"format":null,"version":1})", R"(["sorla-learned",1])"}) {
    EXPECT_EQ(import_error(doc), kInvalid) << doc;
  }

  EXPECT_EQ(imported(R"({"format":"sorla-learned","version":1})").size(), 0u);
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":1,"picks":null})"), kInvalid);
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":1,"picks":{}})"), kInvalid);
}

TEST(LearnImport, RepeatedMemberKeepsLastValue) {
  EXPECT_EQ(imported(R"({"format":"sorla-learned","version":2,"version":1,"picks":[]})").size(),
            0u);
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","version":1,"version":2})"), unsupported(2));
  EXPECT_EQ(import_error(R"({"format":"sorla-learned","format":"x","version":1})"), kInvalid);
  const LearnedStore store =
      imported(doc_with_picks(R"({"typed":"a","picked":"x","count":0,"count":7,"previous":5,)"
                              R"("previous":"p"})"));
  EXPECT_EQ(store.entries().at(PickKey{"a", "x", "p"}), 7u);
}

TEST(LearnImport, PicksMergeAndNormalize) {
  const LearnedStore store = imported(
      doc_with_picks(R"({"typed":"Sa-bay","picked":"x","count":4294967295,"extra":[1,{}]},)"
                     R"({"typed":"sabay'","picked":"x","count":1,"previous":null},)"
                     R"({"typed":"sabay","picked":"x","count":3,"previous":""},)"
                     R"({"typed":"sabay","picked":"x","count":2,"previous":"p"})"));
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.entries().at(PickKey{"sabay", "x", std::nullopt}), kMax);
  EXPECT_EQ(store.entries().at(PickKey{"sabay", "x", "p"}), 2u);

  // Unknown top-level members are ignored, whatever they hold.
  EXPECT_EQ(
      imported(R"({"note":{"a":[[[]]]},"format":"sorla-learned","version":1,"picks":[]})").size(),
      0u);
}

TEST(LearnImport, SameKeysMergeWhereverTheyStand) {
  // Letter keys that agree in their first eight letters, and keys that differ
  // only after the letter key, given out of order and repeated far apart.
  const std::vector<std::string> picks = {
      R"({"typed":"abcdefghz","picked":"x","count":1})",
      R"({"typed":"abcdefgh","picked":"y","count":2})",
      R"({"typed":"abcdefghz","picked":"x","previous":"p","count":4})",
      R"({"typed":"ABCDEFGH","picked":"x","count":8})",
      R"({"typed":"b","picked":"x","count":16})",
      R"({"typed":"abcdefgha","picked":"x","count":32})",
      R"({"typed":"abcdefgh","picked":"y","count":64})",
      R"({"typed":"abcdefgh-z","picked":"x","count":128})",
      R"({"typed":"abcdefghz","picked":"x","previous":"p","count":256})",
  };
  std::string all;
  for (const std::string& p : picks) all += (all.empty() ? "" : ",") + p;
  const LearnedStore store = imported(doc_with_picks(all));
  const std::map<PickKey, std::uint32_t> expected = {
      {{"abcdefgh", "x", std::nullopt}, 8},   {{"abcdefgh", "y", std::nullopt}, 66},
      {{"abcdefgha", "x", std::nullopt}, 32}, {{"abcdefghz", "x", std::nullopt}, 129},
      {{"abcdefghz", "x", "p"}, 260},         {{"b", "x", std::nullopt}, 16},
  };
  EXPECT_EQ(store.entries(), expected);
}

TEST(LearnImport, OneBadPickRejectsTheDocument) {
  const std::string good = R"({"typed":"a","picked":"x","count":1},)";
  for (const char* pick : {
           R"({"typed":"a","picked":"x","count":0})",
           R"({"typed":"a","picked":"x","count":-1})",
           R"({"typed":"a","picked":"x","count":-0})",
           R"({"typed":"a","picked":"x","count":1.5})",
           R"({"typed":"a","picked":"x","count":2.0})",
           R"({"typed":"a","picked":"x","count":4294967296})",
           R"({"typed":"a","picked":"x","count":"1"})",
           R"({"typed":"a","picked":"x"})",
           R"({"picked":"x","count":1})",
           R"({"typed":"a","count":1})",
           R"({"typed":"'-1","picked":"x","count":1})",
           R"({"typed":"a","picked":"","count":1})",
           R"({"typed":7,"picked":"x","count":1})",
           R"({"typed":"a","picked":null,"count":1})",
           R"({"typed":"a","picked":"x","previous":1,"count":1})",
           R"({"typed":"a","picked":"x","previous":["p"],"count":1})",
           R"(["a","x",1])",
           R"(null)",
       }) {
    EXPECT_EQ(import_error(doc_with_picks(good + pick)), kInvalid) << pick;
  }
}

TEST(LearnImport, MalformedBytesAreInvalid) {
  const std::string valid = R"({"format":"sorla-learned","version":1,"picks":[]})";
  for (const std::string& bytes : {
           std::string(),
           std::string("   "),
           valid.substr(0, valid.size() - 1),
           valid + "x",
           valid + valid,
           std::string(R"({"format":"sorla-learned","version":1,"picks":[],})"),
           std::string(R"({"format":"sorla-learned","version":1 /* c */})"),
           std::string(R"({'format':'sorla-learned','version':1})"),
           std::string("{\"format\":\"sorla-learned\",\"version\":1,\"x\":\"\xC0\xAF\"}"),
           std::string("{\"format\":\"sorla-learned\",\"version\":1,\"x\":\"\xFF\"}"),
           std::string(R"({"format":"sorla-learned","version":1,"x":"\ud800"})"),
           std::string("{\"format\":\"sorla-learned\",\"version\":1,\"x\":\"a\nb\"}"),
           valid + std::string(1, '\0'),
           valid + std::string(1, '\0') + "x",
           "\xEF\xBB\xBF" + valid,
           std::string("\"sorla-learned\""),
           std::string("1"),
       }) {
    EXPECT_EQ(import_error(bytes), kInvalid) << bytes;
  }
}

TEST(LearnImport, DeepNestingIsHandledWithoutRecursion) {
  const std::size_t depth = 200000;
  EXPECT_EQ(import_error(std::string(depth, '[')), kInvalid);
  EXPECT_EQ(import_error(std::string(depth, '[') + std::string(depth, ']')), kInvalid);

  std::string nested;
  for (std::size_t i = 0; i < depth; ++i) nested += R"({"a":)";
  nested += "1" + std::string(depth, '}');
  EXPECT_EQ(imported(R"({"format":"sorla-learned","version":1,"deep":)" + nested + "}").size(), 0u);
}

}  // namespace
}  // namespace sorla
