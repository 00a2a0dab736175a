// The Windows side of key events: what the key is (its code, the thread's
// modifier state, the auto-repeat bit) and where it goes (the context's
// document and whether it takes keys). What keys mean is the front end's
// (sorla/front_end.h).
#pragma once

#include <cstdint>

#include "sorla/front_end.h"
#include "tsf_decls.h"

namespace sorla::tsf {

// A key going down as the key sink gets it: the key of wParam and lParam,
// with the key state sampled now, and where it goes. No document without a
// context; read-only when the context's status says so (TF_SD_READONLY);
// turned off when the application set GUID_COMPARTMENT_KEYBOARD_DISABLED or
// GUID_COMPARTMENT_EMPTYCONTEXT on it.
struct KeyDown {
  KeyEvent key;
  KeyTarget target;
  bool operator==(const KeyDown&) const = default;
};
KeyDown read_key_down(ITfContext* context, WPARAM wparam, LPARAM info);

}  // namespace sorla::tsf
