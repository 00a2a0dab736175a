// The US keyboard both ways and the key-script notation.
#include "sorla/key_script.h"

#include <gtest/gtest.h>

#include "sorla/keyboard.h"

namespace sorla {
namespace {

std::vector<KeyEvent> parse_ok(std::string_view script) {
  auto result = parse_key_script(script);
  EXPECT_TRUE(std::holds_alternative<std::vector<KeyEvent>>(result)) << script;
  if (auto* keys = std::get_if<std::vector<KeyEvent>>(&result)) return *keys;
  return {};
}

std::string parse_error(std::string_view script) {
  auto result = parse_key_script(script);
  if (auto* message = std::get_if<std::string>(&result)) return *message;
  return "";
}

TEST(UsKeyboard, MapsCharactersToKeysAndShift) {
  struct Case {
    char32_t c;
    std::uint32_t vk;
    bool shift;
  };
  for (const Case& k :
       {Case{'a', 'A', false}, Case{'S', 'S', true}, Case{'7', '7', false}, Case{'&', '7', true},
        Case{')', '0', true}, Case{' ', 32, false}, Case{'.', 190, false}, Case{'>', 190, true},
        Case{'\'', 222, false}, Case{'"', 222, true}, Case{'-', 189, false}, Case{'_', 189, true},
        Case{'\\', 220, false}, Case{'~', 192, true}}) {
    const auto key = us_key(k.c);
    ASSERT_TRUE(key) << static_cast<std::uint32_t>(k.c);
    EXPECT_EQ(key->vk, k.vk) << static_cast<std::uint32_t>(k.c);
    EXPECT_EQ(key->shift, k.shift) << static_cast<std::uint32_t>(k.c);
  }
  EXPECT_FALSE(us_key(U'\u1780'));
  EXPECT_FALSE(us_key('\x01'));
}

TEST(UsKeyboard, CharacterKeysCarryTheirCharacter) {
  const KeyEvent s = key_for_char('S');
  EXPECT_EQ(s.vk, 'S');
  EXPECT_TRUE(s.mods.shift);
  EXPECT_EQ(s.ch, U'S');
  const KeyEvent khmer = key_for_char(U'\u17D4');
  EXPECT_EQ(khmer.vk, kVkPacket);
  EXPECT_EQ(khmer.ch, U'\u17D4');
  const KeyEvent tab = key_for_char('\t');
  EXPECT_EQ(tab.vk, vk::Tab);
  EXPECT_FALSE(tab.ch);
  const KeyEvent ctrl = ctrl_key('s');
  EXPECT_TRUE(ctrl.mods.ctrl);
  EXPECT_FALSE(ctrl.ch);
  EXPECT_EQ(ctrl.vk, 'S');
}

TEST(KeyScript, CharactersAndNamedKeys) {
  const auto keys = parse_ok("Sa {shift+tab}{bksp}{{{toggle}{ctrl+s}{space}");
  ASSERT_EQ(keys.size(), 9u);
  EXPECT_EQ(keys[0].ch, U'S');
  EXPECT_TRUE(keys[0].mods.shift);
  EXPECT_EQ(keys[1].ch, U'a');
  EXPECT_EQ(keys[2].vk, vk::Space);
  EXPECT_EQ(keys[2].ch, U' ');
  EXPECT_EQ(keys[3].vk, vk::Tab);
  EXPECT_TRUE(keys[3].mods.shift);
  EXPECT_EQ(keys[4].vk, vk::Back);
  EXPECT_EQ(keys[5].ch, U'{');
  EXPECT_TRUE(keys[6].toggle);
  EXPECT_TRUE(keys[7].mods.ctrl);
  EXPECT_EQ(keys[8].vk, vk::Space);
  const auto all = parse_ok("{enter}{tab}{left}{right}{up}{down}{esc}{pgdn}{pgup}");
  const std::vector<std::uint32_t> vks{vk::Return, vk::Tab,    vk::Left, vk::Right, vk::Up,
                                       vk::Down,   vk::Escape, vk::Next, vk::Prior};
  ASSERT_EQ(all.size(), vks.size());
  for (std::size_t i = 0; i < vks.size(); ++i) EXPECT_EQ(all[i].vk, vks[i]);
  EXPECT_TRUE(parse_ok("").empty());
  EXPECT_EQ(parse_ok("\xE1\x9E\x80")[0].ch, U'\u1780');
}

TEST(KeyScript, CtrlShortcut) {
  const auto keys = parse_ok("{ctrl+s}");
  ASSERT_EQ(keys.size(), 1u);
  EXPECT_TRUE(keys[0].mods.ctrl);
  EXPECT_EQ(keys[0].vk, 'S');
  EXPECT_FALSE(keys[0].ch);
}

TEST(KeyScript, RefusesWhatItCannotType) {
  EXPECT_NE(parse_error("ab{enter"), "");
  EXPECT_NE(parse_error("{return}"), "");
  EXPECT_NE(parse_error("{ctrl+}"), "");
  EXPECT_NE(parse_error("{ctrl+ab}"), "");
  EXPECT_NE(parse_error("a\x01"), "");
  EXPECT_NE(parse_error("\xFF"), "");
  EXPECT_EQ(parse_ok("}")[0].ch, U'}');  // a lone closing brace is a character
}

TEST(KeyScript, LabelsParseBackToTheirKeys) {
  const std::string script = "Sa {shift+tab}{bksp}{{{toggle}{ctrl+s}{enter}{esc}{left}\xE1\x9E\x80";
  std::string labels;
  for (const KeyEvent& key : parse_ok(script)) labels += key_label(key);
  EXPECT_EQ(labels, "Sa{space}{shift+tab}{bksp}{{{toggle}{ctrl+s}{enter}{esc}{left}\xE1\x9E\x80");
  EXPECT_EQ(parse_ok(labels), parse_ok(script));
}

TEST(UsKeyboard, KeysToCharacters) {
  EXPECT_EQ(key_to_char('A', false, false), U'a');
  EXPECT_EQ(key_to_char('A', true, false), U'A');
  EXPECT_EQ(key_to_char('A', false, true), U'A');
  EXPECT_EQ(key_to_char('A', true, true), U'a');
  EXPECT_EQ(key_to_char('3', true, false), U'#');
  EXPECT_EQ(key_to_char(0x60 + 7, false, false), U'7');  // keypad
  EXPECT_EQ(key_to_char(0xBA, true, false), U':');
  EXPECT_EQ(key_to_char(0x6B, true, false), U'+');
  EXPECT_FALSE(key_to_char(0x74, false, false));  // F5
  EXPECT_FALSE(key_character('A', KeyState{{false, true, false}, false}));
  // Every character the layout has comes back from its key.
  for (char32_t c = 0x20; c < 0x7F; ++c) {
    const auto key = us_key(c);
    ASSERT_TRUE(key) << static_cast<char>(c);
    EXPECT_EQ(key_to_char(key->vk, key->shift, false), c) << static_cast<char>(c);
  }
}

TEST(ShiftTapRule, TimeLimitRepeatsAndOtherKeys) {
  ShiftTap tap;
  tap.key_down(vk::Shift, {}, false, 1000);
  tap.key_down(vk::Shift, {true, false, false}, true, 1400);  // auto-repeat keeps the start
  EXPECT_FALSE(tap.would_tap(vk::Shift, 1501));
  tap.key_down(0xA0, {}, false, 2000);
  EXPECT_TRUE(tap.would_tap(0xA1, 2500));
  EXPECT_TRUE(tap.take(0xA1, 2500));
  EXPECT_FALSE(tap.take(0xA1, 2500));  // used up
  tap.key_down(vk::Shift, {}, false, 3000);
  tap.key_down('A', {true, false, false}, false, 3010);  // Shift+A: no tap
  EXPECT_FALSE(tap.take(vk::Shift, 3020));
  tap.key_down(vk::Shift, {false, true, false}, false, 4000);  // with Ctrl held
  EXPECT_FALSE(tap.take(vk::Shift, 4010));
}

}  // namespace
}  // namespace sorla
