#include "com/boundary.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"

namespace sorla::edit {

using com::ComPtr;

namespace {

constexpr DWORD kSyncReadWrite = TF_ES_SYNC | TF_ES_READWRITE;
constexpr DWORD kReadWrite = TF_ES_READWRITE;
constexpr DWORD kAsyncRead = TF_ES_ASYNC | TF_ES_READ;

HRESULT request(tsf::TextService& service, ITfContext* context, ITfEditSession* session,
                RequestMode mode) {
  const TfClientId client = service.client_id();
  HRESULT result = S_OK;
  if (mode == RequestMode::sync_first) {
    const HRESULT hr = context->RequestEditSession(client, session, kSyncReadWrite, &result);
    if (hr != TF_E_SYNCHRONOUS && result != TF_E_SYNCHRONOUS) return FAILED(hr) ? hr : result;
    // The application is busy (inside a lock of its own): let TSF run it later.
    result = S_OK;
  }
  const HRESULT hr = context->RequestEditSession(client, session, kReadWrite, &result);
  return FAILED(hr) ? hr : result;
}

}  // namespace

HRESULT request_output(tsf::TextService& service, ITfContext* context, EditPlan plan) {
  if (context == nullptr) return E_POINTER;
  const auto session =
      com::make_object<OutputSession>(ComPtr<tsf::TextService>::retain(&service),
                                      ComPtr<ITfContext>::retain(context), std::move(plan));
  return request(service, context, session.get(), RequestMode::sync_first);
}

HRESULT request_end(tsf::TextService& service, ITfContext* context,
                    ComPtr<ITfComposition> composition, EditPlan plan, RequestMode mode) {
  if (context == nullptr) return E_POINTER;
  const auto session = com::make_object<EndSession>(ComPtr<tsf::TextService>::retain(&service),
                                                    ComPtr<ITfContext>::retain(context),
                                                    std::move(composition), std::move(plan));
  return request(service, context, session.get(), mode);
}

void request_caret_lookup(tsf::TextService& service, ITfContext* context) {
  if (context == nullptr) return;
  const auto session = com::make_object<CaretSession>(ComPtr<tsf::TextService>::retain(&service),
                                                      ComPtr<ITfContext>::retain(context));
  HRESULT result = S_OK;
  context->RequestEditSession(service.client_id(), session.get(), kAsyncRead, &result);
}

}  // namespace sorla::edit
