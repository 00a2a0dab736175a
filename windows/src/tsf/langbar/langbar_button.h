// The language-bar button: shows whether Khmer or English is typed, switches
// between them when clicked and opens Sorla's menu when right-clicked.
#pragma once

#include <functional>
#include <memory>

#include "com/object.h"
#include "tsf_decls.h"

namespace sorla::com {
// The button interface also answers for the item interface it extends.
template <>
struct Answers<ITfLangBarItemButton> {
  static bool iid(REFIID iid) noexcept {
    return IsEqualIID(iid, __uuidof(ITfLangBarItemButton)) ||
           IsEqualIID(iid, __uuidof(ITfLangBarItem));
  }
};
}  // namespace sorla::com

namespace sorla::langbar {

// Run on a click; it holds the text service alive until detach.
using ClickCallback = std::function<void()>;
// Run on a right-click, with where it was (screen pixels).
using MenuCallback = std::function<void(POINT)>;

inline constexpr wchar_t kKhmerTooltip[] = L"Sorla: Khmer. Tap Shift for English.";
inline constexpr wchar_t kEnglishTooltip[] = L"Sorla: English. Tap Shift for Khmer.";
inline constexpr DWORD kSinkCookie = 1;

class LangBarButton final : public com::Object<ITfLangBarItemButton, ITfSource> {
 public:
  explicit LangBarButton(ClickCallback on_click, MenuCallback on_menu = nullptr);

  // ITfLangBarItem
  HRESULT STDMETHODCALLTYPE GetInfo(TF_LANGBARITEMINFO* info) override;
  HRESULT STDMETHODCALLTYPE GetStatus(DWORD* status) override;
  HRESULT STDMETHODCALLTYPE Show(BOOL show) override;
  HRESULT STDMETHODCALLTYPE GetTooltipString(BSTR* text) override;
  // ITfLangBarItemButton
  HRESULT STDMETHODCALLTYPE OnClick(TfLBIClick click, POINT point, const RECT* area) override;
  HRESULT STDMETHODCALLTYPE InitMenu(ITfMenu* menu) override;
  HRESULT STDMETHODCALLTYPE OnMenuSelect(UINT id) override;
  HRESULT STDMETHODCALLTYPE GetIcon(HICON* icon) override;
  HRESULT STDMETHODCALLTYPE GetText(BSTR* text) override;
  // ITfSource
  HRESULT STDMETHODCALLTYPE AdviseSink(REFIID iid, IUnknown* sink, DWORD* cookie) override;
  HRESULT STDMETHODCALLTYPE UnadviseSink(DWORD cookie) override;

  // Shows `english`; tells the language bar only when the mode changed.
  void set_mode(bool english);
  bool english() const { return english_; }
  // Drops the click callback (and with it the service) and the sink.
  void detach();

 private:
  // Called only through a copy of its own: the language bar may call back
  // into the button (even unadvise) while it is being told about a change.
  com::ComPtr<ITfLangBarItemSink> sink_;
  bool english_ = false;
  std::shared_ptr<const ClickCallback> on_click_;
  std::shared_ptr<const MenuCallback> on_menu_;
};

}  // namespace sorla::langbar
