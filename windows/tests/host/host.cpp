#include "host/host.h"

#include <fstream>
#include <sstream>

#include "guids.h"
#include "sorla/keyboard.h"
#include "text/wide.h"
#include "tsf/window/candidate_window.h"

namespace sorla::host {

void set_shift_setting(std::optional<DWORD> value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Sorla", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  if (value) {
    RegSetValueExW(key, L"ShiftSwitchesEnglish", 0, REG_DWORD,
                   reinterpret_cast<const BYTE*>(&*value), sizeof *value);
  } else {
    RegDeleteValueW(key, L"ShiftSwitchesEnglish");
  }
  RegCloseKey(key);
}

Host::Host(std::optional<DWORD> shift_setting)
    : appdata_env_(L"APPDATA", appdata_.path().wstring()) {
  com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Sorla");  // every setting at its default
  set_shift_setting(shift_setting);
  apply_key_state();
  thread_mgr_ = com::make_object<FakeThreadMgr>();
  for (auto& doc : docs_) {
    doc = com::make_object<FakeDocumentMgr>(com::make_object<FakeContext>(kClient));
  }
  thread_mgr_->SetFocus(docs_[0].get());
  service_ = com::make_object<tsf::TextService>();
  service_->set_clock([this] { return now_ms_; });
  service_->set_url_opener([this](const std::string& url) { opened_.push_back(url); });

  // The atom the service gets for its display attribute, from the same
  // category manager.
  ComPtr<ITfCategoryMgr> categories;
  if (SUCCEEDED(CoCreateInstance(ids::kCategoryMgr, nullptr, CLSCTX_INPROC_SERVER,
                                 __uuidof(ITfCategoryMgr), categories.put_void()))) {
    categories->RegisterGUID(ids::kDisplayAttribute, &atom_);
  }
}

Host::~Host() {
  if (active_) deactivate();
  service_.reset();
  for (auto& doc : docs_) doc->context().shut_down();
  thread_mgr_->SetFocus(nullptr);
  docs_ = {};
  thread_mgr_.reset();
  keys_ = {};
  apply_key_state();
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Sorla");
  if (com_) CoUninitialize();
}

HRESULT Host::activate() {
  const HRESULT hr = service_->Activate(thread_mgr_.get(), kClient);
  active_ = SUCCEEDED(hr);
  pump();
  return hr;
}

void Host::deactivate() {
  service_->Deactivate();
  active_ = false;
  pump();
}

void Host::apply_key_state() { SetKeyboardState(keys_.data()); }

void Host::hold(std::uint32_t vk) {
  keys_[vk & 0xFF] |= 0x80;
  // The generic key follows its left and right keys.
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) keys_[VK_SHIFT] |= 0x80;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) keys_[VK_CONTROL] |= 0x80;
  if (vk == VK_LMENU || vk == VK_RMENU) keys_[VK_MENU] |= 0x80;
  apply_key_state();
}

void Host::let_go(std::uint32_t vk) {
  keys_[vk & 0xFF] &= 0x7F;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) keys_[VK_SHIFT] &= 0x7F;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) keys_[VK_CONTROL] &= 0x7F;
  if (vk == VK_LMENU || vk == VK_RMENU) keys_[VK_MENU] &= 0x7F;
  apply_key_state();
}

void Host::caps_lock(bool on) {
  keys_[VK_CAPITAL] = on ? 1 : 0;
  apply_key_state();
}

bool Host::down(std::uint32_t vk, LPARAM info) {
  const bool modifier =
      vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || (vk >= VK_LSHIFT && vk <= VK_RMENU);
  if (modifier) hold(vk);
  const bool eaten = thread_mgr_->key_down(vk, info);
  pump();
  if (!eaten) application_key(vk);
  return eaten;
}

// What an editor does with a key the service did not eat.
void Host::application_key(std::uint32_t vk) {
  const bool shortcut = (keys_[VK_CONTROL] & 0x80) || (keys_[VK_MENU] & 0x80);
  FakeContext& context = doc(focused_);
  if (shortcut) return;
  if (vk == VK_BACK) return context.app_backspace();
  if (vk == VK_RETURN) return context.app_type(L"\n");
  const KeyState state{{(keys_[VK_SHIFT] & 0x80) != 0, false, false}, (keys_[VK_CAPITAL] & 1) != 0};
  if (const auto c = key_character(vk, state))
    context.app_type(std::wstring(1, static_cast<wchar_t>(*c)));
}

bool Host::up(std::uint32_t vk) {
  const bool modifier =
      vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU || (vk >= VK_LSHIFT && vk <= VK_RMENU);
  if (modifier) let_go(vk);
  const bool eaten = thread_mgr_->key_up(vk);
  pump();
  return eaten;
}

bool Host::tap(std::uint32_t vk) {
  const bool eaten = down(vk);
  up(vk);
  return eaten;
}

void Host::type(std::string_view keys) {
  for (const char c : keys) {
    if (c >= 'a' && c <= 'z') {
      tap(static_cast<std::uint32_t>(c - 'a' + 'A'));
    } else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
      tap(static_cast<std::uint32_t>(c));
    } else if (c == ' ') {
      tap(VK_SPACE);
    } else if (c == '.') {
      tap(VK_OEM_PERIOD);
    } else if (c == '\'') {
      tap(VK_OEM_7);  // the apostrophe key of the US layout
    }
  }
}

void Host::pump() {
  for (auto& doc : docs_) doc->context().run_queued();
}

void Host::focus(int which) {
  focused_ = which;
  thread_mgr_->SetFocus(docs_[static_cast<std::size_t>(which - 1)].get());
  pump();
}

std::string Host::text(int which) { return to_utf8(doc(which).text()); }

std::optional<std::string> Host::composition(int which) {
  const auto text = doc(which).composition_text();
  if (!text) return std::nullopt;
  return to_utf8(*text);
}

bool Host::composition_marked(int which) {
  const auto span = doc(which).composition_span();
  if (!span || span->start == span->end || atom_ == 0) return false;
  for (LONG i = span->start; i < span->end; ++i) {
    if (doc(which).document().attribute_at(i) != atom_) return false;
  }
  return true;
}

bool Host::candidates_visible() const {
  const HWND window = FindWindowW(window::kClassName, nullptr);
  return window != nullptr && IsWindowVisible(window);
}

HRESULT Host::click_button(TfLBIClick click) {
  if (thread_mgr_->items().empty()) return E_FAIL;
  ComPtr<ITfLangBarItemButton> button;
  thread_mgr_->items().front().item->QueryInterface(__uuidof(ITfLangBarItemButton),
                                                    button.put_void());
  const RECT area{0, 0, 20, 20};
  const HRESULT hr = button ? button->OnClick(click, POINT{10, 10}, &area) : E_NOINTERFACE;
  pump();
  return hr;
}

std::string Host::button_text() {
  if (thread_mgr_->items().empty()) return {};
  ComPtr<ITfLangBarItemButton> button;
  thread_mgr_->items().front().item->QueryInterface(__uuidof(ITfLangBarItemButton),
                                                    button.put_void());
  BSTR text = nullptr;
  if (!button || FAILED(button->GetText(&text)) || !text) return {};
  std::string result = to_utf8(std::wstring_view(text, SysStringLen(text)));
  SysFreeString(text);
  return result;
}

std::string Host::learned_file() const {
  std::ifstream in(appdata_.path() / L"Sorla" / L"learned.json", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace sorla::host
