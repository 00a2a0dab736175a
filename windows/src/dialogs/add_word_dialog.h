// The "Add a word…" dialog: a Khmer word and its spellings, refused with a
// message until they can be added.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace sorla::dialogs {

struct AddWordInput {
  std::wstring word;      // filled in: the document's selection when it is Khmer text
  std::wstring spelling;  // filled in: the letters being typed
  // Adds the word; why it cannot, none when it was added.
  std::function<std::optional<std::wstring>(const std::wstring& word, const std::wstring& spelling)>
      add;
};

inline constexpr wchar_t kAddWordTitle[] = L"Add a word to Sorla";

enum AddWordControl : WORD { kWordEdit = 201, kSpellingEdit, kRefusalText };

// Modal, owned by `owner`; true when a word was added.
bool run_add_word_dialog(HWND owner, const AddWordInput& input);

// The same dialog, modeless and shown, for screenshots; destroyed by the caller.
HWND create_add_word_dialog(HWND owner, const AddWordInput& input);

}  // namespace sorla::dialogs
