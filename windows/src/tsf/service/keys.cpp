#include "tsf/service/keys.h"

#include <windows.h>

#include <string_view>

namespace sorla::tsf {
namespace {

bool down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }
bool toggled(int vk) { return (GetKeyState(vk) & 1) != 0; }

struct Punctuation {
  std::uint32_t vk;
  char plain, shifted;
};

constexpr Punctuation kPunctuation[] = {
    {106, '*', '*'}, {107, '+', '+'},  {109, '-', '-'}, {110, '.', '.'},
    {111, '/', '/'}, {186, ';', ':'},  {187, '=', '+'}, {188, ',', '<'},
    {189, '-', '_'}, {190, '.', '>'},  {191, '/', '?'}, {192, '`', '~'},
    {219, '[', '{'}, {220, '\\', '|'}, {221, ']', '}'}, {222, '\'', '"'},
};

}  // namespace

KeyState sample_key_state() {
  KeyState state;
  state.mods.shift = down(VK_SHIFT);
  state.mods.ctrl = down(VK_CONTROL);
  state.mods.alt = down(VK_MENU);
  state.caps_lock = toggled(VK_CAPITAL);
  return state;
}

std::optional<char32_t> key_to_char(std::uint32_t vk, bool shift, bool caps_lock) {
  if (vk >= 'A' && vk <= 'Z') {
    return shift == caps_lock ? static_cast<char32_t>(vk - 'A' + 'a') : static_cast<char32_t>(vk);
  }
  if (vk >= '0' && vk <= '9') {
    constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
    return shift ? static_cast<char32_t>(kShiftedDigits[vk - '0']) : static_cast<char32_t>(vk);
  }
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char32_t>('0' + vk - VK_NUMPAD0);
  if (vk == VK_SPACE) return U' ';
  for (const Punctuation& p : kPunctuation) {
    if (p.vk == vk) return static_cast<char32_t>(shift ? p.shifted : p.plain);
  }
  return std::nullopt;
}

std::optional<char32_t> key_character(std::uint32_t vk, const KeyState& state) {
  if (state.mods.ctrl || state.mods.alt) return std::nullopt;
  return key_to_char(vk, state.mods.shift, state.caps_lock);
}

bool is_shift_key(std::uint32_t vk) { return vk == VK_SHIFT || vk == VK_LSHIFT || vk == VK_RSHIFT; }

bool is_repeat(std::int64_t info) { return (info & (1 << 30)) != 0; }

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

}  // namespace sorla::tsf
