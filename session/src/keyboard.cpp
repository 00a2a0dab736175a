#include "sorla/keyboard.h"

#include <string_view>

namespace sorla {
namespace {

constexpr std::uint32_t kVkShiftLeft = 0xA0, kVkShiftRight = 0xA1;
constexpr std::uint32_t kVkNumpad0 = 0x60, kVkNumpad9 = 0x69;

struct Punctuation {
  std::uint32_t vk;
  char plain, shifted;
};

// The main block first: going back from a character, '-' is the main key,
// not the keypad's.
constexpr Punctuation kPunctuation[] = {
    {186, ';', ':'},  {187, '=', '+'}, {188, ',', '<'},  {189, '-', '_'},
    {190, '.', '>'},  {191, '/', '?'}, {192, '`', '~'},  {219, '[', '{'},
    {220, '\\', '|'}, {221, ']', '}'}, {222, '\'', '"'}, {106, '*', '*'},
    {107, '+', '+'},  {109, '-', '-'}, {110, '.', '.'},  {111, '/', '/'},
};

constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";

}  // namespace

std::optional<char32_t> key_to_char(std::uint32_t vk, bool shift, bool caps_lock) {
  if (vk >= 'A' && vk <= 'Z') {
    return shift == caps_lock ? static_cast<char32_t>(vk - 'A' + 'a') : static_cast<char32_t>(vk);
  }
  if (vk >= '0' && vk <= '9') {
    return shift ? static_cast<char32_t>(kShiftedDigits[vk - '0']) : static_cast<char32_t>(vk);
  }
  if (vk >= kVkNumpad0 && vk <= kVkNumpad9) return static_cast<char32_t>('0' + vk - kVkNumpad0);
  if (vk == vk::Space) return U' ';
  for (const Punctuation& p : kPunctuation) {
    if (p.vk == vk) return static_cast<char32_t>(shift ? p.shifted : p.plain);
  }
  return std::nullopt;
}

std::optional<char32_t> key_character(std::uint32_t vk, const KeyState& state) {
  if (state.mods.ctrl || state.mods.alt) return std::nullopt;
  return key_to_char(vk, state.mods.shift, state.caps_lock);
}

std::optional<UsKey> us_key(char32_t c) {
  if (c >= 'a' && c <= 'z') return UsKey{static_cast<std::uint32_t>(c - 'a' + 'A'), false};
  if (c >= 'A' && c <= 'Z') return UsKey{static_cast<std::uint32_t>(c), true};
  if (c >= '0' && c <= '9') return UsKey{static_cast<std::uint32_t>(c), false};
  if (c == ' ') return UsKey{vk::Space, false};
  if (c >= 0x80) return std::nullopt;
  if (const auto pos = kShiftedDigits.find(static_cast<char>(c)); pos != std::string_view::npos) {
    return UsKey{static_cast<std::uint32_t>('0' + pos), true};
  }
  for (const Punctuation& p : kPunctuation) {
    if (static_cast<char>(c) == p.plain) return UsKey{p.vk, false};
    if (static_cast<char>(c) == p.shifted) return UsKey{p.vk, true};
  }
  return std::nullopt;
}

bool is_shift_key(std::uint32_t vk) {
  return vk == vk::Shift || vk == kVkShiftLeft || vk == kVkShiftRight;
}

void ShiftTap::key_down(std::uint32_t vk, const Modifiers& mods, bool repeat,
                        std::uint64_t now_ms) {
  const bool starts = is_shift_key(vk) && !mods.ctrl && !mods.alt;
  if (starts && repeat) return;
  armed_ = starts;
  down_at_ = now_ms;
}

bool ShiftTap::would_tap(std::uint32_t vk, std::uint64_t now_ms) const {
  return armed_ && is_shift_key(vk) && now_ms - down_at_ <= kShiftTapMs;
}

bool ShiftTap::take(std::uint32_t vk, std::uint64_t now_ms) {
  if (!would_tap(vk, now_ms)) return false;
  armed_ = false;
  return true;
}

}  // namespace sorla
