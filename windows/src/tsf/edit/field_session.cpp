#include <inputscope.h>

#include <vector>

#include "com/boundary.h"
#include "guids.h"
#include "tsf/edit/sessions.h"

namespace sorla::edit {

using com::ComPtr;

namespace {

std::vector<int> scopes_of(ITfContext* context, TfEditCookie ec) {
  std::vector<int> scopes;
  ComPtr<ITfReadOnlyProperty> property;
  if (FAILED(context->GetAppProperty(ids::kPropInputScope, property.put())) || !property) {
    return scopes;
  }
  TF_SELECTION selection{};
  ULONG fetched = 0;
  if (FAILED(context->GetSelection(ec, TF_DEFAULT_SELECTION, 1, &selection, &fetched)) ||
      fetched != 1) {
    return scopes;
  }
  const auto range = ComPtr<ITfRange>::adopt(selection.range);
  VARIANT value;
  VariantInit(&value);
  if (FAILED(property->GetValue(ec, range.get(), &value))) return scopes;
  if (value.vt == VT_UNKNOWN && value.punkVal != nullptr) {
    ComPtr<ITfInputScope> scope;
    InputScope* list = nullptr;
    UINT count = 0;
    if (SUCCEEDED(value.punkVal->QueryInterface(__uuidof(ITfInputScope), scope.put_void())) &&
        scope && SUCCEEDED(scope->GetInputScopes(&list, &count)) && list != nullptr) {
      scopes.assign(list, list + count);
    }
    CoTaskMemFree(list);
  }
  VariantClear(&value);
  return scopes;
}

}  // namespace

// An application that changes a field's scopes reports it as a change of the
// input-scope attribute (ITextStoreACPSink::OnAttrsChange), which TSF hands
// the text-edit sinks in the edit record.
bool scopes_changed(ITfEditRecord* record) {
  if (record == nullptr) return false;
  const GUID* scope = &ids::kPropInputScope;
  ComPtr<IEnumTfRanges> ranges;
  if (FAILED(record->GetTextAndPropertyUpdates(0, &scope, 1, ranges.put())) || !ranges) {
    return false;
  }
  ComPtr<ITfRange> range;
  ULONG fetched = 0;
  return ranges->Next(1, range.put(), &fetched) == S_OK && fetched == 1;
}

HRESULT FieldSession::DoEditSession(TfEditCookie ec) {
  return com::guarded([&] {
    host_->field_read(context_.get(), field_kind(scopes_of(context_.get(), ec)));
    return S_OK;
  });
}

}  // namespace sorla::edit
