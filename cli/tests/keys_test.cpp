#include <gtest/gtest.h>

#include "key_decoder.h"

namespace sorla::cli {
namespace {

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
