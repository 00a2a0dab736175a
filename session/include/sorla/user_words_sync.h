// The user's words file (sorla/user_words.h), shared by every front end and
// every process that types, as the learned picks are (sorla/learned_sync.h)
// and through the same storage: read whole when typing starts, and edited
// under the lock on the file as it is at that moment, so that two programs
// adding words at once both keep theirs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/learned_sync.h"
#include "sorla/user_words.h"

namespace sorla {

struct UserWordsLoad {
  enum class Result { Loaded, Missing, Unreadable, TooLarge };
  Result result = Result::Missing;
  std::vector<UserWord> words;
  std::vector<std::size_t> skipped;  // damaged lines, by number
  std::string error;                 // for Unreadable
};

UserWordsLoad read_user_words(LearnedStorage& storage);

// The engine's user words from the file: those read, none when the file is
// missing or too large; an unreadable file (held by another program a
// moment) leaves them as they were.
UserWordsLoad load_user_words(LearnedStorage& storage, Engine& engine);

struct UserWordsEdit {
  // Unchanged: the word with those spellings was there already (add), or was
  // not there (remove). Refused: user_word_error's message, nothing read.
  enum class Result { Changed, Unchanged, Refused, Busy, Failed };
  Result result = Result::Unchanged;
  std::string error;  // for Refused and Failed
};

// Adds `word` with `spellings` (as user_word_error takes them) to the file.
UserWordsEdit add_user_word(LearnedStorage& storage, std::string_view word,
                            std::string_view spellings);
// Takes every line of `word` out of the file.
UserWordsEdit remove_user_word(LearnedStorage& storage, std::string_view word);

}  // namespace sorla
