// What a report may hold, and the one escaping function every page uses.
#include "report.h"

#include <gtest/gtest.h>

#include "html.h"

namespace sorla::reports {
namespace {

const ReportKeys kKeys{"sa-ek", "\xE1\x9E\x94\xE1\x9E\xB6\xE1\x9E\x93", "windows", "0.1.0",
                       "khmer-2026.12"};

TEST(Report, KeysAndFieldsAreChecked) {
  EXPECT_EQ(check_keys(kKeys), std::nullopt);
  EXPECT_EQ(check_keys({"b'n", "", "windows", "0.1.0", "seed"}), std::nullopt);
  for (const ReportKeys& bad : {
           ReportKeys{"", "", "windows", "0.1.0", "seed"},                    // nothing typed
           ReportKeys{std::string(65, 'a'), "", "windows", "0.1.0", "seed"},  // too long
           ReportKeys{"sa bay", "", "windows", "0.1.0", "seed"},              // not chat letters
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
  const std::string page = report_page({"a\"><b", "", "windows", "0.1.0", "seed"});
  EXPECT_EQ(page.find("a\"><b"), std::string::npos);
  EXPECT_NE(page.find("a&quot;&gt;&lt;b"), std::string::npos);
}

}  // namespace
}  // namespace sorla::reports
