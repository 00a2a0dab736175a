// Typing, choosing and committing through the text service, as an
// application with full TSF support sees it.
#include <gtest/gtest.h>

#include "host/host.h"
#include "tsf/window/candidate_window.h"

namespace sorla::host {
namespace {

const std::string kSabay = "\u179F\u1794\u17D2\u1794\u17B6\u1799";  // សប្បាយ
const std::string kKhan = "\u17D4";                                 // ។

class Typing : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(host.activate(), S_OK); }
  Host host;
};

TEST_F(Typing, LettersStartAMarkedCompositionAndShowCandidates) {
  EXPECT_TRUE(host.tap('S'));
  EXPECT_EQ(host.composition(), "s");
  EXPECT_TRUE(host.composition_marked());
  host.type("abay");
  EXPECT_EQ(host.text(), "sabay");
  EXPECT_EQ(host.composition(), "sabay");
  EXPECT_TRUE(host.composition_marked());
  EXPECT_EQ(host.doc().selection().start, 5);
  EXPECT_TRUE(host.candidates_visible());
}

// Page Down and Page Up turn the window's pages, which then say where they
// are; a word of the second page is chosen by its digit there.
TEST_F(Typing, PageKeysTurnTheWindowsPages) {
  host.type("sabay");
  ASSERT_TRUE(host.candidates_visible());
  EXPECT_EQ(window::CandidateWindow::shown_layout()->page, window::Rect{});  // one page
  host.tap(VK_ESCAPE);
  const std::string before = host.text();
  host.type("ot");
  const auto first = window::CandidateWindow::shown_layout();
  ASSERT_TRUE(first);
  EXPECT_TRUE(host.tap(VK_NEXT));
  const auto second = window::CandidateWindow::shown_layout();
  ASSERT_TRUE(second);
  EXPECT_GT(second->page.width(), 0);
  EXPECT_NE(second->cells.size(), first->cells.size());
  EXPECT_TRUE(host.tap(VK_PRIOR));
  EXPECT_EQ(window::CandidateWindow::shown_layout()->cells.size(), first->cells.size());
  EXPECT_TRUE(host.tap(VK_NEXT));
  host.type("1");
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_NE(host.text(), before);
}

TEST_F(Typing, SpaceCommitsTheFirstCandidate) {
  host.type("sabay");
  EXPECT_TRUE(host.tap(VK_SPACE));
  EXPECT_EQ(host.text(), kSabay);
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_EQ(host.doc().selection().start, static_cast<LONG>(host.doc().text().size()));
  EXPECT_FALSE(host.candidates_visible());
  EXPECT_EQ(host.doc().document().attribute_at(0), 0u);
}

TEST_F(Typing, TheNextWordComposesRightAfterTheCommit) {
  host.type("sabay bay");
  EXPECT_EQ(host.text(), kSabay + "bay");
  EXPECT_EQ(host.composition(), "bay");
  const auto span = host.doc().composition_span();
  ASSERT_TRUE(span);
  EXPECT_EQ(span->start, 6);
  EXPECT_TRUE(host.composition_marked());
}

TEST_F(Typing, KeysWithNothingTypedAreNotClaimed) {
  for (const int vk : {VK_LEFT, VK_BACK, int{'1'}, VK_SPACE}) {
    EXPECT_FALSE(host.tap(vk)) << vk;
    EXPECT_FALSE(host.thread_mgr().last_answers().first) << vk;  // not even asked for
  }
  EXPECT_EQ(host.text(), "1 ");
}

// The space went to the application; its edit tells the service that the
// caret moved on, so Backspace is the application's again.
TEST_F(Typing, BackspaceAfterAnUnclaimedSpaceDeletesTheSpace) {
  host.type("sabay ");
  EXPECT_FALSE(host.tap(VK_SPACE));
  EXPECT_FALSE(host.tap(VK_BACK));
  EXPECT_EQ(host.text(), kSabay);
}

// An edit that fails half-way leaves no composition open: the next letter
// starts the only one.
TEST_F(Typing, AFailedEditEndsItsComposition) {
  for (int call = 1; call <= 12; ++call) {
    Host fresh;
    ASSERT_EQ(fresh.activate(), S_OK);
    fresh.type("sa");
    fresh.doc().fail_call(call);
    fresh.type("b ");
    fresh.type("ban");
    EXPECT_LE(fresh.doc().active_compositions(), 1u) << call;
    EXPECT_EQ(fresh.composition(), "ban") << call;
  }
}

TEST_F(Typing, CommitWithoutCompositionReplacesTheSelection) {
  host.doc().app_replace_quietly(0, 0, L"hello");
  host.doc().app_select(0, 5);
  host.type(".");
  EXPECT_EQ(host.text(), kKhan);
  EXPECT_EQ(host.doc().selection().start, 1);
  EXPECT_EQ(host.doc().selection().end, 1);
}

TEST_F(Typing, BackspaceShortensTheCompositionThenTakesBackCommits) {
  host.type("sabay");
  EXPECT_TRUE(host.tap(VK_BACK));
  EXPECT_EQ(host.composition(), "saba");
  host.type("y ");
  host.type("sabay.");
  EXPECT_EQ(host.text(), kSabay + kSabay + kKhan);
  EXPECT_TRUE(host.tap(VK_BACK));  // the word and its khan together
  EXPECT_EQ(host.text(), kSabay);
  EXPECT_TRUE(host.tap(VK_BACK));
  EXPECT_EQ(host.text(), "");
  EXPECT_FALSE(host.tap(VK_BACK));
}

TEST_F(Typing, ATakeBackChecksTheTextBeforeTheCaret) {
  host.type("sabay ");
  // The application changed the word without reporting it (as Wine's TSF
  // reports no edit record): the service still holds the commit.
  host.doc().app_replace_quietly(0, 1, L"x");
  EXPECT_TRUE(host.tap(VK_BACK));
  EXPECT_EQ(host.text(), std::string("x").append(kSabay, 3));
}

// Not even claimed: a key the test call claims and the real call lets go
// may never reach an application (one served through IMM32 gets it as
// VK_PROCESSKEY). The letters stay as they are.
TEST_F(Typing, CtrlShortcutReachesTheApplicationAndTheLettersStay) {
  host.type("sabay");
  host.hold(VK_CONTROL);
  EXPECT_FALSE(host.tap('S'));
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  host.let_go(VK_CONTROL);
  EXPECT_EQ(host.composition(), "sabay");
  host.type(" ");
  EXPECT_EQ(host.text(), kSabay);
}

TEST_F(Typing, CapsLockAndShiftDecideTheCase) {
  host.caps_lock(true);
  host.tap('S');
  host.hold(VK_SHIFT);
  host.tap('A');
  host.let_go(VK_SHIFT);
  host.caps_lock(false);
  EXPECT_EQ(host.composition(), "Sa");
}

TEST_F(Typing, KeysWithoutAContextAreNotClaimed) {
  host.thread_mgr().set_null_key_context(true);
  EXPECT_FALSE(host.down('S'));
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  host.up('S');
  host.thread_mgr().set_null_key_context(false);
  host.type("ay");
  EXPECT_EQ(host.composition(), "ay");  // the session never saw the S
}

}  // namespace
}  // namespace sorla::host
