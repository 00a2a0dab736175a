#include "com/boundary.h"
#include "tsf/edit/sessions.h"

namespace sorla::edit {

using com::ComPtr;

namespace {

// Synchronous first: when the application is busy inside a lock of its own
// (TF_E_SYNCHRONOUS), the same access is asked for again and TSF runs the
// session later.
HRESULT request(EditHost& host, ITfContext* context, ITfEditSession* session, DWORD access,
                RequestMode mode) {
  const TfClientId client = host.client_id();
  HRESULT result = S_OK;
  if (mode != RequestMode::AsyncAllowed) {
    const HRESULT hr = context->RequestEditSession(client, session, TF_ES_SYNC | access, &result);
    if (mode == RequestMode::SyncOnly) return FAILED(hr) ? hr : result;
    if (hr != TF_E_SYNCHRONOUS && result != TF_E_SYNCHRONOUS) return FAILED(hr) ? hr : result;
    result = S_OK;
  }
  const HRESULT hr = context->RequestEditSession(client, session, access, &result);
  return FAILED(hr) ? hr : result;
}

ComPtr<EditHost> keep(EditHost& host) { return ComPtr<EditHost>::retain(&host); }

}  // namespace

HRESULT request_output(EditHost& host, ITfContext* context, EditPlan plan) {
  if (context == nullptr) return E_POINTER;
  const auto session = com::make_object<OutputSession>(
      keep(host), ComPtr<ITfContext>::retain(context), std::move(plan));
  return request(host, context, session.get(), TF_ES_READWRITE, RequestMode::SyncFirst);
}

HRESULT request_end(EditHost& host, ITfContext* context, ComPtr<ITfComposition> composition,
                    EditPlan plan, RequestMode mode) {
  if (context == nullptr) return E_POINTER;
  const auto session = com::make_object<EndSession>(keep(host), ComPtr<ITfContext>::retain(context),
                                                    std::move(composition), std::move(plan));
  return request(host, context, session.get(), TF_ES_READWRITE, mode);
}

void request_caret_lookup(EditHost& host, ITfContext* context) {
  if (context == nullptr) return;
  const auto session =
      com::make_object<CaretSession>(keep(host), ComPtr<ITfContext>::retain(context));
  HRESULT result = S_OK;
  context->RequestEditSession(host.client_id(), session.get(), TF_ES_ASYNC | TF_ES_READ, &result);
}

HRESULT request_field_read(EditHost& host, ITfContext* context, RequestMode mode) {
  if (context == nullptr) return E_POINTER;
  const auto session =
      com::make_object<FieldSession>(keep(host), ComPtr<ITfContext>::retain(context));
  return request(host, context, session.get(), TF_ES_READ, mode);
}

}  // namespace sorla::edit
