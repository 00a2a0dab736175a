// Keys as the text service reports them: which are claimed, what they do.
#include <cstdint>

#include "session_fixture.h"

namespace sorla {
namespace {

constexpr Modifiers kShift{true, false, false};
constexpr Modifiers kCtrl{false, true, false};
constexpr Modifiers kAlt{false, false, true};
constexpr Modifiers kAltGr{false, true, true};
constexpr std::uint32_t kF5 = 0x74;
constexpr std::uint32_t kDelete = 0x2E;
constexpr std::uint32_t kOem1 = 0xBA;  // the ; key on a US layout

const std::uint32_t kNamedKeys[] = {vk::Back, vk::Tab, vk::Return, vk::Escape, vk::Space,
                                    vk::Left, vk::Up,  vk::Right,  vk::Down};
const std::uint32_t kModifierKeys[] = {
    vk::Shift,      vk::Control, vk::Alt, vk::CapsLock, vk::LWin, vk::RWin, vk::NumLock,
    vk::ScrollLock, 160,         161,     162,          163,      164,      vk::RMenu};

TEST_F(SessionTest, PrintableCharactersAreAlwaysClaimed) {
  EXPECT_TRUE(session.would_eat('A', U'a', {}));
  EXPECT_TRUE(session.would_eat('A', U'A', kShift));
  EXPECT_TRUE(session.would_eat(kOem1, U';', {}));
  EXPECT_EQ(session.handle_key('A', U'a', {}), kEatenNothing);
  EXPECT_EQ(session.typed(), "a");
  EXPECT_EQ(session.handle_key('A', U'A', kShift), kEatenNothing);
  EXPECT_EQ(session.typed(), "aA");

  session.reset();
  session.apply(input::ToggleMode);
  EXPECT_TRUE(session.would_eat('A', U'a', {}));
  // In English mode the session writes the character itself.
  EXPECT_EQ(session.handle_key('A', U'a', {}), committed("a"));
  EXPECT_EQ(session.handle_key(kOem1, U':', kShift), committed(":"));
  EXPECT_EQ(session.typed(), "");
}

TEST_F(SessionTest, NamedKeysAreClaimedOnlyInKhmerMode) {
  for (std::uint32_t key : kNamedKeys) {
    EXPECT_TRUE(session.would_eat(key, std::nullopt, {})) << key;
  }
  EXPECT_TRUE(session.would_eat(vk::Tab, std::nullopt, kShift));
  for (std::uint32_t key : {vk::Left, vk::Up, vk::Right, vk::Down}) {
    EXPECT_FALSE(session.would_eat(key, std::nullopt, kShift)) << key;
  }
  EXPECT_FALSE(session.would_eat(kF5, std::nullopt, {}));
  EXPECT_FALSE(session.would_eat(kDelete, std::nullopt, {}));

  session.apply(input::ToggleMode);
  for (std::uint32_t key : kNamedKeys) {
    EXPECT_FALSE(session.would_eat(key, std::nullopt, {})) << key;
    EXPECT_EQ(session.handle_key(key, std::nullopt, {}), kLetThrough) << key;
  }
  // Enter's character is a control character: never written by the session.
  EXPECT_EQ(session.handle_key(vk::Return, U'\r', {}), kLetThrough);
}

TEST_F(SessionTest, NamedKeysDriveTheComposition) {
  for (char c : std::string("sabay")) session.handle_key(c - 'a' + 'A', c, {});
  EXPECT_EQ(session.typed(), "sabay");
  EXPECT_EQ(session.handle_key(vk::Right, std::nullopt, {}), kEatenNothing);
  EXPECT_EQ(session.handle_key(vk::Tab, std::nullopt, kShift), kEatenNothing);
  EXPECT_EQ(session.selected(), 1u);
  EXPECT_EQ(session.handle_key(vk::Back, U'\b', {}), kEatenNothing);
  EXPECT_EQ(session.typed(), "saba");

  session.apply('y');
  session.apply(input::Down);
  const std::string second = session.candidates()[1];
  // Space commits; the space itself is not written.
  EXPECT_EQ(session.handle_key(vk::Space, U' ', {}), committed(second));
  EXPECT_EQ(session.handle_key(vk::Back, U'\b', {}), retracted(second));
}

TEST_F(SessionTest, ModifierKeysLeaveTheCompositionAlone) {
  type("sab");
  for (std::uint32_t key : kModifierKeys) {
    for (Modifiers mods : {Modifiers{}, kShift, kCtrl, kAlt, kAltGr}) {
      EXPECT_FALSE(session.would_eat(key, std::nullopt, mods)) << key;
      EXPECT_EQ(session.handle_key(key, std::nullopt, mods), kLetThrough) << key;
    }
  }
  EXPECT_EQ(session.typed(), "sab");
}

TEST_F(SessionTest, ShortcutsAndOtherKeysEndTheCompositionAndPassOn) {
  type("sabay");
  session.apply(input::Space);
  // Idle, a Ctrl shortcut or a function key is none of the session's business.
  EXPECT_FALSE(session.would_eat('C', std::nullopt, kCtrl));
  EXPECT_EQ(session.handle_key('C', std::nullopt, kCtrl), kLetThrough);
  EXPECT_EQ(session.handle_key(kF5, std::nullopt, {}), kLetThrough);

  struct Key {
    std::uint32_t code;
    std::optional<char32_t> ch;
    Modifiers mods;
  };
  for (const Key& k : {Key{'C', std::nullopt, kCtrl}, Key{'C', U'c', kCtrl}, Key{'F', U'f', kAlt},
                       Key{kF5, std::nullopt, {}}, Key{kDelete, std::nullopt, {}},
                       Key{vk::Left, std::nullopt, kShift}, Key{vk::Space, U' ', kCtrl},
                       Key{vk::Back, std::nullopt, kAlt}}) {
    type("sab");
    EXPECT_TRUE(session.would_eat(k.code, k.ch, k.mods)) << k.code;
    EXPECT_EQ(session.handle_key(k.code, k.ch, k.mods), committed("sab", false)) << k.code;
    EXPECT_EQ(session.typed(), "");
    EXPECT_TRUE(session.undo().empty());
  }
}

TEST_F(SessionTest, AltGrCharactersGoThroughTheSession) {
  // Ctrl and Alt together type a character; only the character counts.
  EXPECT_TRUE(session.would_eat('Q', U'@', kAltGr));
  EXPECT_EQ(session.handle_key('Q', U'@', kAltGr), kLetThrough);
  type("sabay");
  EXPECT_EQ(session.handle_key('Q', U'@', kAltGr), committed(kSabay + "@"));

  session.apply(input::ToggleMode);
  EXPECT_FALSE(session.would_eat('Q', U'@', kAltGr));
  EXPECT_FALSE(session.would_eat('Q', std::nullopt, kAltGr));
}

TEST_F(SessionTest, OnlyPrintableCharactersCount) {
  EXPECT_EQ(session.handle_key('1', U'1', {}), committed("1"));
  EXPECT_EQ(session.handle_key(kOem1, U' ', {}), committed(" "));
  EXPECT_EQ(session.handle_key(kOem1, U'\u00A0', {}), committed("\xC2\xA0"));
  EXPECT_EQ(session.handle_key(kOem1, U'\U0001F600', {}), committed("\xF0\x9F\x98\x80"));
  for (char32_t c : {U'\x1F', U'\x7F', U'\u0080', U'\u009F'}) {
    EXPECT_FALSE(session.would_eat(kOem1, c, {})) << static_cast<std::uint32_t>(c);
    EXPECT_EQ(session.handle_key(kOem1, c, {}), kLetThrough) << static_cast<std::uint32_t>(c);
  }

  // A value that is no Unicode scalar is never written, nor read as a named key.
  for (char32_t c : {char32_t{0xD800}, char32_t{0x110000}, char32_t{0x110009}}) {
    EXPECT_FALSE(session.would_eat(kOem1, c, {})) << static_cast<std::uint32_t>(c);
    EXPECT_EQ(session.handle_key(kOem1, c, {}), kLetThrough) << static_cast<std::uint32_t>(c);
    type("sab");
    EXPECT_EQ(session.handle_key(kOem1, c, {}), committed("sab", false))
        << static_cast<std::uint32_t>(c);
  }
}

}  // namespace
}  // namespace sorla
