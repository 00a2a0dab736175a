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
  const std::optional<char32_t> c = printable(ch);
  SessionOutput out;
  if (const std::optional<SessionInput> in = key_input(key, c, mods)) {
    out = apply(*in);
  } else if (would_eat(key, ch, mods)) {
    out = reset();
  }
  // A plain character the session lets through is written by the service
  // itself, after whatever was committed, so the two arrive in order.
  if (c && !mods.ctrl && !mods.alt && !out.eaten) {
    append_utf8(out.commit, *c);
    out.eaten = true;
  }
  return out;
}

bool Session::would_eat(std::uint32_t key, std::optional<char32_t> ch, Modifiers mods) const {
  const std::optional<char32_t> c = printable(ch);
  if (c && !mods.ctrl && !mods.alt) return true;
  if (mods.ctrl == mods.alt) {
    if (mods.ctrl ? c.has_value() : named_input(key, mods.shift).has_value()) return !english_;
  }
  return !typed_.empty() && !is_modifier_or_lock(key);
}

}  // namespace sorla
