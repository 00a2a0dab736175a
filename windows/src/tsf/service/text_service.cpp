#include "tsf/service/text_service.h"

namespace sorla::tsf {
namespace {

// An inactive service lets every key through.
HRESULT not_eaten(BOOL* eaten) {
  if (eaten) *eaten = FALSE;
  return S_OK;
}

}  // namespace

HRESULT TextService::Activate(ITfThreadMgr*, TfClientId) { return E_NOTIMPL; }

HRESULT TextService::Deactivate() { return S_OK; }

HRESULT TextService::ActivateEx(ITfThreadMgr* thread_mgr, TfClientId client_id, DWORD) {
  return Activate(thread_mgr, client_id);
}

HRESULT TextService::OnSetFocus(BOOL) { return S_OK; }

HRESULT TextService::OnTestKeyDown(ITfContext*, WPARAM, LPARAM, BOOL* eaten) {
  return not_eaten(eaten);
}

HRESULT TextService::OnTestKeyUp(ITfContext*, WPARAM, LPARAM, BOOL* eaten) {
  return not_eaten(eaten);
}

HRESULT TextService::OnKeyDown(ITfContext*, WPARAM, LPARAM, BOOL* eaten) {
  return not_eaten(eaten);
}

HRESULT TextService::OnKeyUp(ITfContext*, WPARAM, LPARAM, BOOL* eaten) { return not_eaten(eaten); }

HRESULT TextService::OnPreservedKey(ITfContext*, REFGUID, BOOL* eaten) { return not_eaten(eaten); }

HRESULT TextService::OnInitDocumentMgr(ITfDocumentMgr*) { return S_OK; }

HRESULT TextService::OnUninitDocumentMgr(ITfDocumentMgr*) { return S_OK; }

HRESULT TextService::OnSetFocus(ITfDocumentMgr*, ITfDocumentMgr*) { return S_OK; }

HRESULT TextService::OnPushContext(ITfContext*) { return S_OK; }

HRESULT TextService::OnPopContext(ITfContext*) { return S_OK; }

HRESULT TextService::OnCompositionTerminated(TfEditCookie, ITfComposition*) { return S_OK; }

HRESULT TextService::EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT TextService::GetDisplayAttributeInfo(REFGUID, ITfDisplayAttributeInfo** out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = nullptr;
  return E_NOTIMPL;
}

HRESULT TextService::OnEndEdit(ITfContext*, TfEditCookie, ITfEditRecord*) { return S_OK; }

}  // namespace sorla::tsf
