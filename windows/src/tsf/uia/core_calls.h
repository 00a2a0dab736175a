// The five functions of uiautomationcore.dll the candidate window calls.
// The library is loaded from System32 when a screen reader first asks for
// the window or an event may be raised, not when the DLL loads: most
// applications never need it, and a copy planted beside the application
// must not be picked up. Tests put recording stand-ins in its place.
#pragma once

#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

struct CoreCalls {
  LRESULT(WINAPI* return_raw_element_provider)(HWND, WPARAM, LPARAM, IRawElementProviderSimple*);
  HRESULT(WINAPI* host_provider_from_hwnd)(HWND, IRawElementProviderSimple**);
  HRESULT(WINAPI* raise_automation_event)(IRawElementProviderSimple*, EVENTID);
  BOOL(WINAPI* clients_are_listening)();
  // Windows 8 and later; null before.
  HRESULT(WINAPI* disconnect_provider)(IRawElementProviderSimple*);
};

// Loads the library on first use; null when it or one of the first four
// functions is missing.
const CoreCalls* core_calls() noexcept;
// The functions if the library is loaded already, else null: what teardown
// uses, since nothing can hold a provider of ours before it was loaded.
const CoreCalls* loaded_core_calls() noexcept;

// Tests: answers `calls` in place of the library until called with null.
void replace_core_calls(const CoreCalls* calls) noexcept;

}  // namespace sorla::uia
