// The values handed to UI Automation: VARIANTs, strings and SAFEARRAYs,
// built so that nothing leaks when a step fails half-way.
#pragma once

#include <memory>
#include <span>

#include "tsf/uia/uia_decls.h"

namespace sorla::uia {

struct DestroySafeArray {
  void operator()(SAFEARRAY* array) const noexcept { SafeArrayDestroy(array); }
};
using SafeArray = std::unique_ptr<SAFEARRAY, DestroySafeArray>;

// A VT_I4 vector; null when out of memory.
SafeArray int_array(std::span<const LONG> values);
// A VT_UNKNOWN vector holding a reference to `element`, empty when it is
// null; null when out of memory.
SafeArray element_array(IUnknown* element);

// Fills an out VARIANT.
void put_int(VARIANT* out, LONG value) noexcept;
HRESULT put_string(VARIANT* out, const wchar_t* text) noexcept;

// The screen rectangle of `cell`, in client pixels of `hwnd`.
UiaRect screen_rect(HWND hwnd, const RECT& cell) noexcept;

}  // namespace sorla::uia
