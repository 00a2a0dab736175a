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
#include "dialogs/add_word_dialog.h"
#include "dialogs/settings_dialog.h"
#include "sorla/front_end.h"
#include "tsf/edit/edit_host.h"
#include "tsf/langbar/menu.h"
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
                         ITfCompositionSink, ITfDisplayAttributeProvider, ITfTextEditSink>,
      public edit::EditHost {
 public:
  TextService();
  ~TextService() override;

  // IUnknown, for COM and the edit sessions alike.
  ULONG STDMETHODCALLTYPE AddRef() override { return Object::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return Object::Release(); }

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

  // edit::EditHost: what the edit sessions read and hand back; each a short
  // borrow.
  TfClientId client_id() override;
  edit::EditStart begin_edit() override;
  void edit_done(ITfContext* context, com::ComPtr<ITfComposition> composition,
                 std::optional<window::Rect> caret) override;
  void composition_finished() override;
  com::ComPtr<ITfComposition> composition() override;
  void caret_found(std::optional<window::Rect> caret) override;
  void field_read(ITfContext* context, FieldKind kind) override;

  // For tests: the millisecond clock of the Shift-tap rule and what opens
  // the report page.
  void set_clock(std::function<std::uint64_t()> now_ms);
  void set_url_opener(std::function<void(const std::string&)> open);

  // What the button's menu shows; tests stand in their own for the pop-up
  // menu and the dialogs (an empty one is the real one).
  struct MenuHooks {
    std::function<std::optional<langbar::Command>(const std::vector<langbar::MenuItem>&, POINT)>
        choose;
    std::function<std::optional<dialogs::SettingsValues>(const dialogs::SettingsDialogInput&)>
        settings;
    std::function<void(const std::wstring&)> about;
    // Shows the "Add a word…" dialog for `input`; true when a word was added.
    std::function<bool(const dialogs::AddWordInput&)> add_word;
  };
  void set_menu_hooks(MenuHooks hooks);

 private:
  std::uint64_t now_ms() const;
  // Brings the language-bar button and the candidate window up to date.
  void refresh_ui();
  // Runs an answer's plan in `context`: the edit refreshes the UI once it
  // has run; without one the UI is refreshed now.
  void run(ITfContext* context, EditPlan plan);
  // Runs the plan of an answer that did not come from OnKeyDown (a click, a
  // Shift tap) in the context of the latest key event.
  void deliver(EditPlan plan);
  void on_candidate_click(const window::Click& click);
  void on_langbar_click();
  void on_langbar_menu(POINT point);
  void run_command(langbar::Command command);
  // The report page for what is being typed, opened in the browser.
  void open_report();
  void open_settings();
  void open_add_word();
  void show_about();
  // Takes the user's settings as they are now (another process's settings
  // dialog may have changed them) and a clear of the learned words made
  // elsewhere (tsf/service/outside_changes.h).
  void apply_settings();
  bool clear_learned();
  // The window the menu and dialogs belong to: the one the user types in.
  HWND dialog_owner();
  // The application driving the candidate list element.
  void on_element_select(std::size_t index);
  void on_element_end(bool finalize);
  void on_element_shown(bool shown);
  void watch(ITfContext* context);
  // Watches the focused document's top context and reads its field kind.
  void follow_focus(ITfDocumentMgr* focus);
  // Reads the kind of the field of `context`, the focused one; until the
  // read is heard the field is taken for a private one.
  void read_field(ITfContext* context, edit::RequestMode mode);
  // At a key event: a scope read still unheard is tried again, and one
  // unheard for too long is given up. False when none was pending, the
  // state untouched.
  bool settle_field();
  // Takes the composition out and ends it with the letters as typed.
  void finish_composition(edit::RequestMode mode);
  // Saves the picks the engine has not saved yet; one that finds another
  // process saving leaves them for the next chance.
  void save_learned(learned_file::SaveMoment moment);

  StateCell<ServiceState> state_;
  std::function<std::uint64_t()> clock_;
  std::function<void(const std::string&)> open_url_;
  MenuHooks menu_hooks_;
};

}  // namespace sorla::tsf
