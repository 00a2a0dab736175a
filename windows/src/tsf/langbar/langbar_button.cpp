#include "tsf/langbar/langbar_button.h"

#include <olectl.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "com/boundary.h"
#include "guids.h"
#include "tsf/langbar/icon.h"

namespace sorla::langbar {
namespace {

constexpr wchar_t kDescription[] = L"Sorla";
constexpr std::wstring_view kEnglishGlyph = L"ENG";
constexpr std::wstring_view kKhmerGlyph = L"\u1781";

HRESULT new_bstr(std::wstring_view text, BSTR* out) {
  if (out == nullptr) return E_INVALIDARG;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (*out == nullptr) com::fatal();
  return S_OK;
}

}  // namespace

LangBarButton::LangBarButton(ClickCallback on_click, MenuCallback on_menu)
    : on_click_(on_click ? std::make_shared<const ClickCallback>(std::move(on_click)) : nullptr),
      on_menu_(on_menu ? std::make_shared<const MenuCallback>(std::move(on_menu)) : nullptr) {}

HRESULT LangBarButton::GetInfo(TF_LANGBARITEMINFO* info) {
  if (info == nullptr) return E_INVALIDARG;
  *info = {};
  info->clsidService = ids::kTextService;
  info->guidItem = ids::kLangBarItemInputMode;
  info->dwStyle = TF_LBI_STYLE_BTN_BUTTON | TF_LBI_STYLE_SHOWNINTRAY;
  info->ulSort = 0;
  static_assert(ARRAYSIZE(kDescription) <= ARRAYSIZE(info->szDescription));
  std::copy(std::begin(kDescription), std::end(kDescription), info->szDescription);
  return S_OK;
}

HRESULT LangBarButton::GetStatus(DWORD* status) {
  if (status == nullptr) return E_INVALIDARG;
  *status = 0;
  return S_OK;
}

HRESULT LangBarButton::Show(BOOL) { return S_OK; }

HRESULT LangBarButton::GetTooltipString(BSTR* text) {
  return new_bstr(english_ ? kEnglishTooltip : kKhmerTooltip, text);
}

// The button keeps TF_LBI_STYLE_BTN_BUTTON, so a left click still switches
// modes at once; TSF reports which mouse button clicked it ("TF_LBI_CLK_RIGHT:
// the user right-clicked the button", TfLBIClick), and a right-click opens
// the menu. InitMenu is called only for TF_LBI_STYLE_BTN_MENU items, which
// would turn the left click into a menu too.
HRESULT LangBarButton::OnClick(TfLBIClick click, POINT point, const RECT*) {
  return com::guarded([&] {
    // Copies: the callback may end in detach, which drops ours.
    if (click == TF_LBI_CLK_RIGHT) {
      if (const std::shared_ptr<const MenuCallback> callback = on_menu_) (*callback)(point);
    } else if (const std::shared_ptr<const ClickCallback> callback = on_click_) {
      (*callback)();
    }
    return S_OK;
  });
}

HRESULT LangBarButton::InitMenu(ITfMenu*) { return S_OK; }

HRESULT LangBarButton::OnMenuSelect(UINT) { return S_OK; }

HRESULT LangBarButton::GetIcon(HICON* icon) {
  if (icon == nullptr) return E_INVALIDARG;
  *icon = nullptr;
  return com::guarded([&] { return draw_mode_icon(english_, icon); });
}

HRESULT LangBarButton::GetText(BSTR* text) {
  return new_bstr(english_ ? kEnglishGlyph : kKhmerGlyph, text);
}

HRESULT LangBarButton::AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) {
  if (com::is_null(&iid) || !IsEqualIID(iid, __uuidof(ITfLangBarItemSink))) {
    return CONNECT_E_CANNOTCONNECT;
  }
  if (sink == nullptr) return E_POINTER;
  if (cookie == nullptr) return E_INVALIDARG;
  com::ComPtr<ITfLangBarItemSink> item_sink;
  const HRESULT hr = sink->QueryInterface(__uuidof(ITfLangBarItemSink), item_sink.put_void());
  if (FAILED(hr)) return hr;
  sink_ = std::move(item_sink);
  *cookie = kSinkCookie;
  return S_OK;
}

HRESULT LangBarButton::UnadviseSink(DWORD cookie) {
  if (cookie == kSinkCookie) {
    // Released after the member is cleared: the sink may call back in.
    com::ComPtr<ITfLangBarItemSink> old = std::move(sink_);
  }
  return S_OK;
}

void LangBarButton::set_mode(bool english) {
  if (english == english_) return;
  english_ = english;
  if (const com::ComPtr<ITfLangBarItemSink> sink = sink_) {
    sink->OnUpdate(TF_LBI_ICON | TF_LBI_TEXT | TF_LBI_TOOLTIP);
  }
}

void LangBarButton::detach() {
  // Both released on return, after the members are clear.
  const std::shared_ptr<const ClickCallback> callback = std::exchange(on_click_, nullptr);
  const std::shared_ptr<const MenuCallback> menu = std::exchange(on_menu_, nullptr);
  const com::ComPtr<ITfLangBarItemSink> sink = std::exchange(sink_, nullptr);
}

}  // namespace sorla::langbar
