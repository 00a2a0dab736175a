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

ComPtr<ITfCandidateListUIElement> list_of(Host& host) {
  ComPtr<ITfCandidateListUIElement> list;
  if (ITfUIElement* element = host.thread_mgr().ui_element()) {
    element->QueryInterface(__uuidof(ITfCandidateListUIElement), list.put_void());
  }
  return list;
}

// An application that draws the list hears of it at once, with every part
// marked changed, then only what changes; the list names its document.
TEST(UiLess, TheFirstUpdateComesAtOnceWithEveryPart) {
  Host host;
  host.thread_mgr().set_show_ui(false);
  ASSERT_EQ(host.activate(), S_OK);
  host.type("s");
  const auto& calls = host.thread_mgr().ui_calls();
  ASSERT_EQ(calls, (std::vector<std::string>{"begin", "update 3f"}));
  host.type("ab");
  ASSERT_GE(calls.size(), 3u);
  for (std::size_t i = 2; i < calls.size(); ++i) {
    EXPECT_EQ(calls[i].rfind("update ", 0), 0u) << calls[i];
    EXPECT_EQ(std::stoul(calls[i].substr(7), nullptr, 16) & TF_CLUIE_DOCUMENTMGR, 0u);
  }
  host.tap(VK_DOWN);  // the highlight moves: the selection alone changed
  EXPECT_EQ(calls.back(), "update 4");

  const auto list = list_of(host);
  ASSERT_TRUE(list);
  ComPtr<ITfDocumentMgr> document;
  ASSERT_EQ(list->GetDocumentMgr(document.put()), S_OK);
  EXPECT_EQ(document.get(), host.document_mgr(1));
}

// Show(FALSE) takes our window away at once, and it stays away while the
// row changes; Show(TRUE) brings it back.
TEST(UiLess, ShowHidesAndShowsOurWindow) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  ASSERT_TRUE(host.candidates_visible());
  const auto list = list_of(host);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->Show(FALSE), S_OK);
  EXPECT_FALSE(host.candidates_visible());
  host.type("a");
  EXPECT_FALSE(host.candidates_visible());
  BOOL shown = TRUE;
  EXPECT_EQ(list->IsShown(&shown), S_OK);
  EXPECT_FALSE(shown);
  EXPECT_EQ(list->Show(TRUE), S_OK);
  EXPECT_TRUE(host.candidates_visible());
}

// Under Wine nothing is ever composed: a word that ends with no composition
// open (here by a focus change) still ends the element.
TEST(UiLess, AWordEndedWithoutACompositionEndsTheElement) {
  Host host;
  host.thread_mgr().set_show_ui(false);
  host.doc().set_no_compositions(true);
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  ASSERT_EQ(host.composition(), std::nullopt);
  ASSERT_NE(host.thread_mgr().ui_element(), nullptr);
  host.focus(2);
  EXPECT_EQ(host.thread_mgr().ui_element(), nullptr);
  EXPECT_EQ(host.thread_mgr().ui_calls().back(), "end");
}

// TSF reports compositions started with our sink; one that is not the word
// in progress leaves the word alone.
TEST(UiLess, OnlyTheCurrentCompositionEndsTheWord) {
  Host host;
  ASSERT_EQ(host.activate(), S_OK);
  host.type("sab");
  ASSERT_EQ(host.composition(), "sab");
  const auto other = com::make_object<FakeComposition>(&host.doc(2), std::make_shared<Span>(),
                                                       ComPtr<ITfCompositionSink>());
  EXPECT_EQ(host.service().OnCompositionTerminated(0, other.get()), S_OK);
  EXPECT_EQ(host.composition(), "sab");
  EXPECT_TRUE(host.candidates_visible());
  host.doc().app_end_compositions();
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_FALSE(host.candidates_visible());
}

// The list holds every page, five a page; the page follows the highlight
// whether a key or the application moves it.
TEST(UiLess, TheListReportsPages) {
  Host host;
  host.thread_mgr().set_show_ui(false);
  ASSERT_EQ(host.activate(), S_OK);
  host.type("ot");
  const auto list = list_of(host);
  ASSERT_TRUE(list);
  UINT count = 0, pages = 0, page = 9, selection = 9;
  ASSERT_EQ(list->GetCount(&count), S_OK);
  ASSERT_GT(count, 5u);
  ASSERT_LE(count, 10u);
  UINT starts[2] = {9, 9};
  EXPECT_EQ(list->GetPageIndex(starts, 1, &pages), E_NOT_SUFFICIENT_BUFFER);
  EXPECT_EQ(pages, 2u);
  ASSERT_EQ(list->GetPageIndex(starts, 2, &pages), S_OK);
  EXPECT_EQ(starts[0], 0u);
  EXPECT_EQ(starts[1], 5u);
  EXPECT_EQ(list->SetPageIndex(starts, 2), S_OK);
  UINT other[2] = {0, 4};
  EXPECT_EQ(list->SetPageIndex(other, 2), E_INVALIDARG);
  EXPECT_EQ(list->GetCurrentPage(&page), S_OK);
  EXPECT_EQ(page, 0u);

  host.tap(VK_NEXT);  // the selection and the current page changed
  EXPECT_EQ(host.thread_mgr().ui_calls().back(), "update 24");
  EXPECT_EQ(list->GetCurrentPage(&page), S_OK);
  EXPECT_EQ(page, 1u);
  EXPECT_EQ(list->GetSelection(&selection), S_OK);
  EXPECT_EQ(selection, 5u);

  ComPtr<ITfCandidateListUIElementBehavior> behavior;
  ASSERT_EQ(list->QueryInterface(__uuidof(ITfCandidateListUIElementBehavior), behavior.put_void()),
            S_OK);
  BSTR third = nullptr;
  ASSERT_EQ(list->GetString(2, &third), S_OK);
  const std::string word = text_of(third);
  EXPECT_EQ(behavior->SetSelection(2), S_OK);
  EXPECT_EQ(list->GetCurrentPage(&page), S_OK);
  EXPECT_EQ(page, 0u);
  EXPECT_EQ(behavior->Finalize(), S_OK);
  host.pump();
  EXPECT_EQ(host.text(), word);
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
