#include "tsf/uia/list_provider.h"

#include "com/boundary.h"
#include "tsf/uia/candidate_tree.h"
#include "tsf/uia/core_calls.h"
#include "tsf/uia/item_provider.h"
#include "tsf/uia/values.h"

namespace sorla::uia {
namespace {

// Microsoft's IME requirements name the list of conversion candidates so.
constexpr wchar_t kAutomationId[] = L"IME_Candidate_Window";

}  // namespace

HRESULT ListProvider::get_ProviderOptions(ProviderOptions* out) {
  if (!out) return E_INVALIDARG;
  *out = ProviderOptions_ServerSideProvider;
  return S_OK;
}

HRESULT ListProvider::GetPatternProvider(PATTERNID pattern, IUnknown** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (pattern == UIA_SelectionPatternId) {
    *out = static_cast<ISelectionProvider*>(this);
    AddRef();
  }
  return S_OK;
}

HRESULT ListProvider::GetPropertyValue(PROPERTYID property, VARIANT* out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    VariantInit(out);
    const auto tree = tree_.lock();
    if (!tree || !tree->view()) return UIA_E_ELEMENTNOTAVAILABLE;
    if (property == UIA_ControlTypePropertyId) put_int(out, UIA_ListControlTypeId);
    if (property == UIA_AutomationIdPropertyId) return put_string(out, kAutomationId);
    return S_OK;
  });
}

HRESULT ListProvider::get_HostRawElementProvider(IRawElementProviderSimple** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto tree = tree_.lock();
    const auto view = tree ? tree->view() : std::nullopt;
    if (!view) return UIA_E_ELEMENTNOTAVAILABLE;
    const CoreCalls* calls = core_calls();
    return calls ? calls->host_provider_from_hwnd(view->hwnd, out) : E_FAIL;
  });
}

HRESULT ListProvider::Navigate(NavigateDirection direction, IRawElementProviderFragment** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto tree = tree_.lock();
    const auto view = tree ? tree->view() : std::nullopt;
    if (!view) return UIA_E_ELEMENTNOTAVAILABLE;
    // The window's own provider gives the parent and the siblings.
    const std::size_t count = view->list->items.size();
    if (count == 0) return S_OK;
    if (direction == NavigateDirection_FirstChild) {
      *out = tree->item(view->generation, 0).detach();
    } else if (direction == NavigateDirection_LastChild) {
      *out = tree->item(view->generation, count - 1).detach();
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

HRESULT ListProvider::GetEmbeddedFragmentRoots(SAFEARRAY** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return S_OK;
}

// The window never takes the focus.
HRESULT ListProvider::SetFocus() { return S_OK; }

HRESULT ListProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** out) {
  if (!out) return E_INVALIDARG;
  *out = static_cast<IRawElementProviderFragmentRoot*>(this);
  AddRef();
  return S_OK;
}

HRESULT ListProvider::ElementProviderFromPoint(double x, double y,
                                               IRawElementProviderFragment** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto tree = tree_.lock();
    const auto view = tree ? tree->view() : std::nullopt;
    if (!view) return UIA_E_ELEMENTNOTAVAILABLE;
    POINT point{static_cast<LONG>(x), static_cast<LONG>(y)};
    if (!ScreenToClient(view->hwnd, &point)) return S_OK;
    const auto& items = view->list->items;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (PtInRect(&items[i].cell, point)) {
        *out = tree->item(view->generation, i).detach();
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
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto tree = tree_.lock();
    const auto view = tree ? tree->view() : std::nullopt;
    if (!view) return UIA_E_ELEMENTNOTAVAILABLE;
    const auto selected = tree->item(view->generation, view->list->selected);
    SafeArray array = element_array(static_cast<IRawElementProviderSimple*>(selected.get()));
    if (!array) return E_OUTOFMEMORY;
    *out = array.release();
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
