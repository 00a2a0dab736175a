// The "SorlaCandidates" class: registered once per process on first use,
// unregistered at unload.
#pragma once

#include <windows.h>

namespace sorla::window {

// Registers the class if it is not yet; false when that fails.
bool ensure_window_class(WNDPROC procedure);

}  // namespace sorla::window
