#include "keys.h"

#include "chars.h"

namespace sorla {
namespace {

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
    case vk::Next:
      return shift ? std::nullopt : std::optional(input::PageDown);
    case vk::Prior:
      return shift ? std::nullopt : std::optional(input::PageUp);
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<char32_t> printable(std::optional<char32_t> ch) {
  if (ch && is_printable(*ch)) return ch;
  return std::nullopt;
}

std::optional<SessionInput> key_input(std::uint32_t key, std::optional<char32_t> c,
                                      Modifiers mods) {
  if (mods.ctrl != mods.alt) return std::nullopt;
  if (mods.ctrl) return c;  // Ctrl+Alt together is AltGr: only its character counts
  if (auto named = named_input(key, mods.shift)) return named;
  if (is_arrow(key)) return std::nullopt;
  return c;
}

}  // namespace sorla
