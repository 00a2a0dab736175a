// The service and the application's documents: focus changes, selection
// moves, applications that refuse synchronous edits or end compositions,
// and where the candidate window goes.
#include <gtest/gtest.h>

#include "host/host.h"
#include "learned_file/app_access.h"
#include "tsf/window/candidate_window.h"

namespace sorla::host {
namespace {

const std::string kSabay = "\u179F\u1794\u17D2\u1794\u17B6\u1799";
int g_token_queries = 0;

class Documents : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(host.activate(), S_OK); }
  Host host;
};

TEST_F(Documents, FocusChangeCommitsTheLettersAndKeepsTheMode) {
  host.type("sabay");
  host.focus(2);
  EXPECT_EQ(host.text(1), "sabay");
  EXPECT_EQ(host.composition(1), std::nullopt);
  EXPECT_FALSE(host.composition_marked(1));
  EXPECT_FALSE(host.candidates_visible());
  // Typing goes on in the newly focused document, from nothing.
  host.type("sabay ");
  EXPECT_EQ(host.text(2), kSabay);
  EXPECT_EQ(host.text(1), "sabay");
  // Only the focused document is watched.
  EXPECT_EQ(host.doc(1).edit_sink_count(), 0u);
  EXPECT_EQ(host.doc(2).edit_sink_count(), 1u);

  host.down(VK_SHIFT);
  host.up(VK_SHIFT);
  host.type("ab");
  host.focus(1);
  EXPECT_EQ(host.button_text(), "ENG");
}

TEST_F(Documents, FocusChangeAndDeactivationSaveTheLearnedPicks) {
  // Where the picks live was worked out at activation: no key, word start,
  // focus change or save asks the process token again.
  learned_file::set_app_container_query([] {
    ++g_token_queries;
    return false;
  });
  host.type("sabay ");
  EXPECT_EQ(host.learned_file(), "");
  host.focus(2);
  const std::string saved = host.learned_file();
  EXPECT_NE(saved.find("sabay"), std::string::npos);
  EXPECT_NE(saved.find(kSabay), std::string::npos);

  host.type("sabay ");
  host.deactivate();
  learned_file::set_app_container_query(nullptr);
  EXPECT_NE(host.learned_file(), saved);  // the second pick went out too
  EXPECT_EQ(g_token_queries, 0);
}

TEST_F(Documents, LearnedPicksComeBackAtTheNextActivation) {
  host.type("sabay2");  // the second candidate, បាយ
  host.deactivate();
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sabay2");
  host.deactivate();
  // The pick loaded at activation was counted on, not written over.
  EXPECT_NE(host.learned_file().find("\"count\":2"), std::string::npos) << host.learned_file();
}

TEST_F(Documents, ASelectionMoveForgetsTheCommitsButNotTheWord) {
  host.type("sabay ");
  host.doc().app_select(0, 0);
  EXPECT_FALSE(host.tap(VK_BACK));  // nothing to take back any more
  EXPECT_EQ(host.text(), kSabay);

  host.type("sab");
  host.doc().app_select(0, 0);  // while typing: the word stays
  EXPECT_EQ(host.composition(), "sab");
}

TEST_F(Documents, EditsWithoutRecordsAreNoSelectionMoves) {
  host.doc().set_null_edit_records(true);
  host.type("sabay ");
  host.doc().app_select(0, 0);
  host.doc().app_select(6, 6);
  EXPECT_TRUE(host.tap(VK_BACK));
  EXPECT_EQ(host.text(), "");
}

TEST_F(Documents, RefusedSynchronousEditsArriveLater) {
  host.doc().set_refuse_sync(true);
  host.type("sab");
  EXPECT_EQ(host.text(), "");
  EXPECT_EQ(host.doc().queued(), 3u);
  host.doc().set_refuse_sync(false);
  host.pump();
  EXPECT_EQ(host.composition(), "sab");
  EXPECT_TRUE(host.composition_marked());
  host.type("ay ");
  EXPECT_EQ(host.text(), kSabay);
}

TEST_F(Documents, TheApplicationEndingTheCompositionEndsTheWord) {
  host.type("sabay");
  host.doc().app_end_compositions();
  EXPECT_EQ(host.text(), "sabay");  // what the application kept stays
  EXPECT_FALSE(host.composition_marked());
  EXPECT_EQ(host.doc().document().attribute_at(0), 0u);
  EXPECT_FALSE(host.candidates_visible());
  host.type("bay");
  EXPECT_EQ(host.composition(), "bay");
  EXPECT_EQ(host.text(), "sabaybay");
}

TEST_F(Documents, TheWindowSitsBelowTheComposition) {
  host.doc().set_text_extent(RECT{300, 400, 310, 420});
  host.type("sabay");
  ASSERT_TRUE(host.candidates_visible());
  RECT shown{};
  GetWindowRect(FindWindowW(window::kClassName, nullptr), &shown);
  EXPECT_GE(shown.top, 420);
  EXPECT_EQ(shown.left, 300);

  host.service().OnSetFocus(FALSE);
  EXPECT_FALSE(host.candidates_visible());
  host.service().OnSetFocus(TRUE);
  EXPECT_TRUE(host.candidates_visible());
}

TEST_F(Documents, NoTextExtentAndNoCaretLeaveTheWindowHidden) {
  host.doc().set_text_extent(RECT{0, 0, 0, 0});
  host.type("sabay");
  EXPECT_EQ(host.composition(), "sabay");
  EXPECT_FALSE(host.candidates_visible());
}

TEST_F(Documents, WithoutATextExtentTheSystemCaretPlacesTheWindow) {
  host.doc().set_text_extent(RECT{0, 0, 0, 0});
  const HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 50, 60, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  ASSERT_TRUE(CreateCaret(owner, nullptr, 2, 18));
  SetCaretPos(20, 30);
  host.type("sabay");
  EXPECT_TRUE(host.candidates_visible());
  RECT shown{};
  GetWindowRect(FindWindowW(window::kClassName, nullptr), &shown);
  EXPECT_EQ(shown.left, 70);
  DestroyCaret();
  DestroyWindow(owner);
}

TEST_F(Documents, CandidateClicksChooseAndTheFlagOpensTheReport) {
  host.type("sabay");
  const auto layout = window::CandidateWindow::shown_layout();
  ASSERT_TRUE(layout);
  ASSERT_GE(layout->cells.size(), 2u);
  const HWND window = FindWindowW(window::kClassName, nullptr);
  const auto click = [&](const window::Rect& r) {
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    host.pump();
  };
  click(layout->flag);
  ASSERT_EQ(host.opened_urls().size(), 1u);
  EXPECT_NE(host.opened_urls()[0].find("typed=sabay"), std::string::npos);
  EXPECT_EQ(host.composition(), "sabay");

  click(window::CandidateWindow::shown_layout()->cells[1].rect);
  EXPECT_EQ(host.text(), "\u1794\u17B6\u1799");
  EXPECT_FALSE(host.candidates_visible());
}

}  // namespace
}  // namespace sorla::host
