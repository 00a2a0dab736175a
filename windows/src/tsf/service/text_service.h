// The TSF text input processor: turns key events into typing-session
// inputs, decides which keys are eaten, and turns the session's answers into
// document edits and UI updates. Everything runs on the host's UI thread;
// the state lives in one single-owner cell that every method borrows briefly
// and releases before calling out to TSF.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "com/object.h"
#include "sorla/session.h"
#include "tsf/service/state.h"
#include "tsf/service/state_cell.h"
#include "tsf/window/layout.h"
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

namespace sorla::edit {
enum class RequestMode;
}

namespace sorla::tsf {

class TextService final
    : public com::Object<ITfTextInputProcessorEx, ITfKeyEventSink, ITfThreadMgrEventSink,
                         ITfCompositionSink, ITfDisplayAttributeProvider, ITfTextEditSink> {
 public:
  TextService();
  ~TextService() override;

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

  // What the edit sessions read and write; each a short borrow.
  com::ComPtr<ITfComposition> composition();
  void set_composition(com::ComPtr<ITfComposition> composition);
  void set_caret(std::optional<window::Rect> caret);
  // Notes the window of the composition's context, which a Store app's
  // pop-up needs as its owner; nothing elsewhere.
  void note_view_window(ITfContext* context);
  void set_own_edit();
  // What the focused field wants; only a Text field gets Khmer typing.
  void set_field(FieldKind kind);
  TfClientId client_id();
  std::optional<TfGuidAtom> display_atom();

  // Brings the language-bar button and the candidate window up to date.
  void refresh_ui();
  // Applies an output that did not come from OnKeyDown through the context
  // of the latest key event.
  void deliver(const SessionOutput& output);

  // For tests: the millisecond clock of the Shift-tap rule and what opens
  // the report page.
  void set_clock(std::function<std::uint64_t()> now_ms);
  void set_url_opener(std::function<void(const std::string&)> open);

 private:
  using Borrow = StateCell<ServiceState>::Borrow;

  std::uint64_t now_ms() const;
  void on_candidate_click(const window::Click& click);
  void on_langbar_click();
  // The application driving the candidate list element.
  void on_element_select(std::size_t index);
  void on_element_end(bool finalize);
  void on_element_shown(bool shown);
  void watch(ITfContext* context);
  // Watches the focused document's top context and reads its field kind.
  void follow_focus(ITfDocumentMgr* focus);
  // Takes the composition out and ends it with the reset() commit text.
  void finish_composition(edit::RequestMode mode);
  void save_learned_if_dirty();
  bool is_tap(Borrow& state, std::uint32_t vk, bool take);

  StateCell<ServiceState> state_;
  std::function<std::uint64_t()> clock_;
  std::function<void(const std::string&)> open_url_;
};

}  // namespace sorla::tsf
