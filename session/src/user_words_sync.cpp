#include "sorla/user_words_sync.h"

#include <functional>
#include <optional>
#include <utility>

namespace sorla {
namespace {

using Edit = UserWordsEdit::Result;

// Under the lock: the file as it is now, `change` applied to its text, the
// result written when it differs.
UserWordsEdit edit_file(LearnedStorage& storage,
                        const std::function<std::optional<std::string>(std::string_view)>& change) {
  const std::unique_ptr<LearnedStorage::Lock> lock = storage.lock();
  if (!lock) return {Edit::Busy, {}};
  StoredFile file = storage.read(kMaxUserWordsFileBytes);
  if (file.state == StoredFile::State::Unreadable) return {Edit::Failed, std::move(file.error)};
  if (file.state == StoredFile::State::TooLarge) {
    return {Edit::Failed, "the words file is larger than 16 MiB"};
  }
  const std::optional<std::string> changed = change(file.bytes);
  if (!changed) return {Edit::Unchanged, {}};
  if (auto error = storage.write_then_move(*changed)) return {Edit::Failed, std::move(*error)};
  return {Edit::Changed, {}};
}

}  // namespace

UserWordsLoad read_user_words(LearnedStorage& storage) {
  using Result = UserWordsLoad::Result;
  StoredFile file = storage.read(kMaxUserWordsFileBytes);
  switch (file.state) {
    case StoredFile::State::Missing:
      return {};
    case StoredFile::State::Unreadable:
      return {Result::Unreadable, {}, {}, std::move(file.error)};
    case StoredFile::State::TooLarge:
      return {Result::TooLarge, {}, {}, {}};
    case StoredFile::State::Read:
      break;
  }
  UserWordsRead read = parse_user_words(file.bytes);
  return {Result::Loaded, std::move(read.words), std::move(read.skipped), {}};
}

UserWordsLoad load_user_words(LearnedStorage& storage, Engine& engine) {
  UserWordsLoad load = read_user_words(storage);
  if (load.result != UserWordsLoad::Result::Unreadable) engine.set_user_words(load.words);
  return load;
}

UserWordsEdit add_user_word(LearnedStorage& storage, std::string_view word,
                            std::string_view spellings) {
  if (auto error = user_word_error(word, spellings)) return {Edit::Refused, std::move(*error)};
  return edit_file(storage,
                   [&](std::string_view text) { return with_user_word(text, word, spellings); });
}

UserWordsEdit remove_user_word(LearnedStorage& storage, std::string_view word) {
  return edit_file(storage, [&](std::string_view text) { return without_user_word(text, word); });
}

}  // namespace sorla
