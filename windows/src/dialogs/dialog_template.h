// Dialog templates built in memory, so that the dialogs work wherever the
// code is linked (the DLL and the test programs alike) without resources.
// Sizes are in dialog units: Windows scales them with the dialog's font,
// which follows the display's DPI, and the standard controls draw with the
// system colours, High Contrast's included.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sorla::dialogs {

enum class Control : WORD { Button = 0x0080, Edit = 0x0081, Static = 0x0082 };

class DialogTemplate {
 public:
  DialogTemplate(const std::wstring& title, short width, short height);
  void add(Control kind, WORD id, const std::wstring& text, DWORD style, short x, short y,
           short width, short height);
  // The template, valid while this object is unchanged.
  const DLGTEMPLATE* get();

 private:
  void text(const std::wstring& value);
  void align();

  std::vector<WORD> words_;
  WORD count_ = 0;
};

// In dark app mode the dialog's title bar is drawn dark, the one dark part
// Windows documents for a dialog (DWMWA_USE_IMMERSIVE_DARK_MODE, Windows 11);
// its controls keep the system colours, High Contrast's included.
void follow_dark_mode(HWND dialog);

// Runs the modal dialog of `tmpl` owned by `owner` with `proc`; the value
// passed to EndDialog, or -1 when it could not be shown.
INT_PTR run_modal(DialogTemplate& tmpl, HWND owner, DLGPROC proc, LPARAM param);

// The same dialog, modeless and shown; null when it could not be created.
// `param` must outlive the window, which the caller destroys.
HWND create_modeless(DialogTemplate& tmpl, HWND owner, DLGPROC proc, LPARAM param);

}  // namespace sorla::dialogs
