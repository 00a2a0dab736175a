#include "tsf/edit/display_attribute.h"

#include "com/boundary.h"
#include "guids.h"

namespace sorla::edit {
namespace {

constexpr wchar_t kDescription[] = L"Sorla: the word being typed";

}  // namespace

HRESULT DisplayAttributeInfo::GetGUID(GUID* guid) {
  if (guid == nullptr) return E_INVALIDARG;
  *guid = ids::kDisplayAttribute;
  return S_OK;
}

HRESULT DisplayAttributeInfo::GetDescription(BSTR* description) {
  if (description == nullptr) return E_INVALIDARG;
  *description = SysAllocStringLen(kDescription, ARRAYSIZE(kDescription) - 1);
  if (*description == nullptr) com::fatal();
  return S_OK;
}

HRESULT DisplayAttributeInfo::GetAttributeInfo(TF_DISPLAYATTRIBUTE* attribute) {
  if (attribute == nullptr) return E_INVALIDARG;
  *attribute = {};
  attribute->crText.type = TF_CT_NONE;
  attribute->crBk.type = TF_CT_NONE;
  attribute->lsStyle = TF_LS_DOT;
  attribute->fBoldLine = FALSE;
  attribute->crLine.type = TF_CT_NONE;
  attribute->bAttr = TF_ATTR_INPUT;
  return S_OK;
}

HRESULT DisplayAttributeInfo::SetAttributeInfo(const TF_DISPLAYATTRIBUTE*) { return E_NOTIMPL; }

HRESULT DisplayAttributeInfo::Reset() { return S_OK; }

HRESULT DisplayAttributeEnum::Clone(IEnumTfDisplayAttributeInfo** out) {
  return com::guarded([&] {
    if (out == nullptr) return E_INVALIDARG;
    *out = com::make_object<DisplayAttributeEnum>(position_).detach();
    return S_OK;
  });
}

HRESULT DisplayAttributeEnum::Next(ULONG count, ITfDisplayAttributeInfo** infos, ULONG* fetched) {
  return com::guarded([&] {
    ULONG returned = 0;
    if (count > 0 && infos != nullptr && position_ == 0) {
      infos[0] = com::make_object<DisplayAttributeInfo>().detach();
      position_ = 1;
      returned = 1;
    }
    if (fetched) *fetched = returned;
    return returned == count ? S_OK : S_FALSE;
  });
}

HRESULT DisplayAttributeEnum::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT DisplayAttributeEnum::Skip(ULONG count) {
  const ULONG remaining = 1 - position_;
  if (position_ != 0 || count != 0) position_ = 1;
  return remaining >= count ? S_OK : S_FALSE;
}

HRESULT enum_display_attributes(IEnumTfDisplayAttributeInfo** out) {
  return com::guarded([&] {
    if (out == nullptr) return E_INVALIDARG;
    *out = com::make_object<DisplayAttributeEnum>().detach();
    return S_OK;
  });
}

HRESULT display_attribute_info(const GUID* guid, ITfDisplayAttributeInfo** out) {
  return com::guarded([&] {
    if (out == nullptr) return E_INVALIDARG;
    *out = nullptr;
    if (com::is_null(guid) || !IsEqualGUID(*guid, ids::kDisplayAttribute)) return E_INVALIDARG;
    *out = com::make_object<DisplayAttributeInfo>().detach();
    return S_OK;
  });
}

}  // namespace sorla::edit
