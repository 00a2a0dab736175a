// What a report may hold, the one escaping function every page uses, the
// rate limit and the seed-text export.
#include "report.h"

#include <gtest/gtest.h>

#include "export.h"
#include "form_token.h"
#include "html.h"
#include "rate_limit.h"
#include "sorla/seed_text.h"

namespace sorla::reports {
namespace {

const ReportKeys kKeys{"sa-ek", "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93", "windows", "0.1.0",
                       "khmer-2026.12"};

TEST(Report, KeysAndFieldsAreChecked) {
  EXPECT_EQ(check_keys(kKeys), std::nullopt);
  EXPECT_EQ(check_keys({"sa-ek b'n", "", "windows", "0.1.0", "seed"}), std::nullopt);
  for (const ReportKeys& bad : {
           ReportKeys{"", "", "windows", "0.1.0", "seed"},                    // nothing typed
           ReportKeys{std::string(65, 'a'), "", "windows", "0.1.0", "seed"},  // too long
           ReportKeys{"sa  bay", "", "windows", "0.1.0", "seed"},             // two spaces
           ReportKeys{"sa1", "", "windows", "0.1.0", "seed"},                 // not chat letters
           ReportKeys{"sa", "abc", "windows", "0.1.0", "seed"},               // offered not Khmer
           ReportKeys{"sa", "\xE1\x9E", "windows", "0.1.0", "seed"},          // not UTF-8
           ReportKeys{"sa", "", "win dows", "0.1.0", "seed"},
           ReportKeys{"sa", "", "windows", std::string(65, '1'), "seed"},
       }) {
    EXPECT_NE(check_keys(bad), std::nullopt) << bad.typed << "|" << bad.offered;
  }
  EXPECT_EQ(check_report({kKeys, "\xE1\x9E\x80", std::string(500, 'x')}), std::nullopt);
  EXPECT_NE(check_report({kKeys, "<script>", ""}), std::nullopt);
  EXPECT_NE(check_report({kKeys, "", std::string(501, 'x')}), std::nullopt);
  EXPECT_NE(check_report({kKeys, "", "\xFF"}), std::nullopt);
  std::string long_word;
  for (int i = 0; i < 22; ++i) long_word += "\xE1\x9E\x80";  // 66 bytes
  EXPECT_NE(check_report({kKeys, long_word, ""}), std::nullopt);
}

TEST(Html, EscapesWhatCouldEndTextOrAnAttribute) {
  EXPECT_EQ(escape_html(R"(<script>alert("x" & 'y')</script>)"),
            "&lt;script&gt;alert(&quot;x&quot; &amp; &#39;y&#39;)&lt;/script&gt;");
  EXPECT_EQ(escape_html("\xE1\x9E\x80 ok"), "\xE1\x9E\x80 ok");
  const std::string page = report_page({"a\"><b", "", "windows", "0.1.0", "seed"}, "t");
  EXPECT_EQ(page.find("a\"><b"), std::string::npos);
  EXPECT_NE(page.find("a&quot;&gt;&lt;b"), std::string::npos);
}

TEST(FormToken, OnlyThisServicesRecentTokenForTheSameLetters) {
  const FormTokens tokens("key");
  const std::int64_t t = 1'800'000'000;
  const std::string token = tokens.make("ban", t);
  EXPECT_TRUE(tokens.valid(token, "ban", t + 3599));
  EXPECT_FALSE(tokens.valid(token, "bay", t));
  EXPECT_FALSE(tokens.valid(token, "ban", t + 3 * 3600));
  EXPECT_FALSE(FormTokens("other").valid(token, "ban", t));
  EXPECT_FALSE(tokens.valid("", "ban", t));
  EXPECT_FALSE(FormTokens("").valid(FormTokens("").make("ban", t), "ban", t));  // random keys
}

TEST(RateLimit, CountsAMinutePerAddress) {
  RateLimiter limit(2);
  const auto t = RateLimiter::Clock::time_point{} + std::chrono::hours(1);
  EXPECT_TRUE(limit.allow("a", t));
  EXPECT_TRUE(limit.allow("a", t + std::chrono::seconds(1)));
  EXPECT_FALSE(limit.allow("a", t + std::chrono::seconds(2)));
  EXPECT_TRUE(limit.allow("b", t + std::chrono::seconds(2)));
  EXPECT_TRUE(limit.allow("a", t + std::chrono::seconds(61)));
  RateLimiter off(0);
  for (int i = 0; i < 100; ++i) EXPECT_TRUE(off.allow("a", t));
}

TEST(RateLimit, HoldsAFixedNumberOfAddressesForgettingTheOldest) {
  RateLimiter limit(1, 3);
  const auto t = RateLimiter::Clock::time_point{} + std::chrono::hours(1);
  for (const char* address : {"192.0.2.1", "192.0.2.2", "192.0.2.3"}) {
    EXPECT_TRUE(limit.allow(address, t));
    EXPECT_FALSE(limit.allow(address, t));
  }
  EXPECT_TRUE(limit.allow("192.0.2.4", t));  // .1 is forgotten to make room
  EXPECT_EQ(limit.size(), 3u);
  EXPECT_TRUE(limit.allow("192.0.2.1", t));
  EXPECT_FALSE(limit.allow("192.0.2.4", t));
  // An IPv6 subscriber's whole /64 is one address.
  RateLimiter v6(1);
  EXPECT_TRUE(v6.allow("2001:db8::1", t));
  EXPECT_FALSE(v6.allow("2001:db8::ffff:2", t));
  EXPECT_TRUE(v6.allow("2001:db8:0:1::1", t));
}

TEST(Export, MostReportedWordsAndSpellingsFirstAsSeedText) {
  const std::string ban = "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93";
  const std::string ka = "\xE1\x9E\x80";
  // Typed words are run together into one spelling, and the same letters
  // reported with and without spaces count as one.
  const std::string text = seed_export(
      {{ka, "ka", 1}, {ban, "b'n", 2}, {ban, "ban", 1}, {ban, "ba n", 2}, {ka, "k a", 1}});
  EXPECT_EQ(text.substr(text.find('\n') + 1), ban + "\tban b'n\n" + ka + "\tka\n");
  EXPECT_TRUE(std::holds_alternative<WordList>(parse_seed_text(text, "reports")));
}

}  // namespace
}  // namespace sorla::reports
