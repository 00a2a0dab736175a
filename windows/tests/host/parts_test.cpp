// The service's parts on their own: the US key map, the Shift-tap rule,
// the state cell and the language-bar button.
#include <gtest/gtest.h>

#include "tsf/langbar/langbar_button.h"
#include "tsf/service/keys.h"
#include "tsf/service/state_cell.h"

namespace sorla::tsf {
namespace {

std::optional<char32_t> ch(std::uint32_t vk, bool shift = false, bool caps = false) {
  return key_to_char(vk, shift, caps);
}

TEST(KeyToChar, UsLayout) {
  EXPECT_EQ(ch('A'), U'a');
  EXPECT_EQ(ch('A', true), U'A');
  EXPECT_EQ(ch('Z', false, true), U'Z');
  EXPECT_EQ(ch('Z', true, true), U'z');
  EXPECT_EQ(ch('0'), U'0');
  EXPECT_EQ(ch('1', true), U'!');
  EXPECT_EQ(ch('0', true), U')');
  EXPECT_EQ(ch('9', true), U'(');
  EXPECT_EQ(ch(VK_NUMPAD7, true), U'7');
  EXPECT_EQ(ch(VK_SPACE, true), U' ');
  EXPECT_EQ(ch(VK_MULTIPLY), U'*');
  EXPECT_EQ(ch(VK_DECIMAL, true), U'.');
  EXPECT_EQ(ch(VK_DIVIDE), U'/');
  EXPECT_EQ(ch(VK_OEM_1), U';');
  EXPECT_EQ(ch(VK_OEM_1, true), U':');
  EXPECT_EQ(ch(VK_OEM_PLUS, true), U'+');
  EXPECT_EQ(ch(VK_OEM_COMMA, true), U'<');
  EXPECT_EQ(ch(VK_OEM_MINUS, true), U'_');
  EXPECT_EQ(ch(VK_OEM_PERIOD), U'.');
  EXPECT_EQ(ch(VK_OEM_2, true), U'?');
  EXPECT_EQ(ch(VK_OEM_3, true), U'~');
  EXPECT_EQ(ch(VK_OEM_4), U'[');
  EXPECT_EQ(ch(VK_OEM_5), U'\\');
  EXPECT_EQ(ch(VK_OEM_5, true), U'|');
  EXPECT_EQ(ch(VK_OEM_6, true), U'}');
  EXPECT_EQ(ch(VK_OEM_7, true), U'"');
  for (const std::uint32_t none : {8u, 13u, 112u, 16u, 108u, 0x141u}) {
    EXPECT_EQ(ch(none), std::nullopt) << none;
  }
  // Ctrl or Alt: no character at all.
  EXPECT_EQ(key_character('A', KeyState{{false, true, false}, false}), std::nullopt);
  EXPECT_EQ(key_character('A', KeyState{{true, false, false}, true}), U'a');
}

TEST(ShiftTapRule, TimeLimitRepeatsAndOtherKeys) {
  const Modifiers none, ctrl{false, true, false};
  ShiftTap tap;
  tap.key_down(VK_LSHIFT, none, false, 0);
  EXPECT_TRUE(tap.would_tap(VK_LSHIFT, 500));
  EXPECT_FALSE(tap.would_tap(VK_LSHIFT, 501));
  EXPECT_FALSE(tap.would_tap('A', 10));
  EXPECT_TRUE(tap.take(VK_SHIFT, 100));
  EXPECT_FALSE(tap.take(VK_SHIFT, 100));  // used up

  tap.key_down(VK_SHIFT, none, false, 1000);
  tap.key_down('A', none, false, 1001);
  EXPECT_FALSE(tap.would_tap(VK_SHIFT, 1002));
  tap.key_down(VK_SHIFT, none, true, 1003);  // still held: no new tap
  EXPECT_FALSE(tap.would_tap(VK_SHIFT, 1004));

  tap.key_down(VK_SHIFT, ctrl, false, 2000);
  EXPECT_FALSE(tap.would_tap(VK_SHIFT, 2001));

  tap.key_down(VK_SHIFT, none, false, 3000);
  tap.key_down(VK_SHIFT, none, true, 3400);  // auto-repeat keeps the first time
  EXPECT_FALSE(tap.would_tap(VK_SHIFT, 3600));
  // A slow release was seen by no one; the next press starts afresh.
  tap.key_down(VK_SHIFT, none, false, 4000);
  EXPECT_TRUE(tap.would_tap(VK_SHIFT, 4100));

  EXPECT_TRUE(is_repeat(0x40000001));
  EXPECT_FALSE(is_repeat(1));
}

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
  int clicks = 0;
  const auto button = com::make_object<langbar::LangBarButton>([&] { ++clicks; });
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

  button->OnClick(TF_LBI_CLK_RIGHT, POINT{}, nullptr);
  EXPECT_EQ(clicks, 1);
  button->detach();
  button->OnClick(TF_LBI_CLK_LEFT, POINT{}, nullptr);
  EXPECT_EQ(clicks, 1);
}

}  // namespace
}  // namespace sorla::tsf
