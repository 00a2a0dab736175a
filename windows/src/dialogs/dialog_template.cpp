#include "dialogs/dialog_template.h"

#include <dwmapi.h>

#include <cstring>

#include "com/module.h"
#include "settings/settings.h"

namespace sorla::dialogs {
namespace {

constexpr DWORD kImmersiveDarkMode = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE
constexpr WORD kFontPoints = 9;
constexpr wchar_t kFont[] = L"Segoe UI";

template <class T>
void put(std::vector<WORD>& words, const T& value) {
  static_assert(sizeof(T) % sizeof(WORD) == 0);
  const std::size_t at = words.size();
  words.resize(at + sizeof(T) / sizeof(WORD));
  std::memcpy(words.data() + at, &value, sizeof(T));
}

}  // namespace

DialogTemplate::DialogTemplate(const std::wstring& title, short width, short height) {
  DLGTEMPLATE head{};
  head.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  head.cx = width;
  head.cy = height;
  put(words_, head);
  words_.push_back(0);  // no menu
  words_.push_back(0);  // the standard dialog class
  text(title);
  words_.push_back(kFontPoints);
  text(kFont);
}

void DialogTemplate::text(const std::wstring& value) {
  words_.insert(words_.end(), value.begin(), value.end());
  words_.push_back(0);
}

void DialogTemplate::align() {
  if (words_.size() % 2 != 0) words_.push_back(0);  // items start on a DWORD
}

void DialogTemplate::add(Control kind, WORD id, const std::wstring& label, DWORD style, short x,
                         short y, short width, short height) {
  align();
  DLGITEMTEMPLATE item{};
  item.style = WS_CHILD | WS_VISIBLE | style;
  item.x = x;
  item.y = y;
  item.cx = width;
  item.cy = height;
  item.id = id;
  put(words_, item);
  words_.push_back(0xFFFF);
  words_.push_back(static_cast<WORD>(kind));
  text(label);
  words_.push_back(0);  // no creation data
  ++count_;
}

const DLGTEMPLATE* DialogTemplate::get() {
  auto* head = reinterpret_cast<DLGTEMPLATE*>(words_.data());
  head->cdit = count_;
  return head;
}

void follow_dark_mode(HWND dialog) {
  if (settings::read_high_contrast()) return;
  const BOOL dark = settings::apps_dark(settings::read_dword_setting(settings::kPersonalizeKey,
                                                                     settings::kAppsLightValue))
                        ? TRUE
                        : FALSE;
  if (dark) DwmSetWindowAttribute(dialog, kImmersiveDarkMode, &dark, sizeof dark);
}

INT_PTR run_modal(DialogTemplate& tmpl, HWND owner, DLGPROC proc, LPARAM param) {
  return DialogBoxIndirectParamW(com::own_module(), tmpl.get(), owner, proc, param);
}

HWND create_modeless(DialogTemplate& tmpl, HWND owner, DLGPROC proc, LPARAM param) {
  const HWND dialog = CreateDialogIndirectParamW(com::own_module(), tmpl.get(), owner, proc, param);
  if (dialog) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

}  // namespace sorla::dialogs
