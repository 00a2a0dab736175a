#include <algorithm>
#include <cstdio>

#include "host/fake_tsf.h"

namespace sorla::host {

// ---- FakeDocumentMgr ----

HRESULT FakeDocumentMgr::CreateContext(TfClientId, DWORD, IUnknown*, ITfContext**, TfEditCookie*) {
  return E_NOTIMPL;
}
HRESULT FakeDocumentMgr::Push(ITfContext*) { return E_NOTIMPL; }
HRESULT FakeDocumentMgr::Pop(DWORD) { return E_NOTIMPL; }

HRESULT FakeDocumentMgr::GetTop(ITfContext** context) {
  if (context == nullptr) return E_INVALIDARG;
  *context = ComPtr<ITfContext>::retain(top_.get()).detach();
  return S_OK;
}

HRESULT FakeDocumentMgr::GetBase(ITfContext** context) { return GetTop(context); }
HRESULT FakeDocumentMgr::EnumContexts(IEnumTfContexts**) { return E_NOTIMPL; }

// ---- FakeLangBarSink ----

HRESULT FakeLangBarSink::OnUpdate(DWORD flags) {
  ++updates_;
  // The language bar reads the item again at once, as Windows' does.
  ComPtr<ITfLangBarItemButton> button;
  item_->QueryInterface(__uuidof(ITfLangBarItemButton), button.put_void());
  if (!button) return S_OK;
  if (flags & TF_LBI_TEXT) {
    BSTR text = nullptr;
    if (SUCCEEDED(button->GetText(&text)) && text) {
      last_text_.assign(text, SysStringLen(text));
      SysFreeString(text);
    }
  }
  if (flags & TF_LBI_ICON) {
    HICON icon = nullptr;
    if (SUCCEEDED(button->GetIcon(&icon)) && icon) DestroyIcon(icon);
  }
  if (flags & TF_LBI_TOOLTIP) {
    BSTR tip = nullptr;
    if (SUCCEEDED(button->GetTooltipString(&tip))) SysFreeString(tip);
  }
  return S_OK;
}

// ---- FakeThreadMgr ----

FakeThreadMgr::~FakeThreadMgr() = default;

HRESULT FakeThreadMgr::Activate(TfClientId*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::Deactivate() { return E_NOTIMPL; }
HRESULT FakeThreadMgr::CreateDocumentMgr(ITfDocumentMgr**) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::EnumDocumentMgrs(IEnumTfDocumentMgrs**) { return E_NOTIMPL; }

HRESULT FakeThreadMgr::GetFocus(ITfDocumentMgr** focus) {
  if (focus == nullptr) return E_INVALIDARG;
  *focus = ComPtr<ITfDocumentMgr>(focus_).detach();
  return S_OK;
}

HRESULT FakeThreadMgr::SetFocus(ITfDocumentMgr* focus) {
  ComPtr<ITfDocumentMgr> previous = std::exchange(focus_, ComPtr<ITfDocumentMgr>::retain(focus));
  const auto sinks = event_sinks_;
  for (const auto& [cookie, sink] : sinks) sink->OnSetFocus(focus, previous.get());
  return S_OK;
}

HRESULT FakeThreadMgr::AssociateFocus(HWND, ITfDocumentMgr*, ITfDocumentMgr**) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::IsThreadFocus(BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetFunctionProvider(REFCLSID, ITfFunctionProvider**) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::EnumFunctionProviders(IEnumTfFunctionProviders**) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetGlobalCompartment(ITfCompartmentMgr**) { return E_NOTIMPL; }

HRESULT FakeThreadMgr::AdviseKeyEventSink(TfClientId client, ITfKeyEventSink* sink,
                                          BOOL foreground) {
  if (sink == nullptr || client == 0) return E_INVALIDARG;
  if (key_sink_) return CONNECT_E_ADVISELIMIT;
  key_sink_ = ComPtr<ITfKeyEventSink>::retain(sink);
  key_client_ = client;
  if (foreground) sink->OnSetFocus(TRUE);
  return S_OK;
}

HRESULT FakeThreadMgr::UnadviseKeyEventSink(TfClientId client) {
  if (!key_sink_ || client != key_client_) return CONNECT_E_NOCONNECTION;
  key_sink_.reset();
  key_client_ = 0;
  return S_OK;
}

HRESULT FakeThreadMgr::GetForeground(CLSID*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::TestKeyDown(WPARAM, LPARAM, BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::TestKeyUp(WPARAM, LPARAM, BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::KeyDown(WPARAM, LPARAM, BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::KeyUp(WPARAM, LPARAM, BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetPreservedKey(ITfContext*, const TF_PRESERVEDKEY*, GUID*) {
  return E_NOTIMPL;
}
HRESULT FakeThreadMgr::IsPreservedKey(REFGUID, const TF_PRESERVEDKEY*, BOOL*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::PreserveKey(TfClientId, REFGUID, const TF_PRESERVEDKEY*, const WCHAR*,
                                   ULONG) {
  return E_NOTIMPL;
}
HRESULT FakeThreadMgr::UnpreserveKey(REFGUID, const TF_PRESERVEDKEY*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::SetPreservedKeyDescription(REFGUID, const WCHAR*, ULONG) {
  return E_NOTIMPL;
}
HRESULT FakeThreadMgr::GetPreservedKeyDescription(REFGUID, BSTR*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::SimulatePreservedKey(ITfContext*, REFGUID, BOOL*) { return E_NOTIMPL; }

ComPtr<ITfContext> FakeThreadMgr::key_context() {
  ComPtr<ITfContext> context;
  if (focus_ && !null_key_context_) focus_->GetTop(context.put());
  return context;
}

HRESULT FakeThreadMgr::BeginUIElement(ITfUIElement* element, BOOL* show, DWORD* id) {
  if (ui_stub_) return E_NOTIMPL;
  if (element == nullptr || show == nullptr || id == nullptr) return E_INVALIDARG;
  ui_element_ = ComPtr<ITfUIElement>::retain(element);
  ui_calls_.push_back("begin");
  *show = show_ui_ ? TRUE : FALSE;
  *id = ++ui_element_id_;
  return S_OK;
}

HRESULT FakeThreadMgr::UpdateUIElement(DWORD id) {
  if (!ui_element_ || id != ui_element_id_) return E_INVALIDARG;
  // As an application drawing the list reads what changed.
  DWORD flags = 0;
  if (const auto list = ui_element_.query<ITfCandidateListUIElement>())
    list->GetUpdatedFlags(&flags);
  char text[32];
  std::snprintf(text, sizeof text, "update %lx", static_cast<unsigned long>(flags));
  ui_calls_.push_back(text);
  return S_OK;
}

HRESULT FakeThreadMgr::EndUIElement(DWORD id) {
  if (!ui_element_ || id != ui_element_id_) return E_INVALIDARG;
  ui_element_.reset();
  ui_calls_.push_back("end");
  return S_OK;
}

bool FakeThreadMgr::key_down(WPARAM key, LPARAM info) {
  last_answers_ = {false, false};
  if (!key_sink_) return false;
  const ComPtr<ITfKeyEventSink> sink = key_sink_;
  const ComPtr<ITfContext> context = key_context();
  BOOL test = FALSE, real = FALSE;
  sink->OnTestKeyDown(context.get(), key, info, &test);
  if (test) sink->OnKeyDown(context.get(), key, info, &real);
  last_answers_ = {test != FALSE, real != FALSE};
  return test && real;
}

bool FakeThreadMgr::key_up(WPARAM key, LPARAM info) {
  last_answers_ = {false, false};
  if (!key_sink_) return false;
  const ComPtr<ITfKeyEventSink> sink = key_sink_;
  const ComPtr<ITfContext> context = key_context();
  BOOL test = FALSE, real = FALSE;
  sink->OnTestKeyUp(context.get(), key, info, &test);
  if (test) sink->OnKeyUp(context.get(), key, info, &real);
  last_answers_ = {test != FALSE, real != FALSE};
  return test && real;
}

HRESULT FakeThreadMgr::AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) {
  if (sink == nullptr || cookie == nullptr) return E_INVALIDARG;
  if (!IsEqualIID(iid, __uuidof(ITfThreadMgrEventSink))) return CONNECT_E_CANNOTCONNECT;
  ComPtr<ITfThreadMgrEventSink> event_sink;
  const HRESULT hr = sink->QueryInterface(__uuidof(ITfThreadMgrEventSink), event_sink.put_void());
  if (FAILED(hr)) return hr;
  *cookie = next_cookie_++;
  event_sinks_[*cookie] = std::move(event_sink);
  return S_OK;
}

HRESULT FakeThreadMgr::UnadviseSink(DWORD cookie) {
  return event_sinks_.erase(cookie) ? S_OK : CONNECT_E_NOCONNECTION;
}

HRESULT FakeThreadMgr::EnumItems(IEnumTfLangBarItems**) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetItem(REFGUID, ITfLangBarItem**) { return E_NOTIMPL; }

HRESULT FakeThreadMgr::AddItem(ITfLangBarItem* item) {
  if (item == nullptr) return E_INVALIDARG;
  Item added;
  added.item = ComPtr<ITfLangBarItem>::retain(item);
  added.sink = com::make_object<FakeLangBarSink>(item);
  // The language bar listens to each item it shows.
  if (const auto source = added.item.query<ITfSource>()) {
    source->AdviseSink(__uuidof(ITfLangBarItemSink), added.sink.get(), &added.cookie);
  }
  items_.push_back(std::move(added));
  return S_OK;
}

HRESULT FakeThreadMgr::RemoveItem(ITfLangBarItem* item) {
  const auto it = std::find_if(items_.begin(), items_.end(),
                               [&](const Item& i) { return i.item.get() == item; });
  if (it == items_.end()) return E_INVALIDARG;
  if (const auto source = it->item.query<ITfSource>()) source->UnadviseSink(it->cookie);
  items_.erase(it);
  return S_OK;
}

HRESULT FakeThreadMgr::AdviseItemSink(ITfLangBarItemSink*, DWORD*, REFGUID) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::UnadviseItemSink(DWORD) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetItemFloatingRect(DWORD, REFGUID, RECT*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetItemsStatus(ULONG, const GUID*, DWORD*) { return E_NOTIMPL; }
HRESULT FakeThreadMgr::GetItemNum(ULONG* count) {
  if (count == nullptr) return E_INVALIDARG;
  *count = static_cast<ULONG>(items_.size());
  return S_OK;
}
HRESULT FakeThreadMgr::GetItems(ULONG, ITfLangBarItem**, TF_LANGBARITEMINFO*, DWORD*, ULONG*) {
  return E_NOTIMPL;
}
HRESULT FakeThreadMgr::AdviseItemsSink(ULONG, ITfLangBarItemSink**, const GUID*, DWORD*) {
  return E_NOTIMPL;
}
HRESULT FakeThreadMgr::UnadviseItemsSink(ULONG, DWORD*) { return E_NOTIMPL; }

}  // namespace sorla::host
