// The display attribute of the word being typed: a dotted underline in the
// application's own colours. TSF asks the text service for it through
// ITfDisplayAttributeProvider; these are the objects it gets.
#pragma once

#include "com/object.h"
#include "tsf_decls.h"

namespace sorla::edit {

class DisplayAttributeInfo final : public com::Object<ITfDisplayAttributeInfo> {
 public:
  HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override;
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override;
  HRESULT STDMETHODCALLTYPE GetAttributeInfo(TF_DISPLAYATTRIBUTE* attribute) override;
  HRESULT STDMETHODCALLTYPE SetAttributeInfo(const TF_DISPLAYATTRIBUTE* attribute) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
};

// Enumerates the one attribute.
class DisplayAttributeEnum final : public com::Object<IEnumTfDisplayAttributeInfo> {
 public:
  explicit DisplayAttributeEnum(ULONG position = 0) : position_(position) {}

  HRESULT STDMETHODCALLTYPE Clone(IEnumTfDisplayAttributeInfo** out) override;
  HRESULT STDMETHODCALLTYPE Next(ULONG count, ITfDisplayAttributeInfo** infos,
                                 ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;

 private:
  ULONG position_;  // 0 before the item, 1 after it
};

// ITfDisplayAttributeProvider's two answers.
HRESULT enum_display_attributes(IEnumTfDisplayAttributeInfo** out);
HRESULT display_attribute_info(const GUID* guid, ITfDisplayAttributeInfo** out);

}  // namespace sorla::edit
