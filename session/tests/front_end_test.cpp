// Typing through the front end: which keys are claimed, in every state, and
// key scripts run as edit plans on the model document with unclaimed keys
// typed by the editor. The flows `sorla type`, `sorla try` and the text
// service share, on the real session and engine with the built-in word list.
#include "sorla/front_end.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "sorla/key_script.h"
#include "sorla/text_document.h"

namespace sorla {
namespace {

Engine seed_engine() { return std::get<Engine>(Engine::from_bytes(seed_words())); }

std::vector<KeyEvent> keys_of(std::string_view script) {
  return std::get<std::vector<KeyEvent>>(parse_key_script(script));
}

// Every key the platform can report: each virtual key with each set of
// modifiers and both Caps Lock states, its character from the US layout, and
// packet keys carrying characters no key has, control characters and values
// that are no character among them.
std::vector<KeyEvent> every_key() {
  std::vector<KeyEvent> keys;
  for (std::uint32_t vk = 0; vk < 256; ++vk) {
    for (int m = 0; m < 8; ++m) {
      for (const bool caps : {false, true}) {
        KeyState state{{(m & 1) != 0, (m & 2) != 0, (m & 4) != 0}, caps};
        keys.push_back(KeyEvent{false, vk, key_character(vk, state), state.mods});
      }
    }
  }
  for (const char32_t c : {U'k', U'.', U'1', U'\u1780', U'\u00A0', U'\x1F', U'\x7F', U'\u009F',
                           char32_t{0xD800}, char32_t{0x110000}, char32_t{input::Backspace}}) {
    keys.push_back(KeyEvent{false, kVkPacket, c, {}});
  }
  return keys;
}

struct State {
  std::string name;
  std::function<void(FrontEnd&, TextDocument&)> reach;
  KeyTarget target;
  bool khmer = false;  // Khmer typing goes on here
};

bool is_modifier(std::uint32_t vk) {
  return vk == vk::Shift || vk == vk::Control || vk == vk::Alt || vk == vk::CapsLock ||
         vk == vk::LWin || vk == vk::RWin || vk == vk::NumLock || vk == vk::ScrollLock ||
         (vk >= vk::LShift && vk <= vk::RMenu);
}

// The test call answers exactly what the real call then does, for every key
// in every state; a key let through changes nothing of ours; modifiers, and
// any key where no Khmer typing happens, are never claimed.
TEST(FrontEndKeys, TheTestCallAnswersWhatTheRealCallDoes) {
  const auto typed = [](std::string script) {
    return [script](FrontEnd& fe, TextDocument& doc) {
      for (const KeyEvent& key : keys_of(script)) press(fe, doc, key);
    };
  };
  const auto field = [](FieldKind kind, std::string script) {
    return [kind, script](FrontEnd& fe, TextDocument& doc) {
      for (const KeyEvent& key : keys_of(script)) press(fe, doc, key);
      fe.set_field(kind);
    };
  };
  const std::vector<State> states = {
      {"idle", typed(""), {}, true},
      {"idle after a commit", typed("ban "), {}, true},
      {"composing with candidates", typed("sab"), {}, true},
      {"composing on a further page", typed("ot{pgdn}"), {}, true},
      {"composing without candidates", typed("qqqqqxqqqq"), {}, true},
      {"English", typed("ban {toggle}"), {}},
      {"plain field", field(FieldKind::Plain, "ban sab"), {}},
      {"private field", field(FieldKind::Private, "ban sab"), {}},
      {"private window's field", field(FieldKind::NoLearn, "ban sab"), {}, true},
      {"no document", typed("ban sab"), {false, false, false}},
      {"read-only document", typed("ban sab"), {true, true, false}},
      {"keyboard turned off", typed("ban sab"), {true, false, true}},
  };
  const std::vector<KeyEvent> keys = every_key();
  std::vector<std::string> faults;
  for (const State& state : states) {
    Engine engine = seed_engine();
    FrontEnd reached(engine);
    TextDocument doc;
    state.reach(reached, doc);
    for (const KeyEvent& key : keys) {
      FrontEnd tested = reached, real = reached;
      const bool claimed = tested.test_key_down(key, state.target);
      const Answer answer = real.key_down(key, state.target);
      std::ostringstream fault;
      if (claimed != answer.eaten) fault << "test " << claimed << ", real " << answer.eaten;
      if (!claimed && (!answer.plan.empty() || real.view() != reached.view() ||
                       real.session().undo().size() != reached.session().undo().size())) {
        fault << "let through, yet changed the typing";
      }
      if (claimed && (is_modifier(key.vk) || !state.khmer)) fault << "claimed";
      if (!fault.str().empty()) {
        faults.push_back(state.name + ": " + key_label(key) + " vk " + std::to_string(key.vk) +
                         " shift " + std::to_string(key.mods.shift) + " ctrl " +
                         std::to_string(key.mods.ctrl) + " alt " + std::to_string(key.mods.alt) +
                         ": " + fault.str());
      }
    }
  }
  EXPECT_EQ(faults.size(), 0u);
  for (std::size_t i = 0; i < faults.size() && i < 10; ++i) ADD_FAILURE() << faults[i];
}

class FrontEndTyping : public ::testing::Test {
 protected:
  std::string type(std::string_view script) {
    for (const KeyEvent& key : keys_of(script)) last_ = press(front_end_, doc_, key);
    return doc_.visible();
  }
  std::uint32_t learned_count(const std::string& typed) const {
    std::uint32_t total = 0;
    for (const auto& [key, count] : engine_.learned().entries()) {
      if (key.typed == typed) total += count;
    }
    return total;
  }

  Engine engine_ = seed_engine();
  FrontEnd front_end_{engine_};
  TextDocument doc_;
  Answer last_;
};

TEST_F(FrontEndTyping, SentenceAndCompositionLeftOver) {
  EXPECT_EQ(type("khnhom chong tov "), "ខ្ញុំចង់ទៅ");
  EXPECT_EQ(type("sal"), "ខ្ញុំចង់ទៅsal");
  EXPECT_EQ(doc_.composition, "sal");
  type("{bksp}{bksp}{bksp}");
  EXPECT_EQ(doc_.composition, std::nullopt);
  EXPECT_EQ(doc_.visible(), "ខ្ញុំចង់ទៅ");
}

TEST_F(FrontEndTyping, CapitalLettersComposeAndSpaceLearns) {
  EXPECT_EQ(type("Sabay"), "Sabay");
  const std::string first = front_end_.view().candidates.at(0);
  EXPECT_EQ(type(" "), first);
  EXPECT_EQ(learned_count("sabay"), 1u);
}

// Keys the session gives a meaning of their own, and the characters that
// end a word and follow it (AltGr's among them).
// A private window's field types as any other and leaves no pick behind;
// Backspace still takes a word back.
TEST_F(FrontEndTyping, PrivateWindowsTypeButLearnNothing) {
  front_end_.set_field(FieldKind::NoLearn);
  EXPECT_EQ(type("ban sabay "), "បានសប្បាយ");
  EXPECT_EQ(type("{bksp}"), "បាន");
  EXPECT_EQ(learned_count("ban") + learned_count("sabay"), 0u);
  EXPECT_TRUE(engine_.learned().unsaved().empty());
  front_end_.set_field(FieldKind::Text);
  type("ban ");
  EXPECT_EQ(learned_count("ban"), 1u);

  // The user's "learn from what I type" off: no field learns, whatever
  // field comes next; on again, the field's own kind rules.
  front_end_.set_learning_allowed(false);
  front_end_.set_field(FieldKind::Text);
  type("ban ");
  EXPECT_EQ(learned_count("ban"), 1u);
  front_end_.set_learning_allowed(true);
  type("ban ");
  EXPECT_EQ(learned_count("ban"), 2u);
}

TEST_F(FrontEndTyping, NamedKeysAndCharactersEndingAWord) {
  type("sabay{right}{shift+tab}");
  EXPECT_EQ(front_end_.view().selected, 1u);
  const std::string second = front_end_.view().candidates.at(1);
  EXPECT_EQ(type(","), second + ",");
  KeyEvent at_sign{false, 'Q', U'@', {false, true, true}};  // AltGr+Q on some layouts
  type("ban");
  last_ = press(front_end_, doc_, at_sign);
  EXPECT_EQ(doc_.visible(), second + ",បាន@");
  EXPECT_EQ(type("{bksp}"), second + ",");  // the word and its character together
}

TEST_F(FrontEndTyping, EnglishModeLetsEveryKeyThrough) {
  EXPECT_EQ(type("kh{toggle}"), "kh");
  EXPECT_TRUE(front_end_.view().english);
  EXPECT_EQ(type("ot te.{enter}"), "khot te.\n");
  EXPECT_EQ(type("{bksp}{toggle}ban "), "khot te.បាន");
}

// Keys that only pass through are the editor's: the application sees the
// real key, and the document ends up the same. The editor's typing is a
// moved selection: Backspace then deletes the space, not the word before it.
TEST_F(FrontEndTyping, IdleKeysReachTheEditor) {
  EXPECT_EQ(type("1, {enter}"), "1, \n");
  EXPECT_FALSE(last_.eaten);
  EXPECT_EQ(type("ban,"), "1, \nបាន,");  // a comma ending a word follows the commit
  EXPECT_TRUE(last_.eaten);
  EXPECT_EQ(type(" {bksp}"), "1, \nបាន,");
  EXPECT_FALSE(last_.eaten);
  EXPECT_EQ(type("{bksp}"), "1, \nបាន");
  EXPECT_EQ(learned_count("ban"), 1u);
}

// A shortcut, a function or editing key reaches the application and the
// letters stay as they are: a key claimed by the test and then let go may be
// lost (in applications served through IMM32 it arrives as VK_PROCESSKEY).
TEST_F(FrontEndTyping, ShortcutsReachTheApplicationAndKeepTheLetters) {
  EXPECT_EQ(type("khn{ctrl+s}"), "khn");
  EXPECT_FALSE(last_.eaten);
  EXPECT_EQ(doc_.composition, "khn");
}

// Letters nobody recognised: Enter commits them and is claimed, as in every
// input method; the next Enter is the application's.
TEST_F(FrontEndTyping, EnterCommitsUnknownLettersAndIsClaimed) {
  EXPECT_EQ(type("qqqqqxqqqq{enter}"), "qqqqqxqqqq");
  EXPECT_TRUE(last_.eaten);
  EXPECT_EQ(doc_.composition, std::nullopt);
  EXPECT_EQ(type("{enter}"), "qqqqqxqqqq\n");
  EXPECT_EQ(type("qqqqqxqqqq "), "qqqqqxqqqq\nqqqqqxqqqq ");
}

TEST_F(FrontEndTyping, OnlyTheLast32CommitsCanBeUndone) {
  std::string script;
  for (int i = 0; i < 33; ++i) script += "ban ";
  type(script);
  for (int i = 0; i < 32; ++i) type("{bksp}");
  EXPECT_EQ(doc_.text, "បាន");
  EXPECT_EQ(type("{bksp}"), "បា");
  EXPECT_FALSE(last_.eaten);
}

// Focus leaving the document: the letters go out as typed and the
// composition ends; a click chooses through the same session.
TEST_F(FrontEndTyping, FinishAndChoose) {
  type("sabay");
  const std::string second = front_end_.view().candidates.at(1);
  doc_.apply(front_end_.choose(1).plan);
  EXPECT_EQ(doc_.visible(), second);
  type("khn");
  const Answer finished = front_end_.finish();
  EXPECT_EQ(finished.plan, plan_finish("khn"));
  EXPECT_EQ(finished.view, SessionView{});
  EXPECT_TRUE(front_end_.finish().plan.empty());  // nothing open any more
}

}  // namespace
}  // namespace sorla
