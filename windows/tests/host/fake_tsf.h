// Fake TSF objects for driving the text service without Windows' TSF:
// a thread manager, document managers and contexts over in-memory
// documents, with the ranges, compositions, attribute property, view and
// edit records the service uses. Each fake checks the edit cookie as TSF
// does, so a step made outside its edit session fails.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "com/object.h"
#include "host/document.h"
#include "tsf_decls.h"
// After the TSF headers.
#include <inputscope.h>

namespace sorla::host {

using com::ComPtr;

class FakeContext;

class FakeRange final : public com::Object<ITfRange> {
 public:
  FakeRange(FakeContext* context, std::shared_ptr<Span> span);

  HRESULT STDMETHODCALLTYPE GetText(TfEditCookie ec, DWORD flags, WCHAR* text, ULONG max,
                                    ULONG* got) override;
  HRESULT STDMETHODCALLTYPE SetText(TfEditCookie ec, DWORD flags, const WCHAR* text,
                                    LONG length) override;
  HRESULT STDMETHODCALLTYPE GetFormattedText(TfEditCookie, IDataObject**) override;
  HRESULT STDMETHODCALLTYPE GetEmbedded(TfEditCookie, REFGUID, REFIID, IUnknown**) override;
  HRESULT STDMETHODCALLTYPE InsertEmbedded(TfEditCookie, DWORD, IDataObject*) override;
  HRESULT STDMETHODCALLTYPE ShiftStart(TfEditCookie ec, LONG request, LONG* moved,
                                       const TF_HALTCOND* halt) override;
  HRESULT STDMETHODCALLTYPE ShiftEnd(TfEditCookie ec, LONG request, LONG* moved,
                                     const TF_HALTCOND* halt) override;
  HRESULT STDMETHODCALLTYPE ShiftStartToRange(TfEditCookie, ITfRange*, TfAnchor) override;
  HRESULT STDMETHODCALLTYPE ShiftEndToRange(TfEditCookie, ITfRange*, TfAnchor) override;
  HRESULT STDMETHODCALLTYPE ShiftStartRegion(TfEditCookie, TfShiftDir, BOOL*) override;
  HRESULT STDMETHODCALLTYPE ShiftEndRegion(TfEditCookie, TfShiftDir, BOOL*) override;
  HRESULT STDMETHODCALLTYPE IsEmpty(TfEditCookie ec, BOOL* empty) override;
  HRESULT STDMETHODCALLTYPE Collapse(TfEditCookie ec, TfAnchor anchor) override;
  HRESULT STDMETHODCALLTYPE IsEqualStart(TfEditCookie, ITfRange*, TfAnchor, BOOL*) override;
  HRESULT STDMETHODCALLTYPE IsEqualEnd(TfEditCookie, ITfRange*, TfAnchor, BOOL*) override;
  HRESULT STDMETHODCALLTYPE CompareStart(TfEditCookie, ITfRange*, TfAnchor, LONG*) override;
  HRESULT STDMETHODCALLTYPE CompareEnd(TfEditCookie, ITfRange*, TfAnchor, LONG*) override;
  HRESULT STDMETHODCALLTYPE AdjustForInsert(TfEditCookie, ULONG, BOOL*) override;
  HRESULT STDMETHODCALLTYPE GetGravity(TfGravity*, TfGravity*) override;
  HRESULT STDMETHODCALLTYPE SetGravity(TfEditCookie, TfGravity, TfGravity) override;
  HRESULT STDMETHODCALLTYPE Clone(ITfRange** clone) override;
  HRESULT STDMETHODCALLTYPE GetContext(ITfContext** context) override;

  const std::shared_ptr<Span>& span() const { return span_; }
  FakeContext* owner() const { return context_.get(); }

 private:
  ComPtr<FakeContext> context_;
  std::shared_ptr<Span> span_;
};

class FakeComposition final : public com::Object<ITfComposition> {
 public:
  FakeComposition(FakeContext* context, std::shared_ptr<Span> span,
                  ComPtr<ITfCompositionSink> sink);

  HRESULT STDMETHODCALLTYPE GetRange(ITfRange** range) override;
  HRESULT STDMETHODCALLTYPE ShiftStart(TfEditCookie, ITfRange*) override;
  HRESULT STDMETHODCALLTYPE ShiftEnd(TfEditCookie, ITfRange*) override;
  HRESULT STDMETHODCALLTYPE EndComposition(TfEditCookie ec) override;

  const Span& span() const { return *span_; }
  bool ended() const { return ended_; }
  ITfCompositionSink* sink() const { return sink_.get(); }
  void end() { ended_ = true; }

 private:
  ComPtr<FakeContext> context_;
  std::shared_ptr<Span> span_;
  ComPtr<ITfCompositionSink> sink_;
  bool ended_ = false;
};

class FakeProperty final : public com::Object<ITfProperty> {
 public:
  explicit FakeProperty(FakeContext* context) : context_(context) {}

  HRESULT STDMETHODCALLTYPE GetType(GUID* guid) override;
  HRESULT STDMETHODCALLTYPE EnumRanges(TfEditCookie, IEnumTfRanges**, ITfRange*) override;
  HRESULT STDMETHODCALLTYPE GetValue(TfEditCookie, ITfRange*, VARIANT*) override;
  HRESULT STDMETHODCALLTYPE GetContext(ITfContext** context) override;
  HRESULT STDMETHODCALLTYPE FindRange(TfEditCookie, ITfRange*, ITfRange**, TfAnchor) override;
  HRESULT STDMETHODCALLTYPE SetValueStore(TfEditCookie, ITfRange*, ITfPropertyStore*) override;
  HRESULT STDMETHODCALLTYPE SetValue(TfEditCookie ec, ITfRange* range,
                                     const VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE Clear(TfEditCookie ec, ITfRange* range) override;

 private:
  FakeContext* context_;  // owns this property
};

class FakeView final : public com::Object<ITfContextView> {
 public:
  explicit FakeView(FakeContext* context) : context_(context) {}

  HRESULT STDMETHODCALLTYPE GetRangeFromPoint(TfEditCookie, const POINT*, DWORD,
                                              ITfRange**) override;
  HRESULT STDMETHODCALLTYPE GetTextExt(TfEditCookie ec, ITfRange* range, RECT* rect,
                                       BOOL* clipped) override;
  HRESULT STDMETHODCALLTYPE GetScreenExt(RECT* rect) override;
  HRESULT STDMETHODCALLTYPE GetWnd(HWND* hwnd) override;

 private:
  FakeContext* context_;  // owns this view
};

// The input scopes an application gives its field.
class FakeInputScope final : public com::Object<ITfInputScope> {
 public:
  explicit FakeInputScope(std::vector<InputScope> scopes) : scopes_(std::move(scopes)) {}
  HRESULT STDMETHODCALLTYPE GetInputScopes(InputScope** scopes, UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetPhrase(BSTR**, UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRegularExpression(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSRGS(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetXML(BSTR*) override { return E_NOTIMPL; }

 private:
  std::vector<InputScope> scopes_;
};

// GUID_PROP_INPUTSCOPE over the whole document.
class FakeScopeProperty final : public com::Object<ITfReadOnlyProperty> {
 public:
  FakeScopeProperty(FakeContext* context, std::vector<InputScope> scopes)
      : context_(ComPtr<FakeContext>::retain(context)), scopes_(std::move(scopes)) {}
  HRESULT STDMETHODCALLTYPE GetType(GUID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumRanges(TfEditCookie, IEnumTfRanges**, ITfRange*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetValue(TfEditCookie ec, ITfRange* range, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE GetContext(ITfContext**) override { return E_NOTIMPL; }

 private:
  ComPtr<FakeContext> context_;
  std::vector<InputScope> scopes_;
};

// A compartment holding a VT_I4 the application sets.
class FakeCompartment final : public com::Object<ITfCompartment> {
 public:
  explicit FakeCompartment(LONG value) : value_(value) {}
  HRESULT STDMETHODCALLTYPE SetValue(TfClientId, const VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* value) override;

 private:
  LONG value_;
};

// The ranges an edit record reports: none, or one standing for the change.
class FakeRangeEnum final : public com::Object<IEnumTfRanges> {
 public:
  explicit FakeRangeEnum(ComPtr<ITfRange> range) : range_(std::move(range)) {}
  HRESULT STDMETHODCALLTYPE Clone(IEnumTfRanges**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, ITfRange** ranges, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }

 private:
  ComPtr<ITfRange> range_;
  bool given_ = false;
};

class FakeEditRecord final : public com::Object<ITfEditRecord> {
 public:
  // `scopes_over`: the whole document, when the edit changed the field's
  // input scopes.
  FakeEditRecord(bool selection_changed, ComPtr<ITfRange> scopes_over)
      : selection_changed_(selection_changed), scopes_over_(std::move(scopes_over)) {}
  HRESULT STDMETHODCALLTYPE GetSelectionStatus(BOOL* changed) override;
  HRESULT STDMETHODCALLTYPE GetTextAndPropertyUpdates(DWORD flags, const GUID** properties,
                                                      ULONG count, IEnumTfRanges** out) override;

 private:
  bool selection_changed_;
  ComPtr<ITfRange> scopes_over_;
};

// A context over one Document. It runs edit sessions now or queues them,
// as the application allows.
class FakeContext final : public com::Object<ITfContext, ITfInsertAtSelection,
                                             ITfContextComposition, ITfSource, ITfCompartmentMgr> {
 public:
  explicit FakeContext(TfClientId expected_client);
  ~FakeContext() override;

  // ITfContext
  HRESULT STDMETHODCALLTYPE RequestEditSession(TfClientId client, ITfEditSession* session,
                                               DWORD flags, HRESULT* result) override;
  HRESULT STDMETHODCALLTYPE InWriteSession(TfClientId, BOOL*) override;
  HRESULT STDMETHODCALLTYPE GetSelection(TfEditCookie ec, ULONG index, ULONG count,
                                         TF_SELECTION* selection, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE SetSelection(TfEditCookie ec, ULONG count,
                                         const TF_SELECTION* selection) override;
  HRESULT STDMETHODCALLTYPE GetStart(TfEditCookie ec, ITfRange** range) override;
  HRESULT STDMETHODCALLTYPE GetEnd(TfEditCookie ec, ITfRange** range) override;
  HRESULT STDMETHODCALLTYPE GetActiveView(ITfContextView** view) override;
  HRESULT STDMETHODCALLTYPE EnumViews(IEnumTfContextViews**) override;
  HRESULT STDMETHODCALLTYPE GetStatus(TF_STATUS* status) override;
  HRESULT STDMETHODCALLTYPE GetProperty(REFGUID guid, ITfProperty** property) override;
  HRESULT STDMETHODCALLTYPE GetAppProperty(REFGUID, ITfReadOnlyProperty**) override;
  HRESULT STDMETHODCALLTYPE TrackProperties(const GUID**, ULONG, const GUID**, ULONG,
                                            ITfReadOnlyProperty**) override;
  HRESULT STDMETHODCALLTYPE EnumProperties(IEnumTfProperties**) override;
  HRESULT STDMETHODCALLTYPE GetDocumentMgr(ITfDocumentMgr**) override;
  HRESULT STDMETHODCALLTYPE CreateRangeBackup(TfEditCookie, ITfRange*, ITfRangeBackup**) override;
  // ITfInsertAtSelection
  HRESULT STDMETHODCALLTYPE InsertTextAtSelection(TfEditCookie ec, DWORD flags, const WCHAR* text,
                                                  LONG length, ITfRange** range) override;
  HRESULT STDMETHODCALLTYPE InsertEmbeddedAtSelection(TfEditCookie, DWORD, IDataObject*,
                                                      ITfRange**) override;
  // ITfContextComposition
  HRESULT STDMETHODCALLTYPE StartComposition(TfEditCookie ec, ITfRange* range,
                                             ITfCompositionSink* sink,
                                             ITfComposition** composition) override;
  HRESULT STDMETHODCALLTYPE EnumCompositions(IEnumITfCompositionView**) override;
  HRESULT STDMETHODCALLTYPE FindComposition(TfEditCookie, ITfRange*,
                                            IEnumITfCompositionView**) override;
  HRESULT STDMETHODCALLTYPE TakeOwnership(TfEditCookie, ITfCompositionView*, ITfCompositionSink*,
                                          ITfComposition**) override;
  // ITfSource (text-edit sinks)
  HRESULT STDMETHODCALLTYPE AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE UnadviseSink(DWORD cookie) override;

  // ITfCompartmentMgr
  HRESULT STDMETHODCALLTYPE GetCompartment(REFGUID guid, ITfCompartment** compartment) override;
  HRESULT STDMETHODCALLTYPE ClearCompartment(TfClientId, REFGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumCompartments(IEnumGUID**) override { return E_NOTIMPL; }

  // For the fakes: whether `ec` grants reading or writing now.
  bool can_read(TfEditCookie ec) const;
  bool can_write(TfEditCookie ec) const;
  Document& document() { return document_; }
  RECT text_extent_of(const Span& span) const;
  void composition_ended(FakeComposition* composition);

  // --- What the application and the test do ---
  // While refusing, synchronous requests get TF_E_SYNCHRONOUS and the
  // others wait in the queue, as in an application busy with a lock.
  void set_refuse_sync(bool refuse) { refuse_sync_ = refuse; }
  // Runs the queued edit sessions, as the application's message loop would.
  void run_queued();
  std::size_t queued() const { return queue_.size(); }
  // The rectangle GetTextExt reports for text at position 0; every later
  // character moves it 10 pixels right. An empty one reports no extent.
  void set_text_extent(RECT rect) { extent_ = rect; }
  // The document manager GetDocumentMgr answers (not owned: it owns us).
  void set_document_mgr(ITfDocumentMgr* document) { document_mgr_ = document; }
  // Wine composes nothing: text goes in at the selection only.
  void set_no_compositions(bool none) { no_compositions_ = none; }
  // Wine reports every edit with no edit record.
  void set_null_edit_records(bool null_records) { null_records_ = null_records; }
  // The user moved the selection; the text-edit sinks hear of it.
  void app_select(LONG start, LONG end);
  // The application's own handling of a key the service let through:
  // text typed over the selection, or one character deleted before the caret.
  void app_type(std::wstring_view text);
  void app_backspace();
  // The `calls`-th edit call from now (counted where the cookie is checked)
  // fails, as a call into a real application can.
  void fail_call(int calls) { fail_countdown_ = calls; }
  // The field's input scopes (none: the property cannot be read, as under
  // Wine) and the keyboard-disabled compartment.
  void set_input_scopes(std::optional<std::vector<InputScope>> scopes) {
    scopes_ = std::move(scopes);
  }
  // The application gives the focused field other scopes, and tells the
  // text-edit sinks (as TSF does after ITextStoreACPSink::OnAttrsChange).
  void app_change_input_scopes(std::vector<InputScope> scopes);
  void set_keyboard_disabled(bool disabled) { keyboard_disabled_ = disabled; }
  void set_read_only(bool read_only) { read_only_ = read_only; }
  // The window the active view reports.
  void set_view_window(HWND window) { view_window_ = window; }
  HWND view_window() const { return view_window_; }
  // The application changed its text without telling anyone.
  void app_replace_quietly(LONG start, LONG end, std::wstring_view with);
  // The application ends every active composition.
  void app_end_compositions();

  std::wstring text() const { return document_.text(); }
  Span selection() const { return document_.selection(); }
  // The text of the one active composition; none when there is none.
  std::optional<std::wstring> composition_text() const;
  std::optional<Span> composition_span() const;
  std::size_t active_compositions() const { return compositions_.size(); }
  std::size_t edit_sink_count() const { return edit_sinks_.size(); }
  int sessions_run() const { return sessions_run_; }
  // Drops compositions, sinks and queued sessions (they hold the context).
  void shut_down();

 private:
  struct Queued {
    ComPtr<ITfEditSession> session;
    bool write;
  };

  HRESULT run(ITfEditSession* session, bool write);
  void notify_end_edit(bool selection_changed, bool scopes_changed = false);
  FakeRange* own_range(ITfRange* range) const;

  TfClientId expected_client_;
  Document document_;
  ComPtr<FakeProperty> attribute_;
  ComPtr<FakeView> view_;
  std::vector<ComPtr<FakeComposition>> compositions_;
  std::map<DWORD, ComPtr<ITfTextEditSink>> edit_sinks_;
  DWORD next_sink_cookie_ = 100;
  std::deque<Queued> queue_;
  bool refuse_sync_ = false;
  bool null_records_ = false;
  RECT extent_{100, 200, 110, 224};
  TfEditCookie next_cookie_ = 1;
  TfEditCookie cookie_ = 0;  // of the session running now; 0 when none
  bool write_ = false;
  int sessions_run_ = 0;
  mutable int fail_countdown_ = 0;
  std::optional<std::vector<InputScope>> scopes_;
  bool keyboard_disabled_ = false;
  bool read_only_ = false;
  HWND view_window_ = nullptr;
  ITfDocumentMgr* document_mgr_ = nullptr;
  bool no_compositions_ = false;
};

class FakeDocumentMgr final : public com::Object<ITfDocumentMgr> {
 public:
  explicit FakeDocumentMgr(ComPtr<FakeContext> top) : top_(std::move(top)) {
    top_->set_document_mgr(this);
  }
  ~FakeDocumentMgr() override { top_->set_document_mgr(nullptr); }

  HRESULT STDMETHODCALLTYPE CreateContext(TfClientId, DWORD, IUnknown*, ITfContext**,
                                          TfEditCookie*) override;
  HRESULT STDMETHODCALLTYPE Push(ITfContext*) override;
  HRESULT STDMETHODCALLTYPE Pop(DWORD) override;
  HRESULT STDMETHODCALLTYPE GetTop(ITfContext** context) override;
  HRESULT STDMETHODCALLTYPE GetBase(ITfContext** context) override;
  HRESULT STDMETHODCALLTYPE EnumContexts(IEnumTfContexts**) override;

  FakeContext& context() { return *top_.get(); }

 private:
  ComPtr<FakeContext> top_;
};

// Counts the language bar's updates and reads the item back at each, as
// the language bar does.
class FakeLangBarSink final : public com::Object<ITfLangBarItemSink> {
 public:
  explicit FakeLangBarSink(ITfLangBarItem* item) : item_(item) {}
  HRESULT STDMETHODCALLTYPE OnUpdate(DWORD flags) override;
  int updates() const { return updates_; }
  std::wstring last_text() const { return last_text_; }

 private:
  ITfLangBarItem* item_;  // not owned: the manager holds the item
  int updates_ = 0;
  std::wstring last_text_;
};

}  // namespace sorla::host

namespace sorla::com {
// The extended thread manager also answers for the one it extends.
template <>
struct Answers<ITfThreadMgrEx> {
  static bool iid(REFIID iid) noexcept {
    return IsEqualIID(iid, __uuidof(ITfThreadMgrEx)) || IsEqualIID(iid, __uuidof(ITfThreadMgr));
  }
};
}  // namespace sorla::com

namespace sorla::host {

class FakeThreadMgr final : public com::Object<ITfThreadMgrEx, ITfKeystrokeMgr, ITfSource,
                                               ITfLangBarItemMgr, ITfUIElementMgr> {
 public:
  FakeThreadMgr() = default;
  ~FakeThreadMgr() override;

  // ITfThreadMgr
  HRESULT STDMETHODCALLTYPE Activate(TfClientId*) override;
  HRESULT STDMETHODCALLTYPE Deactivate() override;
  HRESULT STDMETHODCALLTYPE CreateDocumentMgr(ITfDocumentMgr**) override;
  HRESULT STDMETHODCALLTYPE EnumDocumentMgrs(IEnumTfDocumentMgrs**) override;
  HRESULT STDMETHODCALLTYPE GetFocus(ITfDocumentMgr** focus) override;
  HRESULT STDMETHODCALLTYPE SetFocus(ITfDocumentMgr* focus) override;
  HRESULT STDMETHODCALLTYPE AssociateFocus(HWND, ITfDocumentMgr*, ITfDocumentMgr**) override;
  HRESULT STDMETHODCALLTYPE IsThreadFocus(BOOL*) override;
  HRESULT STDMETHODCALLTYPE GetFunctionProvider(REFCLSID, ITfFunctionProvider**) override;
  HRESULT STDMETHODCALLTYPE EnumFunctionProviders(IEnumTfFunctionProviders**) override;
  HRESULT STDMETHODCALLTYPE GetGlobalCompartment(ITfCompartmentMgr**) override;
  // ITfThreadMgrEx
  HRESULT STDMETHODCALLTYPE ActivateEx(TfClientId*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetActiveFlags(DWORD* flags) override {
    if (flags == nullptr) return E_INVALIDARG;
    *flags = active_flags_;
    return S_OK;
  }
  // ITfKeystrokeMgr
  HRESULT STDMETHODCALLTYPE AdviseKeyEventSink(TfClientId client, ITfKeyEventSink* sink,
                                               BOOL foreground) override;
  HRESULT STDMETHODCALLTYPE UnadviseKeyEventSink(TfClientId client) override;
  HRESULT STDMETHODCALLTYPE GetForeground(CLSID*) override;
  HRESULT STDMETHODCALLTYPE TestKeyDown(WPARAM, LPARAM, BOOL*) override;
  HRESULT STDMETHODCALLTYPE TestKeyUp(WPARAM, LPARAM, BOOL*) override;
  HRESULT STDMETHODCALLTYPE KeyDown(WPARAM, LPARAM, BOOL*) override;
  HRESULT STDMETHODCALLTYPE KeyUp(WPARAM, LPARAM, BOOL*) override;
  HRESULT STDMETHODCALLTYPE GetPreservedKey(ITfContext*, const TF_PRESERVEDKEY*, GUID*) override;
  HRESULT STDMETHODCALLTYPE IsPreservedKey(REFGUID, const TF_PRESERVEDKEY*, BOOL*) override;
  HRESULT STDMETHODCALLTYPE PreserveKey(TfClientId, REFGUID, const TF_PRESERVEDKEY*, const WCHAR*,
                                        ULONG) override;
  HRESULT STDMETHODCALLTYPE UnpreserveKey(REFGUID, const TF_PRESERVEDKEY*) override;
  HRESULT STDMETHODCALLTYPE SetPreservedKeyDescription(REFGUID, const WCHAR*, ULONG) override;
  HRESULT STDMETHODCALLTYPE GetPreservedKeyDescription(REFGUID, BSTR*) override;
  HRESULT STDMETHODCALLTYPE SimulatePreservedKey(ITfContext*, REFGUID, BOOL*) override;
  // ITfSource (thread-manager event sinks)
  HRESULT STDMETHODCALLTYPE AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE UnadviseSink(DWORD cookie) override;
  // ITfLangBarItemMgr
  HRESULT STDMETHODCALLTYPE EnumItems(IEnumTfLangBarItems**) override;
  HRESULT STDMETHODCALLTYPE GetItem(REFGUID, ITfLangBarItem**) override;
  HRESULT STDMETHODCALLTYPE AddItem(ITfLangBarItem* item) override;
  HRESULT STDMETHODCALLTYPE RemoveItem(ITfLangBarItem* item) override;
  HRESULT STDMETHODCALLTYPE AdviseItemSink(ITfLangBarItemSink*, DWORD*, REFGUID) override;
  HRESULT STDMETHODCALLTYPE UnadviseItemSink(DWORD) override;
  HRESULT STDMETHODCALLTYPE GetItemFloatingRect(DWORD, REFGUID, RECT*) override;
  HRESULT STDMETHODCALLTYPE GetItemsStatus(ULONG, const GUID*, DWORD*) override;
  HRESULT STDMETHODCALLTYPE GetItemNum(ULONG* count) override;
  HRESULT STDMETHODCALLTYPE GetItems(ULONG, ITfLangBarItem**, TF_LANGBARITEMINFO*, DWORD*,
                                     ULONG*) override;
  HRESULT STDMETHODCALLTYPE AdviseItemsSink(ULONG, ITfLangBarItemSink**, const GUID*,
                                            DWORD*) override;
  HRESULT STDMETHODCALLTYPE UnadviseItemsSink(ULONG, DWORD*) override;

  // ITfUIElementMgr
  HRESULT STDMETHODCALLTYPE BeginUIElement(ITfUIElement* element, BOOL* show, DWORD* id) override;
  HRESULT STDMETHODCALLTYPE UpdateUIElement(DWORD id) override;
  HRESULT STDMETHODCALLTYPE EndUIElement(DWORD id) override;
  HRESULT STDMETHODCALLTYPE GetUIElement(DWORD, ITfUIElement**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumUIElements(IEnumTfUIElements**) override { return E_NOTIMPL; }

  // --- What the test does ---
  // Whether BeginUIElement lets the service draw its own UI; FALSE is an
  // application that draws candidates itself.
  void set_show_ui(bool show) { show_ui_ = show; }
  // Wine's manager: a stub answering E_NOTIMPL that leaves the outputs alone.
  void set_ui_stub(bool stub) { ui_stub_ = stub; }
  // TF_TMF_IMMERSIVEMODE: a Store app's thread.
  void set_active_flags(DWORD flags) { active_flags_ = flags; }
  // The element begun and not yet ended, if any.
  ITfUIElement* ui_element() const { return ui_element_.get(); }
  // The element calls in order: "begin", "update <flags the application
  // read from the element at the update, in hex>", "end".
  const std::vector<std::string>& ui_calls() const { return ui_calls_; }
  // Key events through the advised sink, as TSF routes them: the test call
  // first, the real one only for a key the test call claimed. True when eaten.
  bool key_down(WPARAM key, LPARAM info = 1);
  bool key_up(WPARAM key, LPARAM info = 0xC0000001);
  // Key events reach the service with no context (no focused document).
  void set_null_key_context(bool null_context) { null_key_context_ = null_context; }
  // Which answers the last key_down / key_up got: {test, real}.
  std::pair<bool, bool> last_answers() const { return last_answers_; }

  ITfKeyEventSink* key_sink() const { return key_sink_.get(); }
  std::size_t event_sink_count() const { return event_sinks_.size(); }
  struct Item {
    ComPtr<ITfLangBarItem> item;
    ComPtr<FakeLangBarSink> sink;
    DWORD cookie = 0;
  };
  const std::vector<Item>& items() const { return items_; }

 private:
  ComPtr<ITfContext> key_context();

  ComPtr<ITfDocumentMgr> focus_;
  ComPtr<ITfKeyEventSink> key_sink_;
  TfClientId key_client_ = 0;
  std::map<DWORD, ComPtr<ITfThreadMgrEventSink>> event_sinks_;
  DWORD next_cookie_ = 1;
  std::vector<Item> items_;
  bool null_key_context_ = false;
  std::pair<bool, bool> last_answers_{false, false};
  bool show_ui_ = true;
  bool ui_stub_ = false;
  DWORD active_flags_ = 0;
  ComPtr<ITfUIElement> ui_element_;
  DWORD ui_element_id_ = 0;
  std::vector<std::string> ui_calls_;
};

}  // namespace sorla::host
