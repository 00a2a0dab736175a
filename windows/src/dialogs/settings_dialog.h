// The settings dialog: the Shift tap, learning, clearing the learned words,
// and where the user's files are.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace sorla::dialogs {

struct SettingsValues {
  bool shift_switches_english = true;
  bool learn_from_typing = true;
  bool operator==(const SettingsValues&) const = default;
};

struct SettingsDialogInput {
  SettingsValues values;
  std::wstring files_folder;  // empty when there is none (no APPDATA)
  // Clears the learned words once the user confirmed; false on failure.
  std::function<bool()> clear_learned;
};

inline constexpr wchar_t kSettingsTitle[] = L"Sorla settings";
inline constexpr wchar_t kShiftLabel[] = L"Tap Shift to switch between Khmer and English";
inline constexpr wchar_t kLearnLabel[] = L"Learn from what I type";
inline constexpr wchar_t kClearLabel[] = L"Clear learned words\u2026";
inline constexpr wchar_t kClearQuestion[] =
    L"Forget every word Sorla has learned from your typing, in every application? "
    L"This cannot be undone.";
inline constexpr wchar_t kClearFailed[] =
    L"The learned words could not be cleared now. Try again in a moment.";
inline constexpr wchar_t kClearDone[] = L"The learned words were cleared.";

// Control identifiers, for tests and screenshots.
enum SettingsControl : WORD { kShiftBox = 101, kLearnBox, kClearButton, kFilesText };

// Modal, owned by `owner`; the values kept with OK, none on Cancel. A clear
// happens at once, on its own confirmation, whatever the dialog ends with.
std::optional<SettingsValues> run_settings_dialog(HWND owner, const SettingsDialogInput& input);

// The same dialog, modeless and shown, for screenshots; destroyed by the caller.
HWND create_settings_dialog(HWND owner, const SettingsDialogInput& input);

}  // namespace sorla::dialogs
