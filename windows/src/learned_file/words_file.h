// The user's own words in %APPDATA%\Sorla\words.txt, beside the learned
// picks and on the same terms: edited under the same lock and replaced the
// same way (sorla/user_words_sync.h), read by a packaged application and
// never inside an AppContainer (learned_file/app_access.h says why).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

#include "sorla/engine.h"
#include "sorla/user_words_sync.h"

namespace sorla::learned_file {

// What tells one version of the file from another without reading it: a
// save moves a new file in, with its own creation time, and a hand edit
// changes the last write time or the size.
struct FileStamp {
  std::uint64_t created = 0;
  std::uint64_t written = 0;
  std::uint64_t size = 0;
  bool operator==(const FileStamp&) const = default;
};

// One GetFileAttributesExW; none when the file is not there or cannot be asked.
std::optional<FileStamp> file_stamp(const std::filesystem::path& path);

// One per activation: the file this process may read (none inside an
// AppContainer), worked out when it is loaded, and its stamp as last read.
struct WordsFile {
  std::optional<std::filesystem::path> path;
  std::optional<FileStamp> seen;
};

// The user's words into the engine, when this process may read them.
void load_user_words(WordsFile& file, Engine& engine);

// Reads the words again when the file's stamp differs from the one last
// read, so that a word added in another application is offered from the
// next word typed on. True when it read them.
bool reload_user_words_if_changed(WordsFile& file, Engine& engine);

// Adds `word` with `spellings` to the user's file, as "Add a word…" does
// (the checks and results of add_user_word of sorla/user_words_sync.h).
// Failed, nothing written, where this process has no access to the user's
// files: inside an AppContainer, or without APPDATA.
UserWordsEdit add_user_word(std::string_view word, std::string_view spellings);

// Whether this process may offer adding words: it can write the user's file.
bool can_add_user_words();

}  // namespace sorla::learned_file
