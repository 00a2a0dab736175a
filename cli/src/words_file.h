// The user's own words for `sorla`: where the file lives and how the typing
// commands bring it in (the rules are sorla/user_words_sync.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "commands.h"
#include "sorla/engine.h"
#include "sorla/user_words_sync.h"

namespace sorla::cli {

// $XDG_DATA_HOME/sorla/words.txt, else ~/.local/share/sorla/words.txt,
// beside the learned picks.
std::optional<std::string> default_words_path();

// "PATH: damaged lines skipped: 4, 7"; none when no line was skipped.
std::optional<std::string> skipped_message(const std::string& path, const UserWordsLoad& load);

struct WordsFileUse {
  std::optional<std::string> path;     // the file read, when there is one
  std::optional<std::string> error;    // it cannot be used: the engine has no user words
  std::optional<std::string> warning;  // it was used, but lines were skipped
};

// The user's words of FILE (--words), else of the default file when there
// is one, into the engine. A named file must be there; the default one may
// be missing.
WordsFileUse use_words_file(Engine& engine, const std::optional<std::string>& file);

// use_words_file for a command that prints: the error as its failure (the
// status returned), the warning on the error stream; 0 when it may go on.
int use_words_or_report(Engine& engine, const std::optional<std::string>& file, Io io,
                        std::string_view command);

}  // namespace sorla::cli
