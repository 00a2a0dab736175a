// The language-bar button's menu and what its items do.
//
// The dialogs run in the application's process, modal and owned by the
// window the user types in: they need nothing installed beside the DLL, no
// second process to start and find, and they are over when the menu item's
// call returns, with the service's state untouched meanwhile (it is not
// borrowed while they wait). Inside an AppContainer, where the user's files
// are out of reach, the items that need them are not offered.
#include "com/boundary.h"
#include "dialogs/add_word_dialog.h"
#include "learned_file/app_access.h"
#include "learned_file/learned_path.h"
#include "learned_file/words_file.h"
#include "report_link/report_base.h"
#include "settings/settings.h"
#include "sorla/normalize.h"
#include "sorla/user_words.h"
#include "text/wide.h"
#include "tsf/edit/selection_session.h"
#include "tsf/service/outside_changes.h"
#include "tsf/service/text_service.h"

namespace sorla::tsf {

using com::ComPtr;

void TextService::set_menu_hooks(MenuHooks hooks) { menu_hooks_ = std::move(hooks); }

HWND TextService::dialog_owner() {
  // TrackPopupMenuEx needs a window of this thread; without a focused one
  // (a click on the taskbar's indicator) the candidate window serves.
  if (const HWND focus = GetFocus()) return GetAncestor(focus, GA_ROOT);
  const std::shared_ptr<window::CandidateWindow> window = state_.borrow()->window;
  return window ? window->handle() : nullptr;
}

void TextService::on_langbar_menu(POINT point) {
  langbar::MenuState menu;
  {
    auto state = state_.borrow();
    if (!state->typing) return;
    const SessionView view = state->typing->front_end.view();
    menu.english = view.english;
    menu.typing = !view.typed.empty();
  }
  menu.user_files = !learned_file::in_app_container();
  menu.add_words = learned_file::can_add_user_words();
  const std::vector<langbar::MenuItem> items = langbar::menu_items(menu);
  const std::optional<langbar::Command> chosen =
      menu_hooks_.choose ? menu_hooks_.choose(items, point)
                         : langbar::show_menu(items, point, dialog_owner());
  if (!chosen) return;
  // Only what was offered, and enabled, is carried out.
  for (const langbar::MenuItem& item : items) {
    if (item.command == *chosen && item.enabled) {
      run_command(*chosen);
      return;
    }
  }
}

void TextService::run_command(langbar::Command command) {
  switch (command) {
    case langbar::Command::Khmer:
    case langbar::Command::English: {
      const bool english = command == langbar::Command::English;
      auto state = state_.borrow();
      if (!state->typing || state->typing->front_end.view().english == english) return;
      state.release();
      on_langbar_click();
      return;
    }
    case langbar::Command::ReportWord:
      open_report();
      return;
    case langbar::Command::Settings:
      open_settings();
      return;
    case langbar::Command::About:
      show_about();
      return;
    case langbar::Command::AddWord:
      open_add_word();
      return;
  }
}

namespace {

// Why the word cannot be added, as the dialog shows it; none once added.
std::optional<std::wstring> add_word(const std::wstring& word, const std::wstring& spellings) {
  const UserWordsEdit edit = learned_file::add_user_word(to_utf8(word), to_utf8(spellings));
  switch (edit.result) {
    case UserWordsEdit::Result::Changed:
    case UserWordsEdit::Result::Unchanged:
      return std::nullopt;
    case UserWordsEdit::Result::Refused:
      return to_wide(edit.error);
    case UserWordsEdit::Result::Busy:
      return L"Another application is saving your words. Try again in a moment.";
    case UserWordsEdit::Result::Failed:
      break;
  }
  return L"The word could not be saved: " + to_wide(edit.error);
}

}  // namespace

void TextService::open_add_word() {
  ComPtr<ITfContext> context;
  TfClientId client = 0;
  dialogs::AddWordInput input;
  {
    auto state = state_.borrow();
    if (!state->typing) return;
    // Letters alone: the word check refuses the apostrophes and hyphens typing allows.
    input.spelling = to_wide(letters(state->typing->front_end.session().typed()));
    context = state->field_context ? state->field_context : state->key_context;
    client = state->client_id;
  }
  // The selection fills the word only when the word check accepts it (given
  // a spelling that passes, as the spelling is not the selection's).
  const std::wstring selected = edit::read_selection(context.get(), client);
  if (!selected.empty() && !user_word_error(to_utf8(selected), "a")) input.word = selected;
  input.add = add_word;
  const bool added = menu_hooks_.add_word ? menu_hooks_.add_word(input)
                                          : dialogs::run_add_word_dialog(dialog_owner(), input);
  if (!added) return;
  // Used from the next word on, here at once; other applications find the
  // file changed at their next word.
  auto state = state_.borrow();
  if (state->typing) {
    learned_file::reload_user_words_if_changed(state->words_file, state->typing->engine);
  }
}

void TextService::open_settings() {
  dialogs::SettingsDialogInput input;
  input.values = {settings::read_shift_switches_english(), settings::read_learn_from_typing()};
  if (const auto path = learned_file::learned_path()) {
    input.files_folder = path->parent_path().wstring();
  }
  const auto self = ComPtr<TextService>::retain(this);
  input.clear_learned = [self] { return self->clear_learned(); };
  const std::optional<dialogs::SettingsValues> kept =
      menu_hooks_.settings ? menu_hooks_.settings(input)
                           : dialogs::run_settings_dialog(dialog_owner(), input);
  if (!kept) return;
  // Written only when changed: other processes take them at their next word.
  if (kept->shift_switches_english != input.values.shift_switches_english) {
    settings::write_sorla_dword(settings::kShiftValue, kept->shift_switches_english ? 1 : 0);
  }
  if (kept->learn_from_typing != input.values.learn_from_typing) {
    settings::write_sorla_dword(settings::kLearnValue, kept->learn_from_typing ? 1 : 0);
  }
  apply_settings();
}

bool TextService::clear_learned() {
  auto state = state_.borrow();
  if (!state->typing) return false;
  const SaveOutcome cleared =
      learned_file::clear_learned(state->learned_file, state->typing->engine);
  return cleared.result == SaveOutcome::Result::Saved;
}

void TextService::show_about() {
  std::optional<std::string> data_name;
  {
    auto state = state_.borrow();
    if (!state->typing) return;
    data_name = state->typing->engine.data_name();
  }
  const std::wstring text =
      L"Sorla " + to_wide(report::kAppVersion) +
      L"\nKhmer typing by chat spelling.\n\nWord data: " +
      (data_name && !data_name->empty() ? to_wide(*data_name) : std::wstring(L"the built-in list"));
  if (menu_hooks_.about) {
    menu_hooks_.about(text);
    return;
  }
  MessageBoxW(dialog_owner(), text.c_str(), langbar::kAboutText, MB_OK | MB_ICONINFORMATION);
}

void TextService::apply_settings() {
  auto state = state_.borrow();
  take_settings(*state);
}

}  // namespace sorla::tsf
