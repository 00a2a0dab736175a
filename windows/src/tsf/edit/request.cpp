#include "com/boundary.h"
#include "tsf/edit/sessions.h"
#include "tsf/service/text_service.h"

namespace sorla::edit {

using com::ComPtr;

namespace {

constexpr DWORD kSyncReadWrite = TF_ES_SYNC | TF_ES_READWRITE;
constexpr DWORD kReadWrite = TF_ES_READWRITE;
constexpr DWORD kAsyncRead = TF_ES_ASYNC | TF_ES_READ;

}  // namespace

HRESULT request_update(tsf::TextService& service, ITfContext* context, EditRecord record,
                       RequestMode mode) {
  if (context == nullptr) return E_POINTER;
  const auto session =
      com::make_object<UpdateSession>(ComPtr<tsf::TextService>::retain(&service),
                                      ComPtr<ITfContext>::retain(context), std::move(record));
  const TfClientId client = service.client_id();
  HRESULT result = S_OK;
  if (mode == RequestMode::sync_first) {
    const HRESULT hr = context->RequestEditSession(client, session.get(), kSyncReadWrite, &result);
    if (hr != TF_E_SYNCHRONOUS && result != TF_E_SYNCHRONOUS) return FAILED(hr) ? hr : result;
    // The application is busy (inside a lock of its own): let TSF run it later.
    result = S_OK;
  }
  const HRESULT hr = context->RequestEditSession(client, session.get(), kReadWrite, &result);
  return FAILED(hr) ? hr : result;
}

void request_caret_lookup(tsf::TextService& service, ITfContext* context) {
  if (context == nullptr) return;
  const auto session = com::make_object<CaretSession>(ComPtr<tsf::TextService>::retain(&service),
                                                      ComPtr<ITfContext>::retain(context));
  HRESULT result = S_OK;
  context->RequestEditSession(service.client_id(), session.get(), kAsyncRead, &result);
}

}  // namespace sorla::edit
