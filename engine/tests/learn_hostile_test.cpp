// Learned-data documents made to hurt the host: each is refused or cut to the
// cap, in time that grows with its size and memory that follows the picks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "sorla/learn.h"

namespace sorla {
namespace {

const ImportError kInvalid{ImportError::Kind::Invalid, 0};
const std::string kW = "\xE1\x9E\x80";  // U+1780
const std::string kHead = R"({"format":"sorla-learned","version":1,)";

std::variant<LearnedStore, ImportError> import(std::string_view bytes) {
  return LearnedStore::import_json(bytes);
}

bool refused(std::string_view bytes) {
  const auto result = import(bytes);
  return std::holds_alternative<ImportError>(result) && std::get<ImportError>(result) == kInvalid;
}

std::size_t imported_size(std::string_view bytes) {
  const auto result = import(bytes);
  if (!std::holds_alternative<LearnedStore>(result)) {
    ADD_FAILURE() << "refused: " << bytes.substr(0, 120);
    return 0;
  }
  return std::get<LearnedStore>(result).size();
}

std::string pick(std::string_view typed, std::string_view count, std::string_view extra = {}) {
  return R"({"typed":")" + std::string(typed) + R"(","picked":")" + kW + R"(","count":)" +
         std::string(count) + std::string(extra) + "}";
}

// The sizes of the shapes below; under the sanitizers (SORLA_LIGHT_TESTS=1),
// which run this code many times slower, the same shapes come an eighth as big.
std::size_t scaled(std::size_t n) {
  static const bool light = [] {
    const char* v = std::getenv("SORLA_LIGHT_TESTS");
    return v != nullptr && *v != '\0' && *v != '0';
  }();
  return light ? n / 8 : n;
}

std::string letter_key(std::size_t i, std::size_t width) {
  std::string key(width, 'a');
  for (std::size_t p = width; p-- > 0; i /= 26) key[p] = static_cast<char>('a' + i % 26);
  return key;
}

TEST(LearnHostile, DeepNesting) {
  const std::size_t depth = scaled(8u << 20);
  EXPECT_TRUE(refused(std::string(depth, '[')));
  EXPECT_TRUE(refused(std::string(depth, '{')));
  const std::string deep = std::string(depth, '[') + std::string(depth, ']');
  EXPECT_TRUE(refused(deep));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + deep + "]}"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", "1", R"(,"previous":)" + deep) + "]}"));
  // Deep inside members that are ignored it is merely skipped, down to a
  // million levels; deeper, the parser's memory would grow with the file.
  const std::size_t within = std::min<std::size_t>(depth, (1u << 20) - 8);
  const std::string skipped = std::string(within, '[') + std::string(within, ']');
  EXPECT_EQ(imported_size(kHead + R"("deep":)" + skipped + "}"), 0u);
  EXPECT_EQ(imported_size(kHead + R"("picks":[)" + pick("a", "1", R"(,"deep":)" + skipped) + "]}"),
            1u);
  if (depth > (1u << 20)) {
    EXPECT_TRUE(refused(kHead + R"("deep":)" + deep + "}"));
  }
}

TEST(LearnHostile, HugeStrings) {
  const std::string letters(scaled(16u << 20), 'k');
  EXPECT_EQ(imported_size(kHead + R"("note":")" + letters + R"("})"), 0u);
  EXPECT_EQ(
      imported_size(kHead + R"("picks":[)" + pick("a", "1", R"(,")" + letters + R"(":1)") + "]}"),
      1u);
  // A huge typed text is one long letter key; it goes back out as it came in.
  const auto result = import(kHead + R"("picks":[)" + pick(letters, "2") + "]}");
  ASSERT_TRUE(std::holds_alternative<LearnedStore>(result));
  const LearnedStore& store = std::get<LearnedStore>(result);
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store.entries().begin()->first.typed.size(), letters.size());
  EXPECT_EQ(std::get<LearnedStore>(import(store.export_json())), store);
  // Millions of escapes, and a string that never ends.
  std::string escapes;
  for (std::size_t i = 0; i < scaled(1u << 20); ++i) escapes += "\\u00e9\\n";
  EXPECT_EQ(imported_size(kHead + R"("note":")" + escapes + R"("})"), 0u);
  EXPECT_TRUE(refused(kHead + R"("picks":[{"typed":")" + letters));
}

TEST(LearnHostile, InvalidUtf8) {
  const std::string big(scaled(4u << 20), 'a');
  for (const std::string& bad :
       {std::string("\xFF"), std::string("\xC3"), std::string("\xED\xA0\x80"),
        std::string("\xF4\x90\x80\x80"), big + "\x80"}) {
    EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a" + bad, "1") + "]}"));
    EXPECT_TRUE(refused(kHead + R"("picks":[{"typed":"a","picked":")" + bad + R"(","count":1}]})"));
    EXPECT_TRUE(
        refused(kHead + R"("picks":[)" + pick("a", "1", R"(,"previous":")" + bad + "\"") + "]}"));
    EXPECT_TRUE(refused(kHead + "\"" + bad + R"(":1})"));    // in an ignored member's name
    EXPECT_TRUE(refused(kHead + R"("note":)" + bad + "}"));  // outside any string
  }
}

TEST(LearnHostile, NumbersBeyond64Bits) {
  const std::string digits(scaled(1u << 20), '9');
  const std::string zeros(scaled(1u << 20), '0');
  // Beyond 64 bits but within a double: no count, ignored elsewhere; an
  // integer is a version too large to be supported.
  for (const std::string& n :
       {std::string("18446744073709551616"), std::string("99999999999999999999999999"),
        "0." + zeros + "1", "-0." + zeros + "1", "1e-" + digits,
        std::string("1").append(300, '0')}) {
    EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", n) + "]}")) << n.substr(0, 30);
    const auto version = import(R"({"format":"sorla-learned","version":)" + n + "}");
    const bool integer = n.find_first_not_of("0123456789") == std::string::npos;
    const ImportError expected =
        integer ? ImportError{ImportError::Kind::UnsupportedVersion, 4294967295u} : kInvalid;
    EXPECT_EQ(std::get<ImportError>(version), expected) << n.substr(0, 30);
    EXPECT_EQ(imported_size(kHead + R"("note":)" + n + R"(,"picks":[]})"), 0u) << n.substr(0, 30);
  }
  // Beyond any double: not taken as JSON at all.
  for (const std::string& n : {std::string("1e400"), std::string("-1e400"), "1" + digits,
                               "-" + digits, "1e" + digits, digits + "." + digits}) {
    EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", n) + "]}")) << n.substr(0, 30);
    EXPECT_TRUE(refused(kHead + R"("note":)" + n + R"(,"picks":[]})")) << n.substr(0, 30);
  }
  EXPECT_TRUE(refused(kHead + R"("note":)" + zeros + "}"));  // leading zeros are not JSON
}

TEST(LearnHostile, MillionPicksAreCutToTheCap) {
  const std::size_t kPicks = scaled(1000000);
  std::string doc = kHead + R"("picks":[)";
  doc.reserve(kPicks * 48);
  for (std::size_t i = 0; i < kPicks; ++i) {
    if (i != 0) doc += ',';
    doc += pick(letter_key(i, 5), i % (kPicks / 20000) == 0 ? "2" : "1");
  }
  doc += "]}";
  const auto result = import(doc);
  ASSERT_TRUE(std::holds_alternative<LearnedStore>(result));
  const LearnedStore& store = std::get<LearnedStore>(result);
  ASSERT_EQ(store.size(), LearnedStore::kTarget);
  // Only the larger counts stay: there are more than enough of them.
  for (const auto& [key, count] : store.entries()) ASSERT_EQ(count, 2u) << key.typed;

  // A million picks of one key merge into one saturated entry.
  std::string same = kHead + R"("picks":[)";
  for (std::size_t i = 0; i < kPicks; ++i) {
    if (i != 0) same += ',';
    same += pick("ab", "4294967295");
  }
  same += "]}";
  const auto one = import(same);
  ASSERT_TRUE(std::holds_alternative<LearnedStore>(one));
  EXPECT_EQ(std::get<LearnedStore>(one).entries().begin()->second, 4294967295u);

  // A million bad picks after a good one refuse the document.
  std::string bad = kHead + R"("picks":[)" + pick("a", "1");
  for (std::size_t i = 0; i < kPicks; ++i) bad += ",{}";
  EXPECT_TRUE(refused(bad + "]}"));
  // A million empty arrays and objects in an ignored member are skipped.
  std::string ignored = kHead + R"("note":[)";
  for (std::size_t i = 0; i < kPicks; ++i) ignored += i != 0 ? ",[],{}" : "[],{}";
  EXPECT_EQ(imported_size(ignored + "]}"), 0u);
}

// The reader keeps only the top-level members and the picks: names elsewhere
// do not count, and a repeated member keeps its last value.
TEST(LearnHostile, MembersCountAtTheirOwnLevelOnly) {
  const std::string good = pick("a", "1");
  EXPECT_EQ(imported_size(R"({"x":{"format":"no","version":2,"picks":5},)"
                          R"("format":"sorla-learned","version":1})"),
            0u);
  EXPECT_EQ(imported_size(kHead + R"("picks":[)" + pick("a", "1", R"(,"x":{"count":0})") + "]}"),
            1u);
  EXPECT_EQ(imported_size(kHead + R"("picks":5,"picks":[)" + good + "]}"), 1u);
  EXPECT_EQ(imported_size(kHead + R"("picks":[{}],"picks":[)" + good + "]}"), 1u);
  EXPECT_EQ(imported_size(kHead + R"("picks":[)" + good + R"(],"picks":[]})"), 0u);
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + good + R"(],"picks":[[]]})"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + good + R"(],"picks":{}})"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + good + R"(],"picks":[)" + good + ",1]}"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", "1", R"(,"typed":true)") + "]}"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", "1", R"(,"count":{})") + "]}"));
  EXPECT_TRUE(refused(kHead + R"("picks":[)" + pick("a", "1", R"(,"previous":false)") + "]}"));
  EXPECT_EQ(imported_size(kHead + R"("picks":[)" + pick("a", "1", R"(,"previous":null)") + "]}"),
            1u);
  // The version is judged before the picks, wherever they stand.
  EXPECT_EQ(std::get<ImportError>(
                import(R"({"picks":[{}],"format":"sorla-learned","version":1,"version":7})")),
            (ImportError{ImportError::Kind::UnsupportedVersion, 7}));
}

}  // namespace
}  // namespace sorla
