#include <gtest/gtest.h>

#include "args.h"
#include "output_format.h"

namespace sorla::cli {
namespace {

TEST(OutputFormat, FloatsRoundTrip) {
  EXPECT_EQ(json_float(0.0f), "0");
  EXPECT_EQ(json_float(1.2f), "1.20000005");
  EXPECT_EQ(json_float(4.97727966f), "4.97727966");
  EXPECT_EQ(json_float(-3.5f), "-3.5");
  EXPECT_EQ(json_float(std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(plain_float(1.2f), "1.2");
  EXPECT_EQ(plain_float(0.0f), "0");
  for (const float f : {1.2f, 2.8f, 0.1f, 123456.789f, 1e-7f}) {
    EXPECT_EQ(std::stof(json_float(f)), f);
    EXPECT_EQ(std::stof(plain_float(f)), f);
  }
}

TEST(OutputFormat, JsonStrings) {
  EXPECT_EQ(json_string("ot te"), "\"ot te\"");
  EXPECT_EQ(json_string("a\"b\\c\n\t\x01"), "\"a\\\"b\\\\c\\n\\t\\u0001\"");
  EXPECT_EQ(json_string("\xE1\x9E\x80"), "\"\xE1\x9E\x80\"");
}

TEST(Args, FlagsValuesAndPositionals) {
  const auto parsed = parse_args({"x", "--json", "--data", "f", "--name=n=1", "--", "--json"},
                                 {"--json"}, {"--data", "--name"});
  ASSERT_TRUE(std::holds_alternative<Args>(parsed));
  const Args& a = std::get<Args>(parsed);
  EXPECT_TRUE(a.has("--json"));
  EXPECT_EQ(a.value("--data"), "f");
  EXPECT_EQ(a.value("--name"), "n=1");
  EXPECT_EQ(a.positional, (std::vector<std::string>{"x", "--json"}));
  EXPECT_EQ(std::get<Args>(parse_args({"-"}, {}, {})).positional.size(), 1u);
}

TEST(Args, Mistakes) {
  EXPECT_TRUE(std::holds_alternative<std::string>(parse_args({"--bogus"}, {}, {})));
  EXPECT_TRUE(std::holds_alternative<std::string>(parse_args({"--data"}, {}, {"--data"})));
  EXPECT_TRUE(std::holds_alternative<std::string>(parse_args({"--json=1"}, {"--json"}, {})));
}

}  // namespace
}  // namespace sorla::cli
