// The host side of typing through Wine's own TSF, shared by the smoke test
// and the key-path bench. Wine 8's TSF has no key dispatch and no language
// bar, so a text service is activated with a thin thread manager that
// forwards to Wine's and supplies those two itself.
#pragma once

#include <windows.h>
// Windows headers must come first.
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "smoke/text_store.h"
#include "tsf_decls.h"

namespace sorla::smoke {

// Wine's thread manager with the keystroke and language-bar managers added.
class Shim final : public com::Object<ITfThreadMgr, ITfKeystrokeMgr, ITfLangBarItemMgr> {
 public:
  explicit Shim(com::ComPtr<ITfThreadMgr> wine) : wine_(std::move(wine)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    const HRESULT own = Object::QueryInterface(iid, out);
    if (SUCCEEDED(own) || out == nullptr) return own;
    return wine_->QueryInterface(iid, out);  // ITfSource, ITfClientId, ...
  }

  HRESULT STDMETHODCALLTYPE Activate(TfClientId* id) override { return wine_->Activate(id); }
  HRESULT STDMETHODCALLTYPE Deactivate() override { return wine_->Deactivate(); }
  HRESULT STDMETHODCALLTYPE CreateDocumentMgr(ITfDocumentMgr** out) override {
    return wine_->CreateDocumentMgr(out);
  }
  HRESULT STDMETHODCALLTYPE EnumDocumentMgrs(IEnumTfDocumentMgrs** out) override {
    return wine_->EnumDocumentMgrs(out);
  }
  HRESULT STDMETHODCALLTYPE GetFocus(ITfDocumentMgr** out) override { return wine_->GetFocus(out); }
  HRESULT STDMETHODCALLTYPE SetFocus(ITfDocumentMgr* focus) override {
    return wine_->SetFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE AssociateFocus(HWND hwnd, ITfDocumentMgr* next,
                                           ITfDocumentMgr** previous) override {
    return wine_->AssociateFocus(hwnd, next, previous);
  }
  HRESULT STDMETHODCALLTYPE IsThreadFocus(BOOL* focus) override {
    return wine_->IsThreadFocus(focus);
  }
  HRESULT STDMETHODCALLTYPE GetFunctionProvider(REFCLSID clsid,
                                                ITfFunctionProvider** out) override {
    return wine_->GetFunctionProvider(clsid, out);
  }
  HRESULT STDMETHODCALLTYPE EnumFunctionProviders(IEnumTfFunctionProviders** out) override {
    return wine_->EnumFunctionProviders(out);
  }
  HRESULT STDMETHODCALLTYPE GetGlobalCompartment(ITfCompartmentMgr** out) override {
    return wine_->GetGlobalCompartment(out);
  }

  HRESULT STDMETHODCALLTYPE AdviseKeyEventSink(TfClientId client, ITfKeyEventSink* sink,
                                               BOOL foreground) override {
    if (sink == nullptr || key_sink_) return E_INVALIDARG;
    key_sink_ = com::ComPtr<ITfKeyEventSink>::retain(sink);
    client_ = client;
    if (foreground) sink->OnSetFocus(TRUE);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UnadviseKeyEventSink(TfClientId client) override {
    if (!key_sink_ || client != client_) return CONNECT_E_NOCONNECTION;
    key_sink_.reset();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetForeground(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE TestKeyDown(WPARAM key, LPARAM info, BOOL* eaten) override {
    return dispatch(&ITfKeyEventSink::OnTestKeyDown, key, info, eaten);
  }
  HRESULT STDMETHODCALLTYPE TestKeyUp(WPARAM key, LPARAM info, BOOL* eaten) override {
    return dispatch(&ITfKeyEventSink::OnTestKeyUp, key, info, eaten);
  }
  HRESULT STDMETHODCALLTYPE KeyDown(WPARAM key, LPARAM info, BOOL* eaten) override {
    return dispatch(&ITfKeyEventSink::OnKeyDown, key, info, eaten);
  }
  HRESULT STDMETHODCALLTYPE KeyUp(WPARAM key, LPARAM info, BOOL* eaten) override {
    return dispatch(&ITfKeyEventSink::OnKeyUp, key, info, eaten);
  }
  HRESULT STDMETHODCALLTYPE GetPreservedKey(ITfContext*, const TF_PRESERVEDKEY*, GUID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE IsPreservedKey(REFGUID, const TF_PRESERVEDKEY*, BOOL*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE PreserveKey(TfClientId, REFGUID, const TF_PRESERVEDKEY*, const WCHAR*,
                                        ULONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnpreserveKey(REFGUID, const TF_PRESERVEDKEY*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetPreservedKeyDescription(REFGUID, const WCHAR*, ULONG) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPreservedKeyDescription(REFGUID, BSTR*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SimulatePreservedKey(ITfContext*, REFGUID, BOOL*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE EnumItems(IEnumTfLangBarItems**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetItem(REFGUID, ITfLangBarItem**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AddItem(ITfLangBarItem* item) override {
    items_.push_back(com::ComPtr<ITfLangBarItem>::retain(item));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RemoveItem(ITfLangBarItem* item) override {
    for (auto it = items_.begin(); it != items_.end(); ++it) {
      if (it->get() == item) {
        items_.erase(it);
        return S_OK;
      }
    }
    return E_INVALIDARG;
  }
  HRESULT STDMETHODCALLTYPE AdviseItemSink(ITfLangBarItemSink*, DWORD*, REFGUID) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnadviseItemSink(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetItemFloatingRect(DWORD, REFGUID, RECT*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetItemsStatus(ULONG, const GUID*, DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetItemNum(ULONG* count) override {
    *count = static_cast<ULONG>(items_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetItems(ULONG, ITfLangBarItem**, TF_LANGBARITEMINFO*, DWORD*,
                                     ULONG*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE AdviseItemsSink(ULONG, ITfLangBarItemSink**, const GUID*,
                                            DWORD*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnadviseItemsSink(ULONG, DWORD*) override { return E_NOTIMPL; }

  bool key_sink_advised() const { return static_cast<bool>(key_sink_); }
  std::size_t item_count() const { return items_.size(); }

 private:
  using KeyMethod = HRESULT (STDMETHODCALLTYPE ITfKeyEventSink::*)(ITfContext*, WPARAM, LPARAM,
                                                                   BOOL*);
  HRESULT dispatch(KeyMethod method, WPARAM key, LPARAM info, BOOL* eaten) {
    *eaten = FALSE;
    if (!key_sink_) return S_OK;
    com::ComPtr<ITfDocumentMgr> focus;
    com::ComPtr<ITfContext> context;
    if (SUCCEEDED(wine_->GetFocus(focus.put())) && focus) focus->GetTop(context.put());
    return (key_sink_.get()->*method)(context.get(), key, info, eaten);
  }

  com::ComPtr<ITfThreadMgr> wine_;
  com::ComPtr<ITfKeyEventSink> key_sink_;
  TfClientId client_ = 0;
  std::vector<com::ComPtr<ITfLangBarItem>> items_;
};

// One press of a key as an application hands it to TSF: the test and the real
// call for the key going down, then for it going up.
void press(ITfKeystrokeMgr* keys, WPARAM key);

// What became of one step of setting up or taking down.
using StepReport = std::function<void(HRESULT hr, const char* what)>;

// Wine's thread manager, activated, with one document over a TextStore pushed
// and focused, and the shim to activate a text service with. Taken down in
// the reverse order when destroyed: release the service first.
class Document {
 public:
  // None when Wine's thread manager or the document manager could not be made.
  static std::unique_ptr<Document> open(const StepReport& step);
  Document() = default;  // empty: open makes one
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // The client id Wine's thread manager gives Sorla's text service.
  TfClientId service_id() const { return service_id_; }
  // The host's own client id, and the context over the text store.
  TfClientId host_id() const { return host_id_; }
  ITfContext* context() { return context_.get(); }
  Shim& shim() { return *shim_.get(); }
  ITfThreadMgr* thread_mgr() { return shim_.get(); }
  ITfKeystrokeMgr* keys() { return static_cast<ITfKeystrokeMgr*>(shim_.get()); }
  const std::wstring& text() const { return store_->text(); }

 private:
  com::ComPtr<ITfThreadMgr> wine_;
  com::ComPtr<TextStore> store_;
  com::ComPtr<ITfDocumentMgr> manager_;
  com::ComPtr<ITfContext> context_;
  com::ComPtr<Shim> shim_;
  TfClientId host_id_ = 0;
  TfClientId service_id_ = 0;
};

}  // namespace sorla::smoke
