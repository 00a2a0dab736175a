#include <gtest/gtest.h>

#include "key_decoder.h"
#include "key_event.h"
#include "key_script.h"

namespace sorla::cli {
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
  const auto all = parse_ok("{enter}{tab}{left}{right}{up}{down}{esc}");
  const std::vector<std::uint32_t> vks{vk::Return, vk::Tab,  vk::Left,  vk::Right,
                                       vk::Up,     vk::Down, vk::Escape};
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

Decoded decode(std::string_view bytes, bool more = true) {
  return decode_terminal_key(bytes, more);
}

TEST(TerminalKeys, ControlBytes) {
  EXPECT_EQ(decode("\x03").action, TermAction::Quit);
  EXPECT_EQ(decode("\x04").action, TermAction::Quit);
  EXPECT_TRUE(decode("\x14").key.toggle);
  EXPECT_EQ(decode("\x7f").key.vk, vk::Back);
  EXPECT_EQ(decode("\x08").key.vk, vk::Back);
  EXPECT_EQ(decode("\r").key.vk, vk::Return);
  EXPECT_EQ(decode("\n").key.vk, vk::Return);
  EXPECT_EQ(decode("\t").key.vk, vk::Tab);
  const Decoded ctrl_s = decode("\x13");
  EXPECT_TRUE(ctrl_s.key.mods.ctrl);
  EXPECT_EQ(ctrl_s.key.vk, 'S');
  const Decoded a = decode("ab");
  EXPECT_EQ(a.used, 1u);
  EXPECT_EQ(a.key.ch, U'a');
}

TEST(TerminalKeys, EscapeSequences) {
  struct Case {
    std::string_view bytes;
    std::uint32_t vk;
    bool shift;
  };
  for (const Case& c : {Case{"\x1b[A", vk::Up, false}, Case{"\x1b[B", vk::Down, false},
                        Case{"\x1b[C", vk::Right, false}, Case{"\x1b[D", vk::Left, false},
                        Case{"\x1bOA", vk::Up, false}, Case{"\x1bOD", vk::Left, false},
                        Case{"\x1b[Z", vk::Tab, true}, Case{"\x1b[1;2C", vk::Right, true}}) {
    const Decoded d = decode(c.bytes);
    EXPECT_EQ(d.action, TermAction::Key) << c.bytes.substr(1);
    EXPECT_EQ(d.used, c.bytes.size()) << c.bytes.substr(1);
    EXPECT_EQ(d.key.vk, c.vk) << c.bytes.substr(1);
    EXPECT_EQ(d.key.mods.shift, c.shift) << c.bytes.substr(1);
  }
  const Decoded del = decode("\x1b[3~x");
  EXPECT_EQ(del.used, 4u);
  EXPECT_NE(del.key.vk, vk::Back);
  EXPECT_FALSE(del.key.ch);
}

TEST(TerminalKeys, LoneEscapeWaitsThenIsEscape) {
  EXPECT_EQ(decode("\x1b", true).action, TermAction::NeedMore);
  EXPECT_EQ(decode("\x1b[", true).action, TermAction::NeedMore);
  EXPECT_EQ(decode("\x1b[1;", true).action, TermAction::NeedMore);
  const Decoded esc = decode("\x1b", false);
  EXPECT_EQ(esc.action, TermAction::Key);
  EXPECT_EQ(esc.key.vk, vk::Escape);
  EXPECT_EQ(esc.used, 1u);
  const Decoded cut = decode("\x1b[1", false);
  EXPECT_EQ(cut.action, TermAction::Ignore);
  EXPECT_EQ(cut.used, 3u);
  const Decoded alt = decode("\x1bx");
  EXPECT_TRUE(alt.key.mods.alt);
  EXPECT_FALSE(alt.key.ch);
}

TEST(TerminalKeys, Utf8Text) {
  EXPECT_EQ(decode("\xE1\x9E").action, TermAction::NeedMore);
  const Decoded ka = decode("\xE1\x9E\x80z");
  EXPECT_EQ(ka.used, 3u);
  EXPECT_EQ(ka.key.ch, U'\u1780');
  EXPECT_EQ(decode("\xE1\x9E", false).action, TermAction::Ignore);
  const Decoded stray = decode("\x80z");
  EXPECT_EQ(stray.action, TermAction::Ignore);
  EXPECT_EQ(stray.used, 1u);
  EXPECT_EQ(decode("\xE1z").used, 1u);
  EXPECT_EQ(decode("\xC2\x85").action, TermAction::Ignore);  // C1 control
}

}  // namespace
}  // namespace sorla::cli
