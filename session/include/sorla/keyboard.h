// The US keyboard both ways (virtual key to character and back) and the
// Shift-tap rule: what every front end needs to turn key presses into
// session keys, whatever the platform reports them with.
#pragma once

#include <cstdint>
#include <optional>

#include "sorla/session.h"

namespace sorla {

// Any character the US layout does not have arrives as a packet key that
// carries its character, as Windows delivers text injected by tools.
inline constexpr std::uint32_t kVkPacket = 0xE7;

struct KeyState {
  Modifiers mods;
  bool caps_lock = false;
};

// The character of virtual key `vk` on a US keyboard; none for keys that
// type nothing.
std::optional<char32_t> key_to_char(std::uint32_t vk, bool shift, bool caps_lock);

// What a front end hands the session: the character when neither Ctrl nor
// Alt is down, else none.
std::optional<char32_t> key_character(std::uint32_t vk, const KeyState& state);

// The key and Shift state that type `c` on a US keyboard.
struct UsKey {
  std::uint32_t vk = 0;
  bool shift = false;
};
std::optional<UsKey> us_key(char32_t c);

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

}  // namespace sorla
