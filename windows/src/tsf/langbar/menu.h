// The language-bar button's menu: which items it has in which state, and
// showing it as a pop-up menu where the user right-clicked.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace sorla::langbar {

// The item identifiers TrackPopupMenuEx returns; 0 is "nothing chosen".
enum class Command : UINT { Khmer = 1, English, AddWord, ReportWord, Settings, About };

// What the menu depends on at the moment it opens.
struct MenuState {
  bool english = false;
  bool typing = false;     // letters are being typed: a report has something to say
  bool user_files = true;  // the user's files are within reach (not an AppContainer)
  bool add_words = true;   // the user's words file can be written here
};

struct MenuItem {
  Command command;
  std::wstring text;
  bool checked = false;
  bool enabled = true;
  bool separator_before = false;
};

inline constexpr wchar_t kAddWordText[] = L"Add a word\u2026";
inline constexpr wchar_t kReportText[] = L"Report a missing word\u2026";
inline constexpr wchar_t kSettingsText[] = L"Settings\u2026";
inline constexpr wchar_t kAboutText[] = L"About Sorla";

// Khmer / English (the mode in force checked), Add a word…, Report a
// missing word… (greyed while nothing is typed: the report service refuses
// an empty report), Settings…, About Sorla. Items that read or write the
// user's files are left out where those are out of reach (Add a word…, too,
// where the words file cannot be written).
std::vector<MenuItem> menu_items(const MenuState& state);

// Shows `items` as a pop-up menu at `point` (screen pixels), owned by
// `owner`, and waits for the user; the command chosen, none when the menu
// was dismissed.
std::optional<Command> show_menu(const std::vector<MenuItem>& items, POINT point, HWND owner);

}  // namespace sorla::langbar
