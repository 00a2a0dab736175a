#include "tsf/service/keys.h"

#include "com/com_ptr.h"
#include "guids.h"

namespace sorla::tsf {
namespace {

using com::ComPtr;

bool compartment_set(ITfCompartmentMgr* compartments, REFGUID id) {
  ComPtr<ITfCompartment> compartment;
  if (FAILED(compartments->GetCompartment(id, compartment.put())) || !compartment) return false;
  VARIANT value;
  VariantInit(&value);
  if (FAILED(compartment->GetValue(&value))) return false;
  const bool set = value.vt == VT_I4 && value.lVal != 0;
  VariantClear(&value);
  return set;
}

bool keyboard_off(ITfContext* context) {
  const auto compartments = ComPtr<ITfContext>::retain(context).query<ITfCompartmentMgr>();
  if (!compartments) return false;
  return compartment_set(compartments.get(), ids::kCompartmentKeyboardDisabled) ||
         compartment_set(compartments.get(), ids::kCompartmentEmptyContext);
}

// The thread's key state as GetKeyState sees it now, in two reads instead of
// one per key (under Wine each is a round trip to wineserver). GetKeyState
// first: it brings the thread's state up to date with input it has not
// handled yet, which GetKeyboardState alone does not do (Wine's
// NtUserGetKeyState syncs, NtUserGetKeyboardState copies). Nothing held when
// it fails, as GetKeyState would answer.
KeyState sample_key_state() {
  BYTE keys[256] = {};
  GetKeyState(VK_SHIFT);
  if (!GetKeyboardState(keys)) return {};
  const auto down = [&](int vk) { return (keys[vk] & 0x80) != 0; };
  KeyState state;
  state.mods.shift = down(VK_SHIFT);
  state.mods.ctrl = down(VK_CONTROL);
  state.mods.alt = down(VK_MENU);
  state.caps_lock = (keys[VK_CAPITAL] & 1) != 0;
  return state;
}

}  // namespace

KeyDown read_key_down(ITfContext* context, WPARAM wparam, LPARAM info) {
  const auto vk = static_cast<std::uint32_t>(wparam & 0xFFFF);
  const KeyState state = sample_key_state();
  KeyDown result{{false, vk, key_character(vk, state), state.mods}, {}};
  // Bit 30 of lParam: the key was down already.
  result.key.repeat = (info & (1 << 30)) != 0;
  result.target.document = context != nullptr;
  if (context == nullptr) return result;
  TF_STATUS status{};
  result.target.read_only =
      SUCCEEDED(context->GetStatus(&status)) && (status.dwDynamicFlags & TF_SD_READONLY) != 0;
  result.target.keyboard_off = keyboard_off(context);
  return result;
}

}  // namespace sorla::tsf
