#include "tsf/service/field.h"

#include <inputscope.h>

#include <vector>

#include "com/boundary.h"
#include "com/object.h"
#include "guids.h"
#include "tsf/service/text_service.h"

namespace sorla::tsf {
namespace {

using com::ComPtr;

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

class FieldSession final : public com::Object<ITfEditSession> {
 public:
  FieldSession(ComPtr<TextService> service, ComPtr<ITfContext> context)
      : service_(std::move(service)), context_(std::move(context)) {}

  HRESULT STDMETHODCALLTYPE DoEditSession(TfEditCookie ec) override {
    return com::guarded([&] {
      service_->set_field(field_kind(scopes_of(context_.get(), ec)));
      return S_OK;
    });
  }

 private:
  ComPtr<TextService> service_;
  ComPtr<ITfContext> context_;
};

bool compartment_set(ITfCompartmentMgr* compartments, REFGUID id) {
  ComPtr<ITfCompartment> compartment;
  if (FAILED(compartments->GetCompartment(id, compartment.put())) || !compartment) return false;
  VARIANT value;
  VariantInit(&value);
  if (FAILED(compartment->GetValue(&value))) return false;
  const bool set = value.vt == VT_I4 && value.lVal != 0;
  VariantClear(&value);
  return set;
}

}  // namespace

void request_field_read(TextService& service, ITfContext* context) {
  // Until the scopes are read the field may be a password box: it gets its
  // keys untouched. A read TSF grants at once leaves no gap.
  service.set_field(context != nullptr ? FieldKind::Private : FieldKind::Text);
  if (context == nullptr) return;
  const auto session = com::make_object<FieldSession>(ComPtr<TextService>::retain(&service),
                                                      ComPtr<ITfContext>::retain(context));
  HRESULT result = S_OK;
  HRESULT hr = context->RequestEditSession(service.client_id(), session.get(),
                                           TF_ES_SYNC | TF_ES_READ, &result);
  if (hr == TF_E_SYNCHRONOUS || result == TF_E_SYNCHRONOUS) {
    hr = context->RequestEditSession(service.client_id(), session.get(), TF_ES_ASYNC | TF_ES_READ,
                                     &result);
  }
  // No session will run: nothing tells this field from an ordinary one.
  if (FAILED(hr)) service.set_field(FieldKind::Text);
}

bool keyboard_off(ITfContext* context) {
  const auto compartments = ComPtr<ITfContext>::retain(context).query<ITfCompartmentMgr>();
  if (!compartments) return false;
  return compartment_set(compartments.get(), ids::kCompartmentKeyboardDisabled) ||
         compartment_set(compartments.get(), ids::kCompartmentEmptyContext);
}

}  // namespace sorla::tsf
