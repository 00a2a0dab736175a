#include "tsf/service/keys.h"

#include <windows.h>

namespace sorla::tsf {
namespace {

bool down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }
bool toggled(int vk) { return (GetKeyState(vk) & 1) != 0; }

}  // namespace

KeyState sample_key_state() {
  KeyState state;
  state.mods.shift = down(VK_SHIFT);
  state.mods.ctrl = down(VK_CONTROL);
  state.mods.alt = down(VK_MENU);
  state.caps_lock = toggled(VK_CAPITAL);
  return state;
}

}  // namespace sorla::tsf
