#include "tsf/edit/edit_steps.h"

#include <string>

#include "com/com_ptr.h"
#include "guids.h"

namespace sorla::edit {

using com::ComPtr;

HRESULT mark_range(ITfContext* context, TfEditCookie ec, ITfRange* range,
                   std::optional<TfGuidAtom> atom) {
  if (!atom) return S_OK;
  ComPtr<ITfProperty> property;
  HRESULT hr = context->GetProperty(ids::kPropAttribute, property.put());
  if (FAILED(hr)) return hr;
  if (!property) return E_FAIL;
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_I4;
  value.lVal = static_cast<LONG>(*atom);
  return property->SetValue(ec, range, &value);
}

void unmark_range(ITfContext* context, TfEditCookie ec, ITfRange* range) {
  ComPtr<ITfProperty> property;
  if (SUCCEEDED(context->GetProperty(ids::kPropAttribute, property.put())) && property) {
    property->Clear(ec, range);
  }
}

HRESULT caret_to_end(ITfContext* context, TfEditCookie ec, ITfRange* range) {
  ComPtr<ITfRange> end;
  HRESULT hr = range->Clone(end.put());
  if (FAILED(hr)) return hr;
  if (!end) return E_FAIL;
  hr = end->Collapse(ec, TF_ANCHOR_END);
  if (FAILED(hr)) return hr;
  TF_SELECTION selection{};
  selection.range = end.get();
  selection.style.ase = TF_AE_NONE;
  selection.style.fInterimChar = FALSE;
  return context->SetSelection(ec, 1, &selection);
}

HRESULT end_composition(ITfContext* context, TfEditCookie ec, ITfComposition* composition) {
  ComPtr<ITfRange> range;
  if (SUCCEEDED(composition->GetRange(range.put())) && range) {
    unmark_range(context, ec, range.get());
  }
  return composition->EndComposition(ec);
}

HWND view_window(ITfContext* context) {
  ComPtr<ITfContextView> view;
  HWND window = nullptr;
  if (SUCCEEDED(context->GetActiveView(view.put())) && view && SUCCEEDED(view->GetWnd(&window))) {
    return window;
  }
  return nullptr;
}

bool counts(const window::Rect& rect) { return rect.top < rect.bottom || rect.left < rect.right; }

std::optional<window::Rect> text_extent(ITfContext* context, TfEditCookie ec, ITfRange* range) {
  ComPtr<ITfContextView> view;
  if (FAILED(context->GetActiveView(view.put())) || !view) return std::nullopt;
  RECT r{};
  BOOL clipped = FALSE;
  if (FAILED(view->GetTextExt(ec, range, &r, &clipped))) return std::nullopt;
  const window::Rect rect{r.left, r.top, r.right, r.bottom};
  if (!counts(rect)) return std::nullopt;
  return rect;
}

HRESULT retract_before_selection(ITfContext* context, TfEditCookie ec, std::wstring_view text) {
  const LONG n = static_cast<LONG>(text.size());
  TF_SELECTION selection{};
  ULONG fetched = 0;
  HRESULT hr = context->GetSelection(ec, TF_DEFAULT_SELECTION, 1, &selection, &fetched);
  if (FAILED(hr)) return hr;
  const ComPtr<ITfRange> selected = ComPtr<ITfRange>::adopt(selection.range);
  if (fetched != 1 || !selected) return S_OK;

  ComPtr<ITfRange> before;
  hr = selected->Clone(before.put());
  if (FAILED(hr)) return hr;
  if (!before) return E_FAIL;
  hr = before->Collapse(ec, TF_ANCHOR_START);
  if (FAILED(hr)) return hr;
  LONG moved = 0;
  hr = before->ShiftStart(ec, -n, &moved, nullptr);
  if (FAILED(hr)) return hr;
  if (moved != -n) return S_OK;

  std::wstring found(text.size(), L'\0');
  ULONG got = 0;
  hr = before->GetText(ec, 0, found.data(), static_cast<ULONG>(n), &got);
  if (FAILED(hr)) return hr;
  if (got != static_cast<ULONG>(n) || found != text) return S_OK;
  return before->SetText(ec, 0, L"", 0);
}

}  // namespace sorla::edit
