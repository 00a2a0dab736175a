// Types "sabay" (or the letters given) and Space into a document through Wine's own TSF, with
// sorla.dll loaded by COM from its registration. Wine 8's TSF has no key
// dispatch and no language bar, so the service is activated with a thin
// thread manager that forwards to Wine's and supplies those two itself.
// Exit status 0 when the document holds the Khmer word (សប្បាយ, or the one
// given as hex code points "1791,1793,...") and the DLL's objects are all
// gone after deactivation. With "add" after them, APPDATA is a fresh folder
// and the word is added to the user's words once the service is active, as
// "Add a word…" in another application would: the service must offer it
// first for the letters from the next word on.
#include <windows.h>
// Windows headers must come first.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "guids.h"
#include "learned_file/words_file.h"
#include "smoke/text_store.h"
#include "tsf_decls.h"

namespace sorla::smoke {
namespace {

using com::ComPtr;

constexpr CLSID kThreadMgrClass = {
    0x529A9E6B, 0x6587, 0x4F23, {0xAB, 0x9E, 0x9C, 0x7D, 0x68, 0x3E, 0x3C, 0x50}};

int failures = 0;

void check(bool ok, const char* what) {
  std::printf("%s: %s\n", ok ? "ok" : "FAIL", what);
  if (!ok) ++failures;
}

void check_hr(HRESULT hr, const char* what) {
  std::printf("%s: %s (0x%08lX)\n", SUCCEEDED(hr) ? "ok" : "FAIL", what,
              static_cast<unsigned long>(hr));
  if (FAILED(hr)) ++failures;
}

// Wine's thread manager with the keystroke and language-bar managers added.
class Shim final : public com::Object<ITfThreadMgr, ITfKeystrokeMgr, ITfLangBarItemMgr> {
 public:
  explicit Shim(ComPtr<ITfThreadMgr> wine) : wine_(std::move(wine)) {}

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
    key_sink_ = ComPtr<ITfKeyEventSink>::retain(sink);
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
    items_.push_back(ComPtr<ITfLangBarItem>::retain(item));
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
    ComPtr<ITfDocumentMgr> focus;
    ComPtr<ITfContext> context;
    if (SUCCEEDED(wine_->GetFocus(focus.put())) && focus) focus->GetTop(context.put());
    return (key_sink_.get()->*method)(context.get(), key, info, eaten);
  }

  ComPtr<ITfThreadMgr> wine_;
  ComPtr<ITfKeyEventSink> key_sink_;
  TfClientId client_ = 0;
  std::vector<ComPtr<ITfLangBarItem>> items_;
};

void press(ITfKeystrokeMgr* keys, WPARAM key) {
  BOOL eaten = FALSE;
  keys->TestKeyDown(key, 1, &eaten);
  if (eaten) keys->KeyDown(key, 1, &eaten);
  eaten = FALSE;
  keys->TestKeyUp(key, 0xC0000001, &eaten);
  if (eaten) keys->KeyUp(key, 0xC0000001, &eaten);
}

std::string utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return out;
}

int run(const std::string& letters, const std::wstring& expected, bool add) {
  BYTE no_keys[256] = {};
  SetKeyboardState(no_keys);

  ComPtr<ITfThreadMgr> wine;
  check_hr(CoCreateInstance(kThreadMgrClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITfThreadMgr),
                            wine.put_void()),
           "Wine's thread manager");
  if (!wine) return 1;
  TfClientId host_id = 0;
  check_hr(wine->Activate(&host_id), "thread manager activated");

  const auto store = com::make_object<TextStore>();
  ComPtr<ITfDocumentMgr> document;
  ComPtr<ITfContext> context;
  TfEditCookie store_cookie = 0;
  check_hr(wine->CreateDocumentMgr(document.put()), "document manager");
  if (!document) return 1;
  check_hr(document->CreateContext(host_id, 0, static_cast<ITextStoreACP*>(store.get()),
                                   context.put(), &store_cookie),
           "context over the text store");
  check_hr(document->Push(context.get()), "context pushed");
  check_hr(wine->SetFocus(document.get()), "document focused");

  TfClientId service_id = 0;
  if (const auto ids = wine.query<ITfClientId>()) ids->GetClientId(ids::kTextService, &service_id);
  ComPtr<ITfTextInputProcessor> service;
  check_hr(CoCreateInstance(ids::kTextService, nullptr, CLSCTX_INPROC_SERVER,
                            __uuidof(ITfTextInputProcessor), service.put_void()),
           "sorla.dll created through its registration");
  if (!service) return 1;
  const HMODULE dll = GetModuleHandleW(L"sorla.dll");
  using CanUnload = HRESULT(STDAPICALLTYPE*)();
  const auto can_unload =
      reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
  check(can_unload != nullptr, "DllCanUnloadNow found");
  if (!can_unload) return 1;

  const auto shim = com::make_object<Shim>(wine);
  check_hr(service->Activate(shim.get(), service_id), "service activated");
  check(shim->key_sink_advised(), "key-event sink advised");
  check(shim->item_count() == 1, "language-bar button added");

  if (add) {
    check(learned_file::add_user_word(utf8(expected), letters).result ==
              UserWordsEdit::Result::Changed,
          "the word added to the user's words");
  }
  const auto keys = shim.query<ITfKeystrokeMgr>();
  for (const char letter : letters) press(keys.get(), static_cast<WPARAM>(letter - 'a' + 'A'));
  press(keys.get(), VK_SPACE);
  check(store->text() == expected, "the document holds the Khmer word");
  if (store->text() != expected) {
    std::printf("  document: %zu units:", store->text().size());
    for (const wchar_t c : store->text()) std::printf(" %04X", static_cast<unsigned>(c));
    std::printf("\n");
  }

  check_hr(service->Deactivate(), "service deactivated");
  check(!shim->key_sink_advised(), "key-event sink unadvised");
  check(shim->item_count() == 0, "language-bar button removed");
  service.reset();
  check(can_unload() == S_OK, "no object of the DLL is left");

  document->Pop(TF_POPF_ALL);
  wine->SetFocus(nullptr);
  context.reset();
  document.reset();
  wine->Deactivate();
  return failures == 0 ? 0 : 1;
}

}  // namespace
}  // namespace sorla::smoke

int main(int argc, char** argv) {
  std::string letters = "sabay";
  std::wstring expected = L"\u179F\u1794\u17D2\u1794\u17B6\u1799";
  const bool add = argc == 4 && std::string(argv[3]) == "add";
  if (argc == 3 || add) {
    letters = argv[1];
    expected.clear();
    for (const char* p = argv[2]; *p;) {
      char* end = nullptr;
      expected += static_cast<wchar_t>(std::strtoul(p, &end, 16));
      p = *end == ',' ? end + 1 : end;
    }
  }
  std::filesystem::path appdata;
  if (add) {
    appdata = std::filesystem::temp_directory_path() /
              (L"sorla-smoke-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::create_directories(appdata);
    SetEnvironmentVariableW(L"APPDATA", appdata.c_str());
  }
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const int result = sorla::smoke::run(letters, expected, add);
  CoUninitialize();
  if (add) {
    std::error_code ec;
    std::filesystem::remove_all(appdata, ec);
  }
  std::printf("%s\n", result == 0 ? "smoke test passed" : "smoke test FAILED");
  return result;
}
