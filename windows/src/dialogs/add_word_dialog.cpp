#include "dialogs/add_word_dialog.h"

#include "dialogs/dialog_template.h"

namespace sorla::dialogs {
namespace {

DialogTemplate add_word_template(const AddWordInput& input) {
  DialogTemplate t(kAddWordTitle, 240, 136);
  t.add(Control::Static, 0xFFFF, L"Khmer word:", SS_LEFT, 10, 10, 220, 10);
  // Taller than a Latin box: Khmer stacks vowels above and subscripts below.
  t.add(Control::Edit, kWordEdit, input.word, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 22, 220,
        20);
  t.add(Control::Static, 0xFFFF, L"Spelling in Latin letters (several, separated by spaces):",
        SS_LEFT, 10, 48, 220, 10);
  t.add(Control::Edit, kSpellingEdit, input.spelling, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10,
        60, 220, 14);
  t.add(Control::Static, kRefusalText, L"", SS_LEFT | SS_NOPREFIX, 10, 80, 220, 28);
  t.add(Control::Button, IDOK, L"Add", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 126, 112, 50, 16);
  t.add(Control::Button, IDCANCEL, L"Cancel", BS_PUSHBUTTON | WS_TABSTOP, 180, 112, 50, 16);
  return t;
}

std::wstring text_of(HWND dialog, int id) {
  const HWND control = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

constexpr wchar_t kKhmerFontProp[] = L"SorlaKhmerFont";

// The word box in the face the candidate window uses for Khmer, at the
// dialog font's size: a face without Khmer shows boxes where fallback fails.
void use_khmer_font(HWND dialog) {
  LOGFONTW font{};
  const auto dialog_font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  if (dialog_font == nullptr || GetObjectW(dialog_font, sizeof font, &font) == 0) return;
  lstrcpynW(font.lfFaceName, L"Leelawadee UI", LF_FACESIZE);
  const HFONT khmer = CreateFontIndirectW(&font);
  if (khmer == nullptr) return;
  SetPropW(dialog, kKhmerFontProp, khmer);
  SendDlgItemMessageW(dialog, kWordEdit, WM_SETFONT, reinterpret_cast<WPARAM>(khmer), FALSE);
}

INT_PTR CALLBACK add_word_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* input = reinterpret_cast<const AddWordInput*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      follow_dark_mode(dialog);
      // The first empty field has the focus: the word to paste, else the spelling.
      input = reinterpret_cast<const AddWordInput*>(lparam);
      use_khmer_font(dialog);
      SetFocus(GetDlgItem(dialog, input->word.empty() ? kWordEdit : kSpellingEdit));
      return FALSE;
    case WM_NCDESTROY:
      if (const HANDLE font = RemovePropW(dialog, kKhmerFontProp)) DeleteObject(font);
      return FALSE;
    case WM_COMMAND:
      if (input == nullptr) return FALSE;
      if (LOWORD(wparam) == IDOK) {
        const std::optional<std::wstring> refusal =
            input->add ? input->add(text_of(dialog, kWordEdit), text_of(dialog, kSpellingEdit))
                       : std::optional<std::wstring>(L"Words cannot be added here.");
        if (!refusal) {
          EndDialog(dialog, IDOK);
        } else {
          SetDlgItemTextW(dialog, kRefusalText, refusal->c_str());
        }
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
  }
  return FALSE;
}

}  // namespace

bool run_add_word_dialog(HWND owner, const AddWordInput& input) {
  DialogTemplate t = add_word_template(input);
  return run_modal(t, owner, add_word_proc, reinterpret_cast<LPARAM>(&input)) == IDOK;
}

HWND create_add_word_dialog(HWND owner, const AddWordInput& input) {
  DialogTemplate t = add_word_template(input);
  return create_modeless(t, owner, add_word_proc, reinterpret_cast<LPARAM>(&input));
}

}  // namespace sorla::dialogs
