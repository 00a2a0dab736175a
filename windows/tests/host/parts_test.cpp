// The service's parts on their own: the state cell and the language-bar
// button.
#include <gtest/gtest.h>

#include "tsf/langbar/langbar_button.h"
#include "tsf/service/state_cell.h"

namespace sorla::tsf {
namespace {

TEST(StateCellDeathTest, ASecondBorrowIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  StateCell<int> cell;
  {
    auto first = cell.borrow();
    *first = 4;
    first.release();
    auto again = cell.borrow();
    EXPECT_EQ(*again, 4);
  }
  EXPECT_FALSE(cell.borrowed());
  EXPECT_DEATH(
      {
        auto first = cell.borrow();
        auto second = cell.borrow();
      },
      "");
}

class CountingSink final : public com::Object<ITfLangBarItemSink> {
 public:
  HRESULT STDMETHODCALLTYPE OnUpdate(DWORD flags) override {
    ++updates;
    last_flags = flags;
    return S_OK;
  }
  int updates = 0;
  DWORD last_flags = 0;
};

std::wstring take(BSTR text) {
  std::wstring result(text, SysStringLen(text));
  SysFreeString(text);
  return result;
}

TEST(LangBarButton, InfoTextsAndIcon) {
  const auto button = com::make_object<langbar::LangBarButton>(nullptr);
  TF_LANGBARITEMINFO info{};
  ASSERT_EQ(button->GetInfo(&info), S_OK);
  EXPECT_EQ(info.dwStyle, 0x10002u);
  EXPECT_STREQ(info.szDescription, L"Sorla");
  EXPECT_EQ(button->GetInfo(nullptr), E_INVALIDARG);
  BSTR text = nullptr;
  button->GetText(&text);
  EXPECT_EQ(take(text), L"\u1781");
  button->GetTooltipString(&text);
  EXPECT_EQ(take(text), L"Sorla: Khmer. Tap Shift for English.");
  button->set_mode(true);
  button->GetText(&text);
  EXPECT_EQ(take(text), L"ENG");
  button->GetTooltipString(&text);
  EXPECT_EQ(take(text), L"Sorla: English. Tap Shift for Khmer.");
  HICON icon = nullptr;
  ASSERT_EQ(button->GetIcon(&icon), S_OK);
  EXPECT_TRUE(icon);
  DestroyIcon(icon);
  DWORD status = 5;
  EXPECT_EQ(button->GetStatus(&status), S_OK);
  EXPECT_EQ(status, 0u);
  // A click without a callback does nothing.
  EXPECT_EQ(button->OnClick(TF_LBI_CLK_LEFT, POINT{}, nullptr), S_OK);
}

TEST(LangBarButton, SinkAdviceAndModeNotifications) {
  int clicks = 0, menus = 0;
  POINT menu_at{};
  const auto button = com::make_object<langbar::LangBarButton>([&] { ++clicks; },
                                                               [&](POINT at) {
                                                                 ++menus;
                                                                 menu_at = at;
                                                               });
  const auto sink = com::make_object<CountingSink>();
  DWORD cookie = 0;
  EXPECT_EQ(button->AdviseSink(__uuidof(ITfLangBarItemSink), sink.get(), &cookie), S_OK);
  EXPECT_EQ(cookie, 1u);
  EXPECT_EQ(button->AdviseSink(__uuidof(ITfThreadMgrEventSink), sink.get(), &cookie),
            static_cast<HRESULT>(0x80040202));
  EXPECT_EQ(button->AdviseSink(__uuidof(ITfLangBarItemSink), nullptr, &cookie), E_POINTER);

  button->set_mode(false);  // no change, no news
  EXPECT_EQ(sink->updates, 0);
  button->set_mode(true);
  button->set_mode(false);
  EXPECT_EQ(sink->updates, 2);
  EXPECT_EQ(sink->last_flags, 7u);

  EXPECT_EQ(button->UnadviseSink(7), S_OK);  // keeps the sink
  button->set_mode(true);
  EXPECT_EQ(sink->updates, 3);
  EXPECT_EQ(button->UnadviseSink(1), S_OK);
  button->set_mode(false);
  EXPECT_EQ(sink->updates, 3);

  button->OnClick(TF_LBI_CLK_LEFT, POINT{}, nullptr);
  EXPECT_EQ(clicks, 1);
  button->OnClick(TF_LBI_CLK_RIGHT, POINT{3, 4}, nullptr);  // the menu's, not a switch
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menus, 1);
  EXPECT_EQ(menu_at.x, 3);
  button->detach();
  button->OnClick(TF_LBI_CLK_LEFT, POINT{}, nullptr);
  button->OnClick(TF_LBI_CLK_RIGHT, POINT{}, nullptr);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(menus, 1);
}

}  // namespace
}  // namespace sorla::tsf
