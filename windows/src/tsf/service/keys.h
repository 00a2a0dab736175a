// From Windows key events to the session's key identities: the modifier
// state, the character a key types on a US layout, and the Shift-tap rule.
#pragma once

#include <cstdint>
#include <optional>

#include "sorla/session.h"

namespace sorla::tsf {

struct KeyState {
  Modifiers mods;
  bool caps_lock = false;
};

// The thread's key state as GetKeyState sees it now.
KeyState sample_key_state();

// The character of virtual key `vk` on a US keyboard; none for keys that
// type nothing and for codes of 256 and above. Only asked with neither Ctrl
// nor Alt down.
std::optional<char32_t> key_to_char(std::uint32_t vk, bool shift, bool caps_lock);

// What the service hands the session: the character when neither Ctrl nor
// Alt is down, else none.
std::optional<char32_t> key_character(std::uint32_t vk, const KeyState& state);

// Whether a key-down event is an auto-repeat (bit 30 of its lParam: the
// key was already down).
bool is_repeat(std::int64_t info);

// Shift, left Shift or right Shift.
bool is_shift_key(std::uint32_t vk);

// A Shift tap: Shift pressed with neither Ctrl nor Alt held and released
// with no other key pressed in between, within kShiftTapMs of going down. The
// time limit keeps a Shift held for a Shift+click or a slow Shift+arrow from
// switching the mode.
class ShiftTap {
 public:
  static constexpr std::uint64_t kShiftTapMs = 500;

  // Every key going down. `repeat`: the key was down already (auto-repeat),
  // which changes nothing, so a held Shift keeps the time it went down.
  void key_down(std::uint32_t vk, const Modifiers& mods, bool repeat, std::uint64_t now_ms);
  // Whether a Shift release now would be a tap; changes nothing.
  bool would_tap(std::uint32_t vk, std::uint64_t now_ms) const;
  // A Shift release: true (and the tap used up) when it is a tap.
  bool take(std::uint32_t vk, std::uint64_t now_ms);

 private:
  bool armed_ = false;
  std::uint64_t down_at_ = 0;
};

}  // namespace sorla::tsf
