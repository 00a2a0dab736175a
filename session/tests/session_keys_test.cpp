// Keys as the text service reports them: which are claimed, what they do.
#include <cstdint>

#include "session_fixture.h"
#include "sorla/text.h"

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

// Only a key the session acts on is claimed: the application sees every
// other one as the real key.
TEST_F(SessionTest, IdleOnlyLettersFullStopAndUndoAreClaimed) {
  EXPECT_TRUE(session.would_eat('A', U'a', {}));
  EXPECT_TRUE(session.would_eat(0xBE, U'.', {}));
  for (std::uint32_t key : kNamedKeys) {
    EXPECT_FALSE(session.would_eat(key, std::nullopt, {})) << key;
    EXPECT_EQ(session.handle_key(key, std::nullopt, {}), kLetThrough) << key;
  }
  for (char32_t c : {U'1', U';', U' ', U',', U'\u00A0'}) {
    EXPECT_FALSE(session.would_eat(kOem1, c, {})) << static_cast<std::uint32_t>(c);
  }
  EXPECT_EQ(session.handle_key('A', U'A', kShift), kEatenNothing);
  EXPECT_EQ(session.typed(), "A");
  session.apply(input::Escape);
  EXPECT_TRUE(session.would_eat(vk::Back, std::nullopt, {}));  // takes back "A"

  // English mode claims nothing; the Shift tap is watched on key-up.
  session.apply(input::ToggleMode);
  for (std::uint32_t key : kNamedKeys)
    EXPECT_FALSE(session.would_eat(key, std::nullopt, {})) << key;
  EXPECT_FALSE(session.would_eat('A', U'a', {}));
  EXPECT_EQ(session.handle_key('A', U'a', {}), kLetThrough);
  EXPECT_EQ(session.handle_key(vk::Return, U'\r', {}), kLetThrough);
}

TEST_F(SessionTest, NamedKeysWhileComposingAreClaimed) {
  type("sab");
  for (std::uint32_t key : kNamedKeys) {
    EXPECT_TRUE(session.would_eat(key, std::nullopt, {})) << key;
  }
  EXPECT_TRUE(session.would_eat(vk::Tab, std::nullopt, kShift));
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
  EXPECT_FALSE(session.would_eat('Q', U'@', kAltGr));
  EXPECT_TRUE(session.would_eat('Q', U'a', kAltGr));
  type("sabay");
  EXPECT_EQ(session.handle_key('Q', U'@', kAltGr), committed(kSabay + "@"));

  session.apply(input::ToggleMode);
  EXPECT_FALSE(session.would_eat('Q', U'@', kAltGr));
  EXPECT_FALSE(session.would_eat('Q', std::nullopt, kAltGr));
}

TEST_F(SessionTest, OnlyPrintableCharactersCount) {
  // Any printable character ends the word and follows it.
  for (const std::string_view ch : {" ", "\xC2\xA0", "\xF0\x9F\x98\x80"}) {
    type("qqqqqxqqqq");  // no candidates: the letters go out as typed
    std::size_t pos = 0;
    const char32_t c = next_char(ch, pos);
    EXPECT_EQ(session.handle_key(kOem1, c, {}), committed("qqqqqxqqqq" + std::string(ch)));
  }
  // A control character or a value that is no Unicode scalar is never
  // written, nor read as a named key: it only ends the word.
  for (char32_t c :
       {U'\x1F', U'\x7F', U'\u009F', char32_t{0xD800}, char32_t{0x110000}, char32_t{0x110009}}) {
    EXPECT_FALSE(session.would_eat(kOem1, c, {})) << static_cast<std::uint32_t>(c);
    type("sab");
    EXPECT_EQ(session.handle_key(kOem1, c, {}), committed("sab", false))
        << static_cast<std::uint32_t>(c);
  }
}

}  // namespace
}  // namespace sorla
