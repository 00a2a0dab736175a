#include "tsf/uia/item_provider.h"

#include "com/boundary.h"
#include "tsf/uia/list_provider.h"
#include "tsf/uia/values.h"

namespace sorla::uia {

std::optional<ItemProvider::Live> ItemProvider::live() const {
  auto tree = tree_.lock();
  auto view = tree ? tree->view() : std::nullopt;
  if (!view || view->generation != generation_ || index_ >= view->list->items.size()) {
    return std::nullopt;
  }
  return Live{std::move(tree), std::move(*view)};
}

HRESULT ItemProvider::get_ProviderOptions(ProviderOptions* out) {
  if (!out) return E_INVALIDARG;
  *out = ProviderOptions_ServerSideProvider;
  return S_OK;
}

HRESULT ItemProvider::GetPatternProvider(PATTERNID pattern, IUnknown** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  if (pattern == UIA_SelectionItemPatternId) {
    *out = static_cast<ISelectionItemProvider*>(this);
    AddRef();
  }
  return S_OK;
}

HRESULT ItemProvider::GetPropertyValue(PROPERTYID property, VARIANT* out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    VariantInit(out);
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    if (property == UIA_ControlTypePropertyId) put_int(out, UIA_ListItemControlTypeId);
    if (property == UIA_NamePropertyId) {
      return put_string(out, now->view.list->items[index_].name.c_str());
    }
    return S_OK;
  });
}

HRESULT ItemProvider::get_HostRawElementProvider(IRawElementProviderSimple** out) {
  // Items are parts of the list, not windows.
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return S_OK;
}

HRESULT ItemProvider::Navigate(NavigateDirection direction, IRawElementProviderFragment** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    CandidateTree& tree = *now->tree;
    switch (direction) {
      case NavigateDirection_Parent:
        *out = tree.root().detach();
        break;
      case NavigateDirection_NextSibling:
        *out = tree.item(generation_, index_ + 1).detach();
        break;
      case NavigateDirection_PreviousSibling:
        if (index_ > 0) *out = tree.item(generation_, index_ - 1).detach();
        break;
      default:  // no children
        break;
    }
    return S_OK;
  });
}

HRESULT ItemProvider::GetRuntimeId(SAFEARRAY** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!live()) return UIA_E_ELEMENTNOTAVAILABLE;
    // Unique within the window: another list's items are other elements.
    const LONG id[] = {UiaAppendRuntimeId, static_cast<LONG>(generation_),
                       static_cast<LONG>(index_)};
    SafeArray array = int_array(id);
    if (!array) return E_OUTOFMEMORY;
    *out = array.release();
    return S_OK;
  });
}

HRESULT ItemProvider::get_BoundingRectangle(UiaRect* out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = UiaRect{0, 0, 0, 0};
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    *out = screen_rect(now->view.hwnd, now->view.list->items[index_].cell);
    return S_OK;
  });
}

HRESULT ItemProvider::GetEmbeddedFragmentRoots(SAFEARRAY** out) {
  if (!out) return E_INVALIDARG;
  *out = nullptr;
  return S_OK;
}

// The window never takes the focus.
HRESULT ItemProvider::SetFocus() { return S_OK; }

HRESULT ItemProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    *out = now->tree->root().detach();
    return S_OK;
  });
}

// The highlight moves with the typing session's keys; screen readers read
// it and do not move it.
HRESULT ItemProvider::Select() { return UIA_E_INVALIDOPERATION; }
HRESULT ItemProvider::AddToSelection() { return UIA_E_INVALIDOPERATION; }
HRESULT ItemProvider::RemoveFromSelection() { return UIA_E_INVALIDOPERATION; }

HRESULT ItemProvider::get_IsSelected(BOOL* out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = FALSE;
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    *out = now->view.list->selected == index_ ? TRUE : FALSE;
    return S_OK;
  });
}

HRESULT ItemProvider::get_SelectionContainer(IRawElementProviderSimple** out) {
  return com::guarded([&]() -> HRESULT {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    const auto now = live();
    if (!now) return UIA_E_ELEMENTNOTAVAILABLE;
    *out = now->tree->root().detach();
    return S_OK;
  });
}

}  // namespace sorla::uia
