#include "sorla/front_end.h"

#include "chars.h"
#include "keys.h"

namespace sorla {

FrontEnd::FrontEnd(Engine& engine) : session_(engine) {}

// A key the test claims "would be handled and the event should not be
// forwarded to the application" (ITfKeystrokeMgr::TestKeyDown), and an
// application served through IMM32 gets it as VK_PROCESSKEY (ImmGetVirtualKey),
// seeing the real key only if the input method sends it again, which nothing
// documents TSF doing after a real call that let it go. So a key is claimed
// only when the typing eats it; any other key reaches the application
// untouched, and a word being typed stays as it is.
std::optional<SessionInput> FrontEnd::claimed(const KeyEvent& key, const KeyTarget& target) const {
  // Nowhere to write, or a field that is not for Khmer text: the
  // application gets its keys as they are.
  const bool khmer_field = field_ == FieldKind::Text || field_ == FieldKind::NoLearn;
  if (!target.document || target.read_only || target.keyboard_off || !khmer_field) {
    return std::nullopt;
  }
  const std::optional<SessionInput> in = key_input(key.vk, printable(key.ch), key.mods);
  if (!in || !claims(*in)) return std::nullopt;
  return in;
}

// The inputs the session eats (its `apply`), the key-up Shift tap aside.
bool FrontEnd::claims(SessionInput in) const {
  if (session_.english()) return false;
  if (!session_.typed().empty()) return true;
  if (in == input::Backspace) return !session_.undo().empty();
  return in < 0x110000 && (is_ascii_letter(in) || in == U'.');
}

void FrontEnd::set_field(FieldKind kind) {
  field_ = kind;
  session_.set_learning(learning_allowed_ && kind != FieldKind::NoLearn);
}

void FrontEnd::set_learning_allowed(bool on) {
  learning_allowed_ = on;
  set_field(field_);
}

bool FrontEnd::test_key_down(const KeyEvent& key, const KeyTarget& target, std::uint64_t now_ms) {
  shift_tap_.key_down(key.vk, key.mods, key.repeat, now_ms);
  return claimed(key, target).has_value();
}

Answer FrontEnd::key_down(const KeyEvent& key, const KeyTarget& target, std::uint64_t now_ms) {
  shift_tap_.key_down(key.vk, key.mods, key.repeat, now_ms);
  const std::optional<SessionInput> in = claimed(key, target);
  if (!in) return Answer{false, {}, session_.view()};
  SessionOutput out = session_.apply(*in);
  if (!out.eaten) {
    // Letters nobody recognised went out as typed. A space follows them,
    // written here after the commit so that the two arrive in order; Enter
    // only commits them, as in every input method, since the key was
    // claimed: the application sees the next Enter.
    const std::optional<char32_t> c = printable(key.ch);
    if (c && !key.mods.ctrl && !key.mods.alt) {
      append_utf8(out.commit, *c);
      out.eaten = true;
    } else if (*in == input::Enter) {
      out.eaten = true;
    }
  }
  return answer(out);
}

bool FrontEnd::test_key_up(std::uint32_t vk, std::uint64_t now_ms) const {
  return shift_switches_english_ && shift_tap_.would_tap(vk, now_ms);
}

Answer FrontEnd::key_up(std::uint32_t vk, std::uint64_t now_ms) {
  if (!shift_switches_english_ || !shift_tap_.take(vk, now_ms)) {
    return Answer{false, {}, session_.view()};
  }
  Answer result = toggle();
  result.eaten = false;
  return result;
}

Answer FrontEnd::toggle() { return apply(input::ToggleMode); }

Answer FrontEnd::apply(SessionInput in) { return answer(session_.apply(in)); }

Answer FrontEnd::choose(std::size_t index) { return answer(session_.choose(index)); }

Answer FrontEnd::select(std::size_t index) {
  session_.select(index);
  return Answer{false, {}, session_.view()};
}

Answer FrontEnd::finish() {
  const SessionOutput out = session_.reset();
  Answer result{false, {}, session_.view()};
  if (composing_) result.plan = plan_finish(out.commit);
  composing_ = false;
  return result;
}

void FrontEnd::composition_ended() {
  session_.reset();
  composing_ = false;
}

Answer FrontEnd::answer(const SessionOutput& out) {
  Answer result{out.eaten, plan_output(out, session_.typed(), composing_), session_.view()};
  composing_ = !session_.typed().empty();
  return result;
}

}  // namespace sorla
