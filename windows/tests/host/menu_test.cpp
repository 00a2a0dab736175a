// The language-bar button's menu and the settings it opens: the items and
// their states, what each does, and settings changed elsewhere taking effect.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "host/host.h"
#include "learned_file/app_access.h"
#include "learned_file/learned_file.h"
#include "learned_file/words_file.h"
#include "settings/settings.h"
#include "text/wide.h"
#include "version.h"
#include "word_data/word_data_file.h"

namespace sorla::host {
namespace {

using langbar::Command;
using langbar::MenuItem;

class Menu : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(host.activate(), S_OK);
    host.service().set_menu_hooks(hooks_for_test());
  }
  // Menu and dialogs that answer as the test says and note what they got.
  tsf::TextService::MenuHooks hooks_for_test() {
    tsf::TextService::MenuHooks hooks;
    hooks.choose = [this](const std::vector<MenuItem>& items, POINT) {
      shown = items;
      return choice;
    };
    hooks.settings = [this](const dialogs::SettingsDialogInput& input) {
      settings_input = input;
      if (clear_in_dialog) cleared = input.clear_learned();
      return settings_kept;
    };
    hooks.about = [this](const std::wstring& text) { about = text; };
    return hooks;
  }
  // A right-click choosing `command` (none: the menu dismissed).
  void choose(std::optional<Command> command) {
    choice = command;
    ASSERT_EQ(host.click_button(TF_LBI_CLK_RIGHT), S_OK);
  }
  const MenuItem* item(Command command) const {
    for (const MenuItem& i : shown) {
      if (i.command == command) return &i;
    }
    return nullptr;
  }
  Host host;
  std::optional<Command> choice;
  std::vector<MenuItem> shown;
  dialogs::SettingsDialogInput settings_input;
  std::optional<dialogs::SettingsValues> settings_kept;
  bool clear_in_dialog = false;
  bool cleared = false;
  std::wstring about;
};

TEST_F(Menu, ItemsAndTheirStates) {
  choose(std::nullopt);
  ASSERT_EQ(shown.size(), 6u);
  const Command order[] = {Command::Khmer,      Command::English,  Command::AddWord,
                           Command::ReportWord, Command::Settings, Command::About};
  for (std::size_t i = 0; i < shown.size(); ++i) EXPECT_EQ(shown[i].command, order[i]);
  EXPECT_TRUE(item(Command::Khmer)->checked);
  EXPECT_FALSE(item(Command::English)->checked);
  EXPECT_FALSE(item(Command::ReportWord)->enabled);  // nothing typed
  EXPECT_EQ(item(Command::AddWord)->text, L"Add a word\u2026");

  host.type("sab");
  choose(std::nullopt);
  EXPECT_TRUE(item(Command::ReportWord)->enabled);
  EXPECT_EQ(host.composition(), "sab");  // a dismissed menu changes nothing

  // The left click still switches at once, with no menu.
  shown.clear();
  ASSERT_EQ(host.click_button(TF_LBI_CLK_LEFT), S_OK);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(host.button_text(), "ENG");
  choose(std::nullopt);
  EXPECT_TRUE(item(Command::English)->checked);
  EXPECT_FALSE(item(Command::Khmer)->checked);

  // Inside an AppContainer the items that need the user's files are left out.
  learned_file::set_app_container_query([] { return true; });
  choose(std::nullopt);
  learned_file::set_app_container_query(nullptr);
  EXPECT_EQ(item(Command::AddWord), nullptr);
  EXPECT_EQ(item(Command::Settings), nullptr);
  EXPECT_NE(item(Command::ReportWord), nullptr);
  EXPECT_NE(item(Command::About), nullptr);
}

TEST_F(Menu, WhatTheItemsDo) {
  choose(Command::English);
  EXPECT_EQ(host.button_text(), "ENG");
  choose(Command::English);  // already: stays
  EXPECT_EQ(host.button_text(), "ENG");
  choose(Command::Khmer);
  EXPECT_EQ(host.button_text(), "\u1781");

  choose(Command::ReportWord);  // greyed while nothing is typed: nothing opens
  EXPECT_TRUE(host.opened_urls().empty());
  host.type("sab");
  choose(Command::ReportWord);
  ASSERT_EQ(host.opened_urls().size(), 1u);
  EXPECT_NE(host.opened_urls()[0].find("sab"), std::string::npos);

  choose(Command::About);
  EXPECT_EQ(about.rfind(L"Sorla " + to_wide(SORLA_VERSION_STRING), 0), 0u) << to_utf8(about);
  EXPECT_NE(about.find(L"Word data: "), std::wstring::npos);
}

TEST_F(Menu, SettingsAreWrittenAndTakeEffect) {
  settings_kept = dialogs::SettingsValues{false, false};
  choose(Command::Settings);
  EXPECT_EQ(settings_input.values, (dialogs::SettingsValues{true, true}));
  EXPECT_EQ(settings_input.files_folder, (host.appdata() / L"Sorla").wstring());
  const auto shift = settings::read_dword_setting(settings::kSorlaKey, settings::kShiftValue);
  const auto learn = settings::read_dword_setting(settings::kSorlaKey, settings::kLearnValue);
  EXPECT_TRUE(shift.found && shift.value == 0);
  EXPECT_TRUE(learn.found && learn.value == 0);

  // A Shift tap no longer switches; a pick is neither learned nor saved.
  host.tap(VK_SHIFT);
  EXPECT_EQ(host.button_text(), "\u1781");
  host.type("ban ");
  host.focus(2);
  EXPECT_EQ(host.learned_file(), "");

  // Cancel writes nothing.
  settings_kept.reset();
  settings::write_sorla_dword(settings::kLearnValue, 1);
  choose(Command::Settings);
  EXPECT_EQ(settings::read_dword_setting(settings::kSorlaKey, settings::kLearnValue).value, 1u);
}

// Another application's settings dialog or "Add a word…": this one takes
// the change as its next word starts, without restarting. Not before: keys
// that start no word (in English mode, even handed to OnKeyDown untested, as
// ITfKeystrokeMgr::KeyDown lets an application do) and keys in the middle of
// a word read neither the registry nor the words file.
TEST_F(Menu, ChangesMadeElsewhereApplyAtTheNextWord) {
  settings::write_sorla_dword(settings::kLearnValue, 0);
  host.type("ban ");
  host.focus(2);
  EXPECT_EQ(host.learned_file(), "");
  settings::write_sorla_dword(settings::kLearnValue, 1);
  host.type("ban ");
  host.focus(1);
  EXPECT_NE(host.learned_file().find("\"typed\":\"ban\""), std::string::npos);

  host.tap(VK_SHIFT);
  ASSERT_EQ(host.button_text(), "ENG");
  settings::write_sorla_dword(settings::kShiftValue, 0);
  BOOL eaten = TRUE;
  EXPECT_EQ(host.service().OnKeyDown(&host.doc(), 'A', 1, &eaten), S_OK);
  EXPECT_FALSE(eaten);
  host.tap(VK_SHIFT);  // switches still: the setting was not read
  EXPECT_EQ(host.button_text(), "\u1781");
  // A word starts, handed to OnKeyDown untested after the test of a key that
  // starts none: the test's answer is for its own key only. Now it is read.
  EXPECT_EQ(host.service().OnTestKeyDown(&host.doc(), '1', 1, &eaten), S_OK);
  EXPECT_FALSE(eaten);
  EXPECT_EQ(host.service().OnKeyDown(&host.doc(), 'B', 1, &eaten), S_OK);
  EXPECT_TRUE(eaten);
  host.tap(VK_SHIFT);
  EXPECT_EQ(host.button_text(), "\u1781");

  const std::string khmer = "\u1781\u17D2\u1798\u17C2\u179A";  // ខ្មែរ
  host.tap(VK_ESCAPE);
  host.type("qqkh");
  ASSERT_EQ(learned_file::add_user_word(khmer, "qqkhm").result, UserWordsEdit::Result::Changed);
  host.type("m qqkhm ");
  EXPECT_NE(host.text().find("qqkhm " + khmer), std::string::npos) << host.text();
}

// The settings dialog clears; another running application (a second
// activation with its own engine and file record) does not write its
// earlier picks back.
TEST_F(Menu, ClearedWordsAreNotWrittenBackByAnotherApplication) {
  host.type("ban ");
  host.focus(2);
  ASSERT_NE(host.learned_file().find("\"typed\":\"ban\""), std::string::npos);

  Engine other = word_data::load_engine(word_data::dll_folder());
  learned_file::LearnedFile other_file;
  learned_file::load_learned(other_file, other);
  other.learn("sabay", "\xE1\x9E\x9F", std::nullopt);  // not saved before the clear

  clear_in_dialog = true;
  choose(Command::Settings);
  EXPECT_TRUE(cleared);
  EXPECT_EQ(host.learned_file(), R"({"format":"sorla-learned","version":1,"picks":[]})");

  EXPECT_EQ(learned_file::save_learned(other_file, other).result, SaveOutcome::Result::Cleared);
  EXPECT_EQ(host.learned_file().find("\"typed\""), std::string::npos);
  EXPECT_EQ(other.learned().size(), 0u);

  // After the clear both learn and save again.
  host.type("ban ");
  host.focus(1);
  EXPECT_NE(host.learned_file().find("\"typed\":\"ban\""), std::string::npos);
  EXPECT_EQ(host.learned_file().find("sabay"), std::string::npos);
}

// "Add a word…": the dialog starts from the document's selection when it is
// Khmer and from the letters typed; refusals come back as messages, and a
// word added is offered at once.
TEST_F(Menu, AddAWord) {
  const std::wstring khmer = L"\u1781\u17D2\u1798\u17C2\u179A";  // ខ្មែរ
  std::optional<dialogs::AddWordInput> seen;
  std::optional<std::wstring> refusal;
  std::pair<std::wstring, std::wstring> entered;
  auto hooks = hooks_for_test();
  hooks.add_word = [&](const dialogs::AddWordInput& input) {
    seen = input;
    refusal = input.add(entered.first, entered.second);
    return !refusal;
  };
  host.service().set_menu_hooks(hooks);

  host.doc().app_replace_quietly(0, 0, L"hello " + khmer);
  host.doc().app_select(6, 6 + static_cast<LONG>(khmer.size()));
  choose(Command::AddWord);
  ASSERT_TRUE(seen);
  EXPECT_EQ(seen->word, khmer);
  EXPECT_EQ(seen->spelling, L"");
  EXPECT_EQ(refusal, L"Enter the Khmer word.");

  host.doc().app_select(0, 5);  // Latin: not a word to add
  entered = {L"abc", L"sab"};
  choose(Command::AddWord);
  EXPECT_EQ(seen->word, L"");
  EXPECT_EQ(refusal, L"The word must be in Khmer script only.");

  host.doc().app_select(11, 11);
  host.type("qq'kh");  // the spelling box gets the letters alone
  entered = {khmer, L"qqkh2"};
  choose(Command::AddWord);
  EXPECT_EQ(seen->spelling, L"qqkh");
  EXPECT_EQ(refusal,
            L"A spelling must be Latin letters only (a to z), several separated by spaces.");

  entered = {khmer, L"qqkhm"};
  choose(Command::AddWord);
  EXPECT_EQ(refusal, std::nullopt);
  std::ifstream in(host.appdata() / L"Sorla" / L"words.txt", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find(to_utf8(khmer) + "\tqqkhm"), std::string::npos) << text;
  // Offered at once, first for its own spelling.
  host.tap(VK_ESCAPE);  // "qq'kh" goes in as typed
  host.type("qqkhm ");
  EXPECT_EQ(host.text(), "hello " + to_utf8(khmer) + "qq'kh" + to_utf8(khmer));
}

}  // namespace
}  // namespace sorla::host
