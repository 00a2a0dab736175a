#include "sorla/report_url.h"

#include <gtest/gtest.h>

namespace sorla::report {
namespace {

constexpr std::string_view kBase = "https://example.org/report";

SessionView view(std::string typed, std::vector<std::string> candidates = {},
                 std::size_t selected = 0) {
  return {std::move(typed), std::move(candidates), selected, false};
}

TEST(ReportUrl, PercentEncodingKeepsOnlyUnreservedBytes) {
  EXPECT_EQ(percent_encode("AZaz09-._~"), "AZaz09-._~");
  EXPECT_EQ(percent_encode("sa-ek b'n"), "sa-ek%20b%27n");
  EXPECT_EQ(percent_encode("a+b/c?d&e=f%"), "a%2Bb%2Fc%3Fd%26e%3Df%25");
  EXPECT_EQ(percent_encode("\xE1\x9E\x94"), "%E1%9E%94");
  EXPECT_EQ(percent_encode(std::string_view("\0\x7F\xFF", 3)), "%00%7F%FF");
  EXPECT_EQ(percent_encode(""), "");
}

TEST(ReportUrl, SeedExampleWithHighlightedCandidate) {
  const auto url =
      report_url(kBase, view("ban", {"x", "បាន"}, 1), "0.1.0", data_value(std::nullopt));
  ASSERT_TRUE(url);
  EXPECT_EQ(*url,
            "https://example.org/report?typed=ban&offered=%E1%9E%94%E1%9E%B6%E1%9E%93"
            "&platform=windows&app=0.1.0&data=seed");
}

TEST(ReportUrl, NoCandidateGivesEmptyOffered) {
  EXPECT_EQ(report_url(kBase, view("qqq"), "0.1.0", "seed"),
            "https://example.org/report?typed=qqq&offered=&platform=windows&app=0.1.0&data=seed");
  // A selection past the candidates offers nothing either.
  EXPECT_EQ(report_url(kBase, view("a", {"b"}, 1), "0.1.0", "seed"),
            "https://example.org/report?typed=a&offered=&platform=windows&app=0.1.0&data=seed");
}

TEST(ReportUrl, DataNameIsEncodedAndNothingTypedGivesNoLink) {
  EXPECT_EQ(data_value(std::string("my words")), "my words");
  EXPECT_EQ(report_url(kBase, view("sa-ek b'n"), "0.1.0", data_value(std::string("my words"))),
            "https://example.org/report?typed=sa-ek%20b%27n&offered=&platform=windows&app=0.1.0"
            "&data=my%20words");
  EXPECT_FALSE(report_url(kBase, view("", {"x"}), "0.1.0", "seed"));
}

}  // namespace
}  // namespace sorla::report
