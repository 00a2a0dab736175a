// The TSF text input processor. This is its COM shell: it can be created,
// queried and released; activation and the handlers grow into it.
#pragma once

#include "com/object.h"
#include "tsf_decls.h"

namespace sorla::com {
// The extended processor interface also answers for the one it extends.
template <>
struct Answers<ITfTextInputProcessorEx> {
  static bool iid(REFIID iid) noexcept {
    return IsEqualIID(iid, __uuidof(ITfTextInputProcessorEx)) ||
           IsEqualIID(iid, __uuidof(ITfTextInputProcessor));
  }
};
}  // namespace sorla::com

namespace sorla::tsf {

class TextService final
    : public com::Object<ITfTextInputProcessorEx, ITfKeyEventSink, ITfThreadMgrEventSink,
                         ITfCompositionSink, ITfDisplayAttributeProvider, ITfTextEditSink> {
 public:
  TextService() = default;

  // ITfTextInputProcessor / ITfTextInputProcessorEx
  HRESULT STDMETHODCALLTYPE Activate(ITfThreadMgr* thread_mgr, TfClientId client_id) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE ActivateEx(ITfThreadMgr* thread_mgr, TfClientId client_id,
                                       DWORD flags) override;

  // ITfKeyEventSink
  HRESULT STDMETHODCALLTYPE OnSetFocus(BOOL foreground) override;
  HRESULT STDMETHODCALLTYPE OnTestKeyDown(ITfContext* context, WPARAM key, LPARAM info,
                                          BOOL* eaten) override;
  HRESULT STDMETHODCALLTYPE OnTestKeyUp(ITfContext* context, WPARAM key, LPARAM info,
                                        BOOL* eaten) override;
  HRESULT STDMETHODCALLTYPE OnKeyDown(ITfContext* context, WPARAM key, LPARAM info,
                                      BOOL* eaten) override;
  HRESULT STDMETHODCALLTYPE OnKeyUp(ITfContext* context, WPARAM key, LPARAM info,
                                    BOOL* eaten) override;
  HRESULT STDMETHODCALLTYPE OnPreservedKey(ITfContext* context, REFGUID guid, BOOL* eaten) override;

  // ITfThreadMgrEventSink
  HRESULT STDMETHODCALLTYPE OnInitDocumentMgr(ITfDocumentMgr* doc) override;
  HRESULT STDMETHODCALLTYPE OnUninitDocumentMgr(ITfDocumentMgr* doc) override;
  HRESULT STDMETHODCALLTYPE OnSetFocus(ITfDocumentMgr* focus, ITfDocumentMgr* previous) override;
  HRESULT STDMETHODCALLTYPE OnPushContext(ITfContext* context) override;
  HRESULT STDMETHODCALLTYPE OnPopContext(ITfContext* context) override;

  // ITfCompositionSink
  HRESULT STDMETHODCALLTYPE OnCompositionTerminated(TfEditCookie cookie,
                                                    ITfComposition* composition) override;

  // ITfDisplayAttributeProvider
  HRESULT STDMETHODCALLTYPE EnumDisplayAttributeInfo(IEnumTfDisplayAttributeInfo** out) override;
  HRESULT STDMETHODCALLTYPE GetDisplayAttributeInfo(REFGUID guid,
                                                    ITfDisplayAttributeInfo** out) override;

  // ITfTextEditSink
  HRESULT STDMETHODCALLTYPE OnEndEdit(ITfContext* context, TfEditCookie cookie,
                                      ITfEditRecord* record) override;
};

}  // namespace sorla::tsf
