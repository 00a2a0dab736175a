#include "sorla/normalize.h"

#include <gtest/gtest.h>

namespace sorla {
namespace {

TEST(Normalize, WorkedResults) {
  struct Row {
    const char* in;
    const char* letters;
    const char* fold;
  };
  const Row rows[] = {
      {"khnhom", "khnhom", "k\xC3\xB1om"},
      {"chhngay", "chhngay",
       "c\xC5\x8B"
       "ay"},
      {"chngay", "chngay",
       "c\xC5\x8B"
       "ay"},
      {"jong", "jong", "co\xC5\x8B"},
      {"chong", "chong", "co\xC5\x8B"},
      {"thngai", "thngai",
       "t\xC5\x8B"
       "ai"},
      {"tngai", "tngai",
       "t\xC5\x8B"
       "ai"},
      {"nyam", "nyam",
       "\xC3\xB1"
       "am"},
      {"nham", "nham",
       "\xC3\xB1"
       "am"},
      {"wea", "wea", "vea"},
      {"sa-ek", "saek", "saek"},
      {"Phnom Penh", "phnompenh", "pnompe\xC3\xB1"},
      {"Ban!", "ban", "ban"},
      {"khh", "khh", "kh"},
      {"jh", "jh", "ch"},
      {"nhh", "nhh", "\xC3\xB1h"},
      {"cch", "cch", "cc"},
      {"123", "", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(letters(r.in), r.letters) << r.in;
    EXPECT_EQ(fold(r.in), r.fold) << r.in;
  }
}

TEST(Normalize, DropsEverythingButAsciiLetters) {
  EXPECT_EQ(letters(""), "");
  EXPECT_EQ(fold("\xE1\x9E\x81\xE1\x9F\x92"), "");  // Khmer only
  EXPECT_EQ(letters("caf\xC3\xA9 o'k"), "cafok");   // é dropped, not folded to e
  EXPECT_EQ(fold("NH"), "\xC3\xB1");
  EXPECT_EQ(fold("Nh"), "\xC3\xB1");
  EXPECT_EQ(fold("ng"), "\xC5\x8B");  // digraph at the very end
  EXPECT_EQ(fold("an"), "an");
  EXPECT_EQ(fold("ac"), "ac");
  EXPECT_EQ(fold("sa-ek"), fold("saek"));
}

}  // namespace
}  // namespace sorla
