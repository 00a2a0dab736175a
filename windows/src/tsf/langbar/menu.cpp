#include "tsf/langbar/menu.h"

#include <memory>
#include <type_traits>

namespace sorla::langbar {

std::vector<MenuItem> menu_items(const MenuState& state) {
  std::vector<MenuItem> items;
  items.push_back({Command::Khmer, L"Khmer", !state.english, true, false});
  items.push_back({Command::English, L"English", state.english, true, false});
  const bool add_words = state.user_files && state.add_words;
  if (add_words) items.push_back({Command::AddWord, kAddWordText, false, true, true});
  items.push_back({Command::ReportWord, kReportText, false, state.typing, !add_words});
  if (state.user_files) items.push_back({Command::Settings, kSettingsText, false, true, false});
  items.push_back({Command::About, kAboutText, false, true, true});
  return items;
}

std::optional<Command> show_menu(const std::vector<MenuItem>& items, POINT point, HWND owner) {
  const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)> menu(
      CreatePopupMenu(), &DestroyMenu);
  if (!menu) return std::nullopt;
  for (const MenuItem& item : items) {
    if (item.separator_before) AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    UINT flags = MF_STRING;
    if (item.checked) flags |= MF_CHECKED;
    if (!item.enabled) flags |= MF_GRAYED;
    AppendMenuW(menu.get(), flags, static_cast<UINT_PTR>(item.command), item.text.c_str());
  }
  // A pop-up menu closes when the user clicks elsewhere only if its owner is
  // the foreground window (the remarks of TrackPopupMenu); the owner is the
  // window the user was typing in, brought back to the front.
  if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
  const UINT chosen =
      static_cast<UINT>(TrackPopupMenuEx(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON,
                                         point.x, point.y, owner, nullptr));
  if (owner) PostMessageW(owner, WM_NULL, 0, 0);
  if (chosen == 0) return std::nullopt;
  return static_cast<Command>(chosen);
}

}  // namespace sorla::langbar
