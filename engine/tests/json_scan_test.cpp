// The learned-data reader's JSON scanner against nlohmann::json's SAX parser,
// which it replaces: the same documents accepted, the same events given.
#include "sorla/json_scan.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lexgen.h"

namespace sorla {
namespace {

using Events = std::vector<std::string>;

// Both parsers' events in one notation; numbers that are not unsigned 64-bit
// integers are all "other", as the import treats them alike.
struct ScanRecorder {
  Events events;
  bool null() { return add("null"); }
  bool boolean(bool b) { return add(b ? "true" : "false"); }
  bool number_unsigned(std::uint64_t n) { return add(std::to_string(n) + "u"); }
  bool number_other() { return add("other"); }
  bool string(std::string_view s) { return add("s:" + std::string(s)); }
  bool key(std::string_view s) { return add("k:" + std::string(s)); }
  bool start_object() { return add("{"); }
  bool end_object() { return add("}"); }
  bool start_array() { return add("["); }
  bool end_array() { return add("]"); }
  bool add(std::string e) {
    events.push_back(std::move(e));
    return true;
  }
};

struct NlohmannRecorder {
  using Json = nlohmann::json;
  ScanRecorder r;
  bool null() { return r.null(); }
  bool boolean(bool b) { return r.boolean(b); }
  bool number_integer(Json::number_integer_t) { return r.number_other(); }
  bool number_unsigned(Json::number_unsigned_t n) { return r.number_unsigned(n); }
  bool number_float(Json::number_float_t, const std::string&) { return r.number_other(); }
  bool string(std::string& s) { return r.string(s); }
  bool binary(Json::binary_t&) { return false; }
  bool start_object(std::size_t) { return r.start_object(); }
  bool end_object() { return r.end_object(); }
  bool start_array(std::size_t) { return r.start_array(); }
  bool end_array() { return r.end_array(); }
  bool key(std::string& s) { return r.key(s); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) {
    return false;
  }
};

// Compares the two on `text`; nlohmann reads a NUL byte as the end and skips
// a byte order mark, which the scanner refuses instead.
void expect_same(std::string_view text) {
  ScanRecorder mine;
  const bool mine_ok = json::scan(text, mine);
  if (text.find('\0') != std::string_view::npos || text.starts_with("\xEF\xBB\xBF")) {
    EXPECT_FALSE(mine_ok) << testing::PrintToString(text);
    return;
  }
  NlohmannRecorder theirs;
  const bool theirs_ok = nlohmann::json::sax_parse(text.begin(), text.end(), &theirs);
  ASSERT_EQ(mine_ok, theirs_ok) << testing::PrintToString(text);
  if (mine_ok) {
    EXPECT_EQ(mine.events, theirs.r.events) << testing::PrintToString(text);
  }
}

TEST(JsonScan, AcceptsAndReportsLikeNlohmann) {
  for (const char* text : {
           // structure
           "",
           " ",
           "{}",
           "[]",
           " {} ",
           "{}}",
           "[]]",
           "[[]",
           "{} {}",
           "[1,]",
           "[,1]",
           "{,}",
           "{\"a\"}",
           "{\"a\":}",
           "{\"a\" 1}",
           "{\"a\":1,}",
           "{1:2}",
           "[1 2]",
           "{\"a\":1 \"b\":2}",
           "[{\"a\":[{},[]],\"b\":{\"c\":null}}]",
           "{\"a\":1,\"a\":2}",
           "\t\r\n[\n1\r,\t2 ]\n",
           "\f[]",
           "[]\v",
           "[\"\"]",
           "x",
           "[x]",
           // literals
           "true",
           "false",
           "null",
           "tru",
           "nulll",
           "True",
           "NaN",
           "[Infinity]",
           "[true1]",
           "[truefalse]",
           "[nul]",
           // numbers
           "0",
           "-0",
           "01",
           "-01",
           "1.",
           ".1",
           "-",
           "+1",
           "1e",
           "1e+",
           "1E+2",
           "1e-2",
           "1.5e3",
           "0.0",
           "-0.0e-0",
           "18446744073709551615",
           "18446744073709551616",
           "-9223372036854775808",
           "-9223372036854775809",
           "1e400",
           "-1e400",
           "1e-400",
           "[1e308,1.8e308]",
           "[-]",
           "[1-2]",
           "[0x10]",
           "[1,-0,2.5e+1]",
           // strings and escapes
           "[\"a\\\"b\\\\c\\/d\\be\\ff\\ng\\rh\\ti\"]",
           "[\"\\u00e9\\u00E9\"]",
           "[\"\\u0000\"]",
           "[\"\\ud83d\\ude00\"]",
           "[\"\\ud800\"]",
           "[\"\\udc00\"]",
           "[\"\\ud800\\u0041\"]",
           "[\"\\ud800\\n\"]",
           "[\"\\ud800x\"]",
           "[\"\\u12\"]",
           "[\"\\uZZZZ\"]",
           "[\"\\x\"]",
           "[\"\\'\"]",
           "[\"\\",
           "[\"abc",
           "[\"a\tb\"]",
           "[\"a\x7f\"]",
           "[\"\x1f\"]",
           "{\"\\u0066ormat\":1}",
           "[\"\xE1\x9E\x80\xE1\x9F\x92\"]",
           "[\"\xC3\xA9\"]",
           "[\"\xC0\xAF\"]",
           "[\"\xC3\"]",
           "[\"\xE0\x80\x80\"]",
           "[\"\xED\xA0\x80\"]",
           "[\"\xEF\xBF\xBD\"]",
           "[\"\xF0\x9F\x98\x80\"]",
           "[\"\xF4\x90\x80\x80\"]",
           "[\"\xFF\"]",
           "[\"\xE1\x9E\"]",
           "[\"\xE1\x9E\"",
           "[\"ab\\u00e9\xE1\x9E\x80\\n\"]",
           "\xEF\xBB",
           "[\x80]",
           "[\"\xEF\xBB\xBF\"]",
       }) {
    expect_same(text);
  }
  expect_same(std::string("[1]\0", 4));
  expect_same(std::string("[\"a\0\"]", 6));
  expect_same("\xEF\xBB\xBF[]");
  expect_same("[" + std::string(400, '9') + "]");
  expect_same("[" + std::string(300, '9') + "]");
  expect_same("[0." + std::string(400, '0') + "1]");
  expect_same(std::string(1000, '[') + std::string(1000, ']'));
}

// Valid documents, then each with one byte changed, inserted or cut away.
TEST(JsonScan, MutatedDocumentsMatchNlohmann) {
  const std::string kinds[] = {
      R"({"format":"sorla-learned","version":1,"picks":[{"typed":"a","picked":"x","count":3}]})",
      R"({"a":[1,-2,3.5e-1,true,false,null,"\u00e9\ud83d\ude00\n"],"b":{"c":[],"d":{}}})",
      "[\"\xE1\x9E\x80\xE1\x9F\x92\",18446744073709551615,-9223372036854775808,0,1e2]",
  };
  const std::string alphabet =
      std::string("{}[],:\"\\u01-.eE+ \t\natnf") + "\x80\xC3\xE1\xED\xF4\xFF\x1F\x7F";
  lexgen::Rng rng(5);
  for (const std::string& doc : kinds) {
    expect_same(doc);
    for (int i = 0; i < 3000; ++i) {
      std::string text = doc;
      const int edits = 1 + static_cast<int>(rng.below(3));
      for (int e = 0; e < edits && !text.empty(); ++e) {
        const std::size_t at = rng.below(text.size());
        const char c = alphabet[rng.below(alphabet.size())];
        switch (rng.below(3)) {
          case 0:
            text[at] = c;
            break;
          case 1:
            text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
            break;
          default:
            text.erase(at, 1);
            break;
        }
      }
      expect_same(text);
      if (HasFatalFailure()) return;
    }
  }
}

}  // namespace
}  // namespace sorla
