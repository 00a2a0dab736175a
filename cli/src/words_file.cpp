#include "words_file.h"

#include <ostream>

#include "command_util.h"
#include "learned_file.h"

namespace sorla::cli {

std::optional<std::string> default_words_path() { return default_data_path("words.txt"); }

std::optional<std::string> skipped_message(const std::string& path, const UserWordsLoad& load) {
  if (load.skipped.empty()) return std::nullopt;
  std::string lines;
  for (const std::size_t line : load.skipped) {
    lines += (lines.empty() ? "" : ", ") + std::to_string(line);
  }
  return path + ": damaged lines skipped: " + lines;
}

WordsFileUse use_words_file(Engine& engine, const std::optional<std::string>& file) {
  const std::optional<std::string> path = file ? file : default_words_path();
  if (!path) return {};
  PosixStorage storage(*path);
  const UserWordsLoad load = load_user_words(storage, engine);
  switch (load.result) {
    case UserWordsLoad::Result::Missing:
      if (!file) return {};
      return {path, "cannot read " + *path + ": No such file or directory", std::nullopt};
    case UserWordsLoad::Result::Unreadable:
      return {path, load.error, std::nullopt};
    case UserWordsLoad::Result::TooLarge:
      return {path, *path + ": larger than 16 MiB", std::nullopt};
    case UserWordsLoad::Result::Loaded:
      break;
  }
  return {path, std::nullopt, skipped_message(*path, load)};
}

int use_words_or_report(Engine& engine, const std::optional<std::string>& file, Io io,
                        std::string_view command) {
  const WordsFileUse use = use_words_file(engine, file);
  if (use.error) return failure(io, command, *use.error);
  if (use.warning) io.err << "sorla " << command << ": warning: " << *use.warning << '\n';
  return 0;
}

}  // namespace sorla::cli
