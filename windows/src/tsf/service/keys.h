// The Windows side of key events: what the key is (its code, the thread's
// modifier state, the auto-repeat bit) and where it goes (the context's
// document and whether it takes keys). What keys mean is the front end's
// (sorla/front_end.h).
#pragma once

#include <cstdint>

#include "sorla/front_end.h"
#include "tsf_decls.h"

namespace sorla::tsf {

// The thread's key state as GetKeyState sees it now.
KeyState sample_key_state();

// The key event of a key sink call's wParam and lParam, with the key state
// sampled now.
KeyEvent read_key(WPARAM wparam, LPARAM info);

// Where a key for `context` goes: no document without a context; read-only
// when the context's status says so (TF_SD_READONLY); turned off when the
// application set GUID_COMPARTMENT_KEYBOARD_DISABLED or
// GUID_COMPARTMENT_EMPTYCONTEXT on it.
KeyTarget read_target(ITfContext* context);

}  // namespace sorla::tsf
