#include "tsf/uia/values.h"

namespace sorla::uia {

SafeArray int_array(std::span<const LONG> values) {
  SafeArray array(SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(values.size())));
  if (!array) return nullptr;
  for (LONG i = 0; i < static_cast<LONG>(values.size()); ++i) {
    LONG value = values[i];
    if (FAILED(SafeArrayPutElement(array.get(), &i, &value))) return nullptr;
  }
  return array;
}

SafeArray element_array(IUnknown* element) {
  SafeArray array(SafeArrayCreateVector(VT_UNKNOWN, 0, element ? 1 : 0));
  if (!array || !element) return array;
  LONG first = 0;
  if (FAILED(SafeArrayPutElement(array.get(), &first, element))) return nullptr;
  return array;
}

void put_int(VARIANT* out, LONG value) noexcept {
  out->vt = VT_I4;
  out->lVal = value;
}

HRESULT put_string(VARIANT* out, const wchar_t* text) noexcept {
  BSTR copy = SysAllocString(text);
  if (!copy) return E_OUTOFMEMORY;
  out->vt = VT_BSTR;
  out->bstrVal = copy;
  return S_OK;
}

UiaRect screen_rect(HWND hwnd, const RECT& cell) noexcept {
  POINT corner{cell.left, cell.top};
  ClientToScreen(hwnd, &corner);
  return {static_cast<double>(corner.x), static_cast<double>(corner.y),
          static_cast<double>(cell.right - cell.left), static_cast<double>(cell.bottom - cell.top)};
}

}  // namespace sorla::uia
