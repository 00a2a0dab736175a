// Khmer and English mode: Shift taps (with their time limit), the
// language-bar button and English mode letting keys through.
#include <gtest/gtest.h>

#include "host/host.h"

namespace sorla::host {
namespace {

const std::string kKha = "\u1781";

class Modes : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(host.activate(), S_OK); }
  // A press and release of `vk` as TSF reports it: whether the test call
  // for the release claimed it, and the real call's answer.
  std::pair<bool, bool> shift_tap(std::uint32_t vk = VK_SHIFT) {
    host.down(vk);
    host.up(vk);
    return host.thread_mgr().last_answers();
  }
  Host host;
};

TEST_F(Modes, AShiftTapSwitchesToEnglishAndBack) {
  EXPECT_EQ(host.button_text(), kKha);
  const auto [test, real] = shift_tap();
  EXPECT_TRUE(test);   // OnTestKeyUp claims the release
  EXPECT_FALSE(real);  // OnKeyUp does not eat it
  EXPECT_EQ(host.button_text(), "ENG");
  EXPECT_EQ(host.thread_mgr().items().front().sink->updates(), 1);
  shift_tap(VK_RSHIFT);
  EXPECT_EQ(host.button_text(), kKha);
  shift_tap(VK_LSHIFT);
  EXPECT_EQ(host.button_text(), "ENG");
  EXPECT_EQ(host.thread_mgr().items().front().sink->updates(), 3);
}

TEST_F(Modes, ShiftHeldForACapitalOrWithCtrlOrAltIsNoTap) {
  host.down(VK_SHIFT);
  host.tap('S');
  host.up(VK_SHIFT);
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  EXPECT_EQ(host.composition(), "S");

  host.hold(VK_CONTROL);
  shift_tap();
  host.let_go(VK_CONTROL);
  host.hold(VK_MENU);
  shift_tap();
  host.let_go(VK_MENU);
  EXPECT_EQ(host.button_text(), kKha);
  EXPECT_EQ(host.composition(), "S");
}

TEST_F(Modes, ShiftHeldLongerThanHalfASecondIsNoTap) {
  host.down(VK_SHIFT);
  host.advance_ms(501);
  host.up(VK_SHIFT);
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  EXPECT_EQ(host.button_text(), kKha);

  // Auto-repeated downs keep the time of the first.
  host.down(VK_SHIFT);
  host.advance_ms(300);
  host.down(VK_SHIFT, 0x40000001);
  host.advance_ms(300);
  host.up(VK_SHIFT);
  EXPECT_EQ(host.button_text(), kKha);

  host.down(VK_SHIFT);
  host.advance_ms(500);
  host.up(VK_SHIFT);
  EXPECT_EQ(host.button_text(), "ENG");
}

TEST_F(Modes, ATapWhileComposingCommitsTheLettersFirst) {
  host.type("sabay");
  shift_tap();
  EXPECT_EQ(host.text(), "sabay");
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_FALSE(host.candidates_visible());
  EXPECT_EQ(host.button_text(), "ENG");
}

// The application sees every real key: shortcuts, games and web pages that
// listen to key-downs work as without the input method.
TEST_F(Modes, EnglishModeClaimsNoKey) {
  shift_tap();
  for (const std::uint32_t vk : {VK_BACK, VK_RETURN, VK_ESCAPE, VK_TAB, VK_LEFT, VK_DOWN}) {
    EXPECT_FALSE(host.tap(vk)) << vk;
    EXPECT_FALSE(host.thread_mgr().last_answers().first) << vk;
  }
  EXPECT_FALSE(host.tap('K'));
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  EXPECT_FALSE(host.tap(VK_OEM_PERIOD));
  EXPECT_EQ(host.text(), "\nk.");
  EXPECT_EQ(host.composition(), std::nullopt);
  EXPECT_FALSE(host.candidates_visible());
}

// A left click switches; the right click opens the menu (menu_test.cpp).
TEST_F(Modes, TheButtonSwitchesOnALeftClick) {
  const auto& item = host.thread_mgr().items().front();
  ComPtr<ITfLangBarItemButton> button;
  item.item->QueryInterface(__uuidof(ITfLangBarItemButton), button.put_void());
  ASSERT_TRUE(button);
  host.type("sab");
  button->OnClick(TF_LBI_CLK_LEFT, POINT{0, 0}, nullptr);
  EXPECT_EQ(host.button_text(), "ENG");
  EXPECT_EQ(host.text(), "sab");  // committed through the last key's context
  EXPECT_EQ(host.composition(), std::nullopt);
  button->OnClick(TF_LBI_CLK_LEFT, POINT{0, 0}, nullptr);
  EXPECT_EQ(host.button_text(), kKha);
  EXPECT_EQ(item.sink->updates(), 2);
  EXPECT_EQ(item.sink->last_text(), L"\u1781");  // read back at the update
}

TEST(ModesSetting, WithShiftSwitchingOffATapChangesNothing) {
  Host host(0);
  ASSERT_EQ(host.activate(), S_OK);
  host.down(VK_SHIFT);
  host.up(VK_SHIFT);
  EXPECT_FALSE(host.thread_mgr().last_answers().first);
  EXPECT_EQ(host.button_text(), kKha);
}

}  // namespace
}  // namespace sorla::host
