// Applications that draw candidates themselves (games through SDL and
// others): they read the candidate list element and drive it, and our
// window never appears.
#include <gtest/gtest.h>

#include "host/host.h"
#include "text/wide.h"

namespace sorla::host {
namespace {

std::string text_of(BSTR s) {
  std::string out = to_utf8(std::wstring_view(s, SysStringLen(s)));
  SysFreeString(s);
  return out;
}

TEST(UiLess, AnApplicationReadsTheListAndChoosesAWord) {
  Host host;
  host.thread_mgr().set_show_ui(false);
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sabay");
  EXPECT_FALSE(host.candidates_visible());
  ASSERT_NE(host.thread_mgr().ui_element(), nullptr);
  ComPtr<ITfCandidateListUIElementBehavior> list;
  ASSERT_EQ(host.thread_mgr().ui_element()->QueryInterface(
                __uuidof(ITfCandidateListUIElementBehavior), list.put_void()),
            S_OK);

  // As SDL reads it: the count, the page count without an array, strings.
  UINT count = 0, pages = 0, selection = 9;
  ASSERT_EQ(list->GetCount(&count), S_OK);
  ASSERT_GE(count, 2u);
  EXPECT_EQ(list->GetPageIndex(nullptr, 0, &pages), S_OK);
  EXPECT_EQ(pages, 1u);
  EXPECT_EQ(list->GetSelection(&selection), S_OK);
  EXPECT_EQ(selection, 0u);
  BSTR second = nullptr;
  ASSERT_EQ(list->GetString(1, &second), S_OK);
  const std::string word = text_of(second);

  EXPECT_EQ(list->SetSelection(1), S_OK);
  EXPECT_EQ(list->GetSelection(&selection), S_OK);
  EXPECT_EQ(selection, 1u);
  EXPECT_EQ(list->Finalize(), S_OK);
  host.pump();
  EXPECT_EQ(host.text(), word);
  EXPECT_EQ(host.thread_mgr().ui_element(), nullptr);  // ended with the word
  EXPECT_FALSE(host.candidates_visible());

  // Abort ends the word as Escape does.
  host.type("sab");
  ASSERT_NE(host.thread_mgr().ui_element(), nullptr);
  list.reset();
  host.thread_mgr().ui_element()->QueryInterface(__uuidof(ITfCandidateListUIElementBehavior),
                                                 list.put_void());
  ASSERT_TRUE(list);
  EXPECT_EQ(list->Abort(), S_OK);
  host.pump();
  EXPECT_EQ(host.text(), word + "sab");
  EXPECT_EQ(host.composition(), std::nullopt);
}

TEST(UiLess, WithWinesStubManagerTheWindowShowsAsBefore) {
  Host host;
  host.thread_mgr().set_ui_stub(true);
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sabay");
  EXPECT_TRUE(host.candidates_visible());
}

}  // namespace
}  // namespace sorla::host
