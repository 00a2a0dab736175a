#include "text/wide.h"

#include <gtest/gtest.h>

namespace sorla {
namespace {

TEST(WideText, RoundTripsKhmerAndAscii) {
  const std::string khmer = "ខ្ញុំ ban";
  const std::wstring wide = to_wide(khmer);
  EXPECT_EQ(wide, L"\u1781\u17D2\u1789\u17BB\u17C6 ban");
  EXPECT_EQ(to_utf8(wide), khmer);
  EXPECT_EQ(to_wide(""), L"");
}

}  // namespace
}  // namespace sorla
