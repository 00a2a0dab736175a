#include "dialogs/settings_dialog.h"

#include "dialogs/dialog_template.h"

namespace sorla::dialogs {
namespace {

struct Running {
  const SettingsDialogInput* input;
  SettingsValues kept;
};

DialogTemplate settings_template(const SettingsDialogInput& input) {
  DialogTemplate t(kSettingsTitle, 260, 150);
  const DWORD box = BS_AUTOCHECKBOX | WS_TABSTOP;
  t.add(Control::Button, kShiftBox, kShiftLabel, box | WS_GROUP, 10, 10, 240, 12);
  t.add(Control::Button, kLearnBox, kLearnLabel, box, 10, 26, 240, 12);
  t.add(Control::Button, kClearButton, kClearLabel, BS_PUSHBUTTON | WS_TABSTOP, 10, 46, 110, 16);
  const std::wstring where =
      input.files_folder.empty()
          ? std::wstring(L"Your learned words and own words are kept in this application only.")
          : L"Your learned words (learned.json) and your own words (words.txt) are in:\n" +
                input.files_folder;
  t.add(Control::Static, kFilesText, where, SS_LEFT | SS_NOPREFIX, 10, 72, 240, 40);
  t.add(Control::Button, IDOK, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 146, 126, 50, 16);
  t.add(Control::Button, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 200, 126, 50, 16);
  return t;
}

void check(HWND dialog, int id, bool on) {
  CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED);
}

bool checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void confirm_clear(HWND dialog, const SettingsDialogInput& input) {
  if (MessageBoxW(dialog, kClearQuestion, kSettingsTitle,
                  MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES) {
    return;
  }
  const bool cleared = input.clear_learned && input.clear_learned();
  MessageBoxW(dialog, cleared ? kClearDone : kClearFailed, kSettingsTitle,
              MB_OK | (cleared ? MB_ICONINFORMATION : MB_ICONERROR));
}

INT_PTR CALLBACK settings_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* running = reinterpret_cast<Running*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      running = reinterpret_cast<Running*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      follow_dark_mode(dialog);
      check(dialog, kShiftBox, running->input->values.shift_switches_english);
      check(dialog, kLearnBox, running->input->values.learn_from_typing);
      EnableWindow(GetDlgItem(dialog, kClearButton), running->input->clear_learned != nullptr);
      return TRUE;
    }
    case WM_COMMAND:
      if (running == nullptr) return FALSE;
      switch (LOWORD(wparam)) {
        case kClearButton:
          confirm_clear(dialog, *running->input);
          return TRUE;
        case IDOK:
          running->kept = {checked(dialog, kShiftBox), checked(dialog, kLearnBox)};
          EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

std::optional<SettingsValues> run_settings_dialog(HWND owner, const SettingsDialogInput& input) {
  Running running{&input, input.values};
  DialogTemplate t = settings_template(input);
  if (run_modal(t, owner, settings_proc, reinterpret_cast<LPARAM>(&running)) != IDOK) {
    return std::nullopt;
  }
  return running.kept;
}

HWND create_settings_dialog(HWND owner, const SettingsDialogInput& input) {
  // Lives as long as the window: a screenshot's dialog is never ended.
  static Running running;
  running = {&input, input.values};
  DialogTemplate t = settings_template(input);
  return create_modeless(t, owner, settings_proc, reinterpret_cast<LPARAM>(&running));
}

}  // namespace sorla::dialogs
