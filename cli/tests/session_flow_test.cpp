// The typing flows that `sorla type` and `sorla try` share, on the real
// session and engine with the built-in word list.
#include <gtest/gtest.h>

#include "document.h"
#include "key_script.h"

namespace sorla::cli {
namespace {

class SessionFlow : public ::testing::Test {
 protected:
  std::string type(std::string_view script) {
    const auto parsed = parse_key_script(script);
    for (const KeyEvent& key : std::get<std::vector<KeyEvent>>(parsed)) {
      last_ = feed_key(session_, doc_, key);
    }
    return visible_text(doc_, session_);
  }
  std::uint32_t learned_count(const std::string& typed) const {
    std::uint32_t total = 0;
    for (const auto& [key, count] : engine_.learned().entries()) {
      if (key.typed == typed) total += count;
    }
    return total;
  }

  Engine engine_ = std::get<Engine>(Engine::from_bytes(seed_words()));
  Session session_{engine_};
  Document doc_;
  SessionOutput last_;
};

TEST_F(SessionFlow, SentenceAndCompositionLeftOver) {
  EXPECT_EQ(type("khnhom chong tov "), "ខ្ញុំចង់ទៅ");
  EXPECT_EQ(type("sal"), "ខ្ញុំចង់ទៅsal");
}

TEST_F(SessionFlow, CapitalLettersComposeAndSpaceLearns) {
  EXPECT_EQ(type("Sabay"), "Sabay");
  EXPECT_EQ(session_.typed(), "Sabay");
  const std::string first = session_.candidates().at(0);
  EXPECT_EQ(type(" "), first);
  EXPECT_EQ(learned_count("sabay"), 1u);
}

TEST_F(SessionFlow, FullStopCommitsWithKhanAndOneBackspaceTakesBothBack) {
  EXPECT_EQ(type("khnhom."), "ខ្ញុំ។");
  EXPECT_EQ(learned_count("khnhom"), 1u);
  EXPECT_EQ(type("{bksp}"), "");
  EXPECT_EQ(last_.retract, "ខ្ញុំ។");
  EXPECT_EQ(learned_count("khnhom"), 0u);
}

TEST_F(SessionFlow, DigitsArrowsAndEscape) {
  type("khnhom");
  const auto candidates = session_.candidates();
  ASSERT_GE(candidates.size(), 2u);
  EXPECT_EQ(type("2"), candidates[1]);
  const std::string before = doc_.text;
  type("khnhom{right}{right}{left}");
  EXPECT_EQ(session_.selected(), 1u);
  const std::string second = session_.candidates().at(1);
  EXPECT_EQ(type("{enter}"), before + second);
  EXPECT_EQ(type("xyz{esc}"), before + second + "xyz");
}

TEST_F(SessionFlow, EnglishModeLetsEveryKeyThrough) {
  EXPECT_EQ(type("kh{toggle}"), "kh");
  EXPECT_TRUE(session_.view().english);
  EXPECT_EQ(type("ot te.{enter}"), "khot te.\n");
  EXPECT_EQ(type("{bksp}{toggle}ban "), "khot te.បាន");
}

TEST_F(SessionFlow, CtrlShortcutEndsTheWordAndReachesTheApplication) {
  EXPECT_EQ(type("khn{ctrl+s}"), "khn");
  EXPECT_TRUE(session_.typed().empty());
  EXPECT_FALSE(last_.eaten);
}

TEST_F(SessionFlow, OnlyTheLast32CommitsCanBeUndone) {
  std::string script;
  for (int i = 0; i < 33; ++i) script += "ban ";
  type(script);
  for (int i = 0; i < 32; ++i) type("{bksp}");
  EXPECT_EQ(doc_.text, "បាន");
  EXPECT_EQ(type("{bksp}"), "បា");
  EXPECT_FALSE(last_.eaten);
}

}  // namespace
}  // namespace sorla::cli
