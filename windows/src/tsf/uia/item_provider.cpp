#include "tsf/uia/item_provider.h"

#include "tsf/uia/list_provider.h"
#include "tsf/uia/values.h"

namespace sorla::uia {

std::optional<ItemProvider::Live> ItemProvider::live() const {
  auto now = window_live();
  if (!now || now->view.generation != generation_ || index_ >= now->view.list->items.size()) {
    return std::nullopt;
  }
  return now;
}

HRESULT ItemProvider::GetPropertyValue(PROPERTYID property, VARIANT* out) {
  return answer(out, [&](const Live& now, VARIANT& value) -> HRESULT {
    if (property == UIA_ControlTypePropertyId) put_int(&value, UIA_ListItemControlTypeId);
    if (property == UIA_NamePropertyId) {
      return put_string(&value, now.view.list->items[index_].name.c_str());
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
  return answer(out, [&](const Live& now, IRawElementProviderFragment*& found) {
    CandidateTree& tree = *now.tree;
    switch (direction) {
      case NavigateDirection_Parent:
        found = tree.root().detach();
        break;
      case NavigateDirection_NextSibling:
        found = tree.item(generation_, index_ + 1).detach();
        break;
      case NavigateDirection_PreviousSibling:
        if (index_ > 0) found = tree.item(generation_, index_ - 1).detach();
        break;
      default:  // no children
        break;
    }
    return S_OK;
  });
}

HRESULT ItemProvider::GetRuntimeId(SAFEARRAY** out) {
  return answer(out, [&](const Live&, SAFEARRAY*& ids) {
    // Unique within the window: another list's items are other elements.
    const LONG id[] = {UiaAppendRuntimeId, static_cast<LONG>(generation_),
                       static_cast<LONG>(index_)};
    SafeArray array = int_array(id);
    if (!array) return E_OUTOFMEMORY;
    ids = array.release();
    return S_OK;
  });
}

HRESULT ItemProvider::get_BoundingRectangle(UiaRect* out) {
  return answer(out, [&](const Live& now, UiaRect& rect) {
    rect = screen_rect(now.view.hwnd, now.view.list->items[index_].cell);
    return S_OK;
  });
}

HRESULT ItemProvider::get_FragmentRoot(IRawElementProviderFragmentRoot** out) {
  return answer(out, [](const Live& now, IRawElementProviderFragmentRoot*& root) {
    root = now.tree->root().detach();
    return S_OK;
  });
}

// The highlight moves with the typing session's keys; screen readers read
// it and do not move it.
HRESULT ItemProvider::Select() { return UIA_E_INVALIDOPERATION; }
HRESULT ItemProvider::AddToSelection() { return UIA_E_INVALIDOPERATION; }
HRESULT ItemProvider::RemoveFromSelection() { return UIA_E_INVALIDOPERATION; }

HRESULT ItemProvider::get_IsSelected(BOOL* out) {
  return answer(out, [&](const Live& now, BOOL& selected) {
    selected = now.view.list->selected == index_ ? TRUE : FALSE;
    return S_OK;
  });
}

HRESULT ItemProvider::get_SelectionContainer(IRawElementProviderSimple** out) {
  return answer(out, [](const Live& now, IRawElementProviderSimple*& list) {
    list = now.tree->root().detach();
    return S_OK;
  });
}

}  // namespace sorla::uia
