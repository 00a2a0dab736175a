#include "learned_file/words_file.h"

#include <windows.h>

#include "learned_file/app_access.h"
#include "learned_file/learned_file.h"
#include "learned_file/learned_path.h"
#include "learned_file/save_lock.h"

namespace sorla::learned_file {
namespace {

std::uint64_t as_number(const FILETIME& t) {
  return std::uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime;
}

void read_into(WordsFile& file, Engine& engine) {
  // Stamped before the read: a change during the read is read again next time.
  file.seen = file_stamp(*file.path);
  FileStorage storage(*file.path, kLockWait);
  if (sorla::load_user_words(storage, engine).result == UserWordsLoad::Result::Unreadable) {
    file.seen.reset();  // tried again at the next check
  }
}

}  // namespace

std::optional<FileStamp> file_stamp(const std::filesystem::path& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  return FileStamp{as_number(data.ftCreationTime), as_number(data.ftLastWriteTime),
                   std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow};
}

void load_user_words(WordsFile& file, Engine& engine) {
  file.path = pick_store() == PickStore::Process ? std::nullopt : words_path();
  file.seen.reset();
  if (file.path) read_into(file, engine);
}

bool reload_user_words_if_changed(WordsFile& file, Engine& engine) {
  if (!file.path || file_stamp(*file.path) == file.seen) return false;
  read_into(file, engine);
  return true;
}

bool can_add_user_words() { return pick_store() == PickStore::UserFile && words_path(); }

UserWordsEdit add_user_word(std::string_view word, std::string_view spellings) {
  if (auto error = user_word_error(word, spellings)) {
    return {UserWordsEdit::Result::Refused, std::move(*error)};
  }
  const auto path = can_add_user_words() ? words_path() : std::nullopt;
  if (!path) return {UserWordsEdit::Result::Failed, "this application cannot keep your words"};
  FileStorage storage(*path, kLockWait);
  return sorla::add_user_word(storage, word, spellings);
}

}  // namespace sorla::learned_file
