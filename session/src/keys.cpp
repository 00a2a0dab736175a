// Keys as the text service reports them: virtual-key code, typed character
// and modifiers, turned into session inputs.
#include <optional>

#include "chars.h"
#include "sorla/session.h"

namespace sorla {
namespace {

std::optional<char32_t> printable(std::optional<char32_t> ch) {
  if (ch && is_printable(*ch)) return ch;
  return std::nullopt;
}

bool is_arrow(std::uint32_t key) { return key >= vk::Left && key <= vk::Down; }

// The keys with a meaning of their own in the session, pressed without Ctrl
// and Alt. Shift with an arrow extends a selection, so it is none of them.
std::optional<SessionInput> named_input(std::uint32_t key, bool shift) {
  switch (key) {
    case vk::Back:
      return input::Backspace;
    case vk::Tab:
      return shift ? input::ShiftTab : input::Tab;
    case vk::Return:
      return input::Enter;
    case vk::Escape:
      return input::Escape;
    case vk::Space:
      return input::Space;
    case vk::Left:
      return shift ? std::nullopt : std::optional(input::Left);
    case vk::Up:
      return shift ? std::nullopt : std::optional(input::Up);
    case vk::Right:
      return shift ? std::nullopt : std::optional(input::Right);
    case vk::Down:
      return shift ? std::nullopt : std::optional(input::Down);
    default:
      return std::nullopt;
  }
}

// The input a key stands for, or none when the key only ends the composition.
std::optional<SessionInput> key_input(std::uint32_t key, std::optional<char32_t> c,
                                      Modifiers mods) {
  if (mods.ctrl != mods.alt) return std::nullopt;
  if (mods.ctrl) return c;  // Ctrl+Alt together is AltGr: only its character counts
  if (auto named = named_input(key, mods.shift)) return named;
  if (is_arrow(key)) return std::nullopt;
  return c;
}

bool is_modifier_or_lock(std::uint32_t key) {
  switch (key) {
    case vk::Shift:
    case vk::Control:
    case vk::Alt:
    case vk::CapsLock:
    case vk::LWin:
    case vk::RWin:
    case vk::NumLock:
    case vk::ScrollLock:
      return true;
    default:
      return key >= vk::LShift && key <= vk::RMenu;
  }
}

}  // namespace

SessionOutput Session::handle_key(std::uint32_t key, std::optional<char32_t> ch, Modifiers mods) {
  if (!would_eat(key, ch, mods)) return {};
  const std::optional<char32_t> c = printable(ch);
  const std::optional<SessionInput> in = key_input(key, c, mods);
  SessionOutput out = in ? apply(*in) : reset();
  // A character that ends the word is written by the service itself, after
  // the commit, so the two arrive in order.
  if (c && !mods.ctrl && !mods.alt && !out.eaten) {
    append_utf8(out.commit, *c);
    out.eaten = true;
  }
  return out;
}

bool Session::would_eat(std::uint32_t key, std::optional<char32_t> ch, Modifiers mods) const {
  // In English mode, and for keys that would only pass through, the
  // application must see the real key: shortcuts, games and web pages
  // listen to key-downs.
  if (english_) return false;
  if (!typed_.empty()) return !is_modifier_or_lock(key);
  const std::optional<SessionInput> in = key_input(key, printable(ch), mods);
  if (!in) return false;
  if (*in == input::Backspace) return !undo_.empty();
  return *in < 0x110000 && (is_ascii_letter(*in) || *in == U'.');
}

}  // namespace sorla
