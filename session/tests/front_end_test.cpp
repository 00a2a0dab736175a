// Typing through a front end: key scripts into the session, its answers
// run as edit plans on the model document, unclaimed keys typed by the
// editor. The flows `sorla type`, `sorla try` and the text service share, on
// the real session and engine with the built-in word list.
#include <gtest/gtest.h>

#include "sorla/key_script.h"
#include "sorla/text_document.h"

namespace sorla {
namespace {

class FrontEnd : public ::testing::Test {
 protected:
  std::string type(std::string_view script) {
    const auto parsed = parse_key_script(script);
    for (const KeyEvent& key : std::get<std::vector<KeyEvent>>(parsed)) {
      last_ = press(session_, doc_, key);
    }
    return doc_.visible();
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
  TextDocument doc_;
  SessionOutput last_;
};

TEST_F(FrontEnd, SentenceAndCompositionLeftOver) {
  EXPECT_EQ(type("khnhom chong tov "), "ខ្ញុំចង់ទៅ");
  EXPECT_EQ(type("sal"), "ខ្ញុំចង់ទៅsal");
}

TEST_F(FrontEnd, CapitalLettersComposeAndSpaceLearns) {
  EXPECT_EQ(type("Sabay"), "Sabay");
  EXPECT_EQ(session_.typed(), "Sabay");
  const std::string first = session_.candidates().at(0);
  EXPECT_EQ(type(" "), first);
  EXPECT_EQ(learned_count("sabay"), 1u);
}

TEST_F(FrontEnd, EnglishModeClaimsNoKey) {
  EXPECT_EQ(type("kh{toggle}"), "kh");
  EXPECT_TRUE(session_.view().english);
  const auto keys = std::get<std::vector<KeyEvent>>(parse_key_script("ot .1{enter}{bksp}"));
  for (const KeyEvent& key : keys) {
    EXPECT_FALSE(session_.would_eat(key.vk, key.ch, key.mods)) << key_label(key);
  }
  EXPECT_EQ(type("ot te.{enter}"), "khot te.\n");
  EXPECT_EQ(type("{bksp}{toggle}ban "), "khot te.បាន");
}

// Keys that only pass through are the editor's: the application sees the
// real key, and the document ends up the same.
TEST_F(FrontEnd, IdleKeysReachTheEditor) {
  EXPECT_EQ(type("1, {enter}"), "1, \n");
  EXPECT_FALSE(last_.eaten);
  EXPECT_EQ(type("ban,"), "1, \nបាន,");  // a comma ending a word follows the commit
  EXPECT_TRUE(last_.eaten);
}

// The space went to the editor, which the session hears of as a moved
// selection: Backspace then deletes the space, not the word before it.
TEST_F(FrontEnd, BackspaceAfterAnUnclaimedSpaceDeletesTheSpace) {
  EXPECT_EQ(type("ban "), "បាន");
  EXPECT_EQ(type(" "), "បាន ");
  EXPECT_EQ(type("{bksp}"), "បាន");
  EXPECT_FALSE(last_.eaten);
  EXPECT_EQ(type("{bksp}"), "បា");
  EXPECT_EQ(learned_count("ban"), 1u);
}

TEST_F(FrontEnd, TheCompositionIsInTheDocument) {
  type("khnhom");
  EXPECT_EQ(doc_.composition, "khnhom");
  EXPECT_EQ(doc_.text, "");
  type("{bksp}{bksp}{bksp}{bksp}{bksp}{bksp}");
  EXPECT_EQ(doc_.composition, std::nullopt);
  EXPECT_EQ(doc_.visible(), "");
}

TEST_F(FrontEnd, CtrlShortcutEndsTheWordAndReachesTheApplication) {
  EXPECT_EQ(type("khn{ctrl+s}"), "khn");
  EXPECT_TRUE(session_.typed().empty());
  EXPECT_FALSE(last_.eaten);
}

TEST_F(FrontEnd, OnlyTheLast32CommitsCanBeUndone) {
  std::string script;
  for (int i = 0; i < 33; ++i) script += "ban ";
  type(script);
  for (int i = 0; i < 32; ++i) type("{bksp}");
  EXPECT_EQ(doc_.text, "បាន");
  EXPECT_EQ(type("{bksp}"), "បា");
  EXPECT_FALSE(last_.eaten);
}

}  // namespace
}  // namespace sorla
