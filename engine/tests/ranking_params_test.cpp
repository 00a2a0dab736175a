#include "sorla/ranking_params.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace sorla {
namespace {

std::string error_of(std::string_view text) {
  const auto parsed = parse_ranking_params(text);
  return std::holds_alternative<std::string>(parsed) ? std::get<std::string>(parsed) : "(parsed)";
}

// Values whose shortest digits need care: a float with no short decimal
// form, one near the least normal float, and the built-in numbers.
TEST(RankingText, RoundTripsBitForBit) {
  EXPECT_EQ(format_ranking_params(RankingParams{}),
            "word term weight = -0.6\nexact bonus = 0.6\ncompletion cost = 0.3\n"
            "pair bonus = 2.5\nstart penalty = 1.5\ngap cost = 1\nliteral base = 8.8\n");
  RankingParams odd;
  odd.word_term_weight = -std::nextafter(0.7f, 1.0f);
  odd.exact_bonus = 0.0f;
  odd.completion_cost = 1.17549435e-38f;
  odd.pair_bonus = 1.0f / 3.0f;
  odd.start_penalty = 999.99994f;
  odd.gap_cost = -0.0f;
  const auto back = std::get<RankingParams>(parse_ranking_params(format_ranking_params(odd)));
  for (const RankingNumber& n : kRankingNumbers) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(back.*n.field),
              std::bit_cast<std::uint32_t>(odd.*n.field))
        << n.name;
  }
  // Comments, blank lines, any order, spaces and CRLF around the parts.
  const auto loose = parse_ranking_params(
      "\xEF\xBB\xBF# tuned\r\n\r\nliteral base=8.8\r\n  start penalty =  3 \r\n"
      "gap cost = 1\nword term weight = -0.6\nexact bonus = 0.6\n"
      "completion cost = 3e-1\npair bonus = 2.5");
  RankingParams expected;
  expected.start_penalty = 3.0f;
  EXPECT_EQ(std::get<RankingParams>(loose), expected);
}

TEST(RankingText, Refusals) {
  const std::string rest =
      "exact bonus = 0.6\ncompletion cost = 0.3\npair bonus = 2.5\n"
      "start penalty = 1.5\ngap cost = 1\nliteral base = 8.8\n";
  EXPECT_EQ(error_of("\n# numbers\nword term weight -0.6\n"), "line 3: has no \"=\"");
  EXPECT_EQ(error_of("word term weight = -0.6\nStart Penalty = 3\n"),
            "line 2: \"Start Penalty\" is not a ranking number");
  EXPECT_EQ(error_of("word term weight = -0.6\nword term weight = -0.6\n"),
            "line 2: the word term weight is given again (first on line 1)");
  for (const char* value : {"", "x", "0.6 # tuned", "nan", "inf", "1e40", "0x1p3", "+1"}) {
    EXPECT_EQ(error_of("word term weight = -0.6\nexact bonus = " + std::string(value)),
              "line 2: the exact bonus is not a number")
        << value;
  }
  EXPECT_EQ(error_of(rest), "the word term weight is missing");
  EXPECT_EQ(error_of("word term weight = 0.5\n" + rest),
            "the ranking's word term weight is above 0");
  EXPECT_EQ(error_of("word term weight = -1000.5\n" + rest),
            "the ranking's word term weight is not a number from -1000 to 1000");
}

}  // namespace
}  // namespace sorla
