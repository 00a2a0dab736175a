#include "tsf/uia/list_provider.h"

#include "tsf/uia/core_calls.h"
#include "tsf/uia/item_provider.h"
#include "tsf/uia/values.h"

namespace sorla::uia {
namespace {

// Microsoft's IME requirements name the list of conversion candidates so.
constexpr wchar_t kAutomationId[] = L"IME_Candidate_Window";

}  // namespace

HRESULT ListProvider::GetPropertyValue(PROPERTYID property, VARIANT* out) {
  return answer(out, [&](const Live&, VARIANT& value) -> HRESULT {
    if (property == UIA_ControlTypePropertyId) put_int(&value, UIA_ListControlTypeId);
    if (property == UIA_AutomationIdPropertyId) return put_string(&value, kAutomationId);
    return S_OK;
  });
}

HRESULT ListProvider::get_HostRawElementProvider(IRawElementProviderSimple** out) {
  return answer(out, [](const Live& now, IRawElementProviderSimple*& host) {
    const CoreCalls* calls = core_calls();
    return calls ? calls->host_provider_from_hwnd(now.view.hwnd, &host) : E_FAIL;
  });
}

HRESULT ListProvider::Navigate(NavigateDirection direction, IRawElementProviderFragment** out) {
  return answer(out, [&](const Live& now, IRawElementProviderFragment*& found) {
    // The window's own provider gives the parent and the siblings.
    const std::size_t count = now.view.list->items.size();
    if (count == 0) return S_OK;
    if (direction == NavigateDirection_FirstChild) {
      found = now.tree->item(now.view.generation, 0).detach();
    } else if (direction == NavigateDirection_LastChild) {
      found = now.tree->item(now.view.generation, count - 1).detach();
    }
    return S_OK;
  });
}

HRESULT ListProvider::GetRuntimeId(SAFEARRAY** out) {
  // The host window gives the root its identity.
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return S_OK;
}

HRESULT ListProvider::get_BoundingRectangle(UiaRect* out) {
  // Empty: UI Automation takes the host window's rectangle.
  if (!out) return E_INVALIDARG;
  *out = UiaRect{0, 0, 0, 0};
  return S_OK;
}

HRESULT ListProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** out) {
  if (!out) return E_INVALIDARG;
  *out = static_cast<IRawElementProviderFragmentRoot*>(this);
  AddRef();
  return S_OK;
}

HRESULT ListProvider::ElementProviderFromPoint(double x, double y,
                                               IRawElementProviderFragment** out) {
  return answer(out, [&](const Live& now, IRawElementProviderFragment*& found) {
    POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
    if (!ScreenToClient(now.view.hwnd, &point)) return S_OK;
    const auto& items = now.view.list->items;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (PtInRect(&items[i].cell, point)) {
        found = now.tree->item(now.view.generation, i).detach();
        break;
      }
    }
    return S_OK;
  });
}

HRESULT ListProvider::GetFocus(IRawElementProviderFragment** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return S_OK;
}

HRESULT ListProvider::GetSelection(SAFEARRAY** out) {
  return answer(out, [](const Live& now, SAFEARRAY*& selection) {
    const auto selected = now.tree->item(now.view.generation, now.view.list->selected);
    SafeArray array = element_array(static_cast<IRawElementProviderSimple*>(selected.get()));
    if (!array) return E_OUTOFMEMORY;
    selection = array.release();
    return S_OK;
  });
}

HRESULT ListProvider::get_CanSelectMultiple(BOOL* out) {
  if (!out) return E_INVALIDARG;
  *out = FALSE;
  return S_OK;
}

HRESULT ListProvider::get_IsSelectionRequired(BOOL* out) {
  if (!out) return E_INVALIDARG;
  *out = TRUE;
  return S_OK;
}

}  // namespace sorla::uia
