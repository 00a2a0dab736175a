// `sorla words add WORD SPELLING... | list | remove WORD [--file FILE]`: the
// user's own words, which every typing command offers first for their
// spellings.
#include <ostream>

#include "command_util.h"
#include "learned_file.h"
#include "words_file.h"

namespace sorla::cli {
namespace {

constexpr char kWordsUsage[] = "expects add WORD SPELLING..., list or remove WORD";

int edit_status(Io io, const std::string& path, const UserWordsEdit& edit) {
  switch (edit.result) {
    case UserWordsEdit::Result::Changed:
    case UserWordsEdit::Result::Unchanged:
      return 0;
    case UserWordsEdit::Result::Busy:
      return failure(io, "words", path + " is being changed by another program; try again");
    case UserWordsEdit::Result::Refused:
    case UserWordsEdit::Result::Failed:
      break;
  }
  return failure(io, "words", edit.error);
}

}  // namespace

int run_words(const Arguments& args, Io io) {
  int status = 0;
  const auto parsed = parse_or_report(args, io, "words", {}, {"--file"}, status);
  if (!parsed) return status;
  const auto& pos = parsed->positional;
  if (pos.empty()) return usage_error(io, "words", kWordsUsage);
  const std::string& action = pos[0];
  const auto path = parsed->value("--file") ? parsed->value("--file") : default_words_path();
  if (!path) {
    return failure(io, "words", "no words file: set XDG_DATA_HOME or HOME, or use --file");
  }
  PosixStorage storage(*path);

  if (action == "list" && pos.size() == 1) {
    const UserWordsLoad load = read_user_words(storage);
    if (load.result == UserWordsLoad::Result::Unreadable) return failure(io, "words", load.error);
    if (load.result == UserWordsLoad::Result::TooLarge) {
      return failure(io, "words", *path + ": larger than 16 MiB");
    }
    for (const UserWord& word : load.words) {
      io.out << word.word << '\t';
      for (std::size_t i = 0; i < word.spellings.size(); ++i) {
        io.out << (i ? " " : "") << word.spellings[i];
      }
      io.out << '\n';
    }
    if (const auto message = skipped_message(*path, load)) {
      io.err << "sorla words: " << *message << '\n';
    }
    return 0;
  }
  if (action == "add" && pos.size() >= 3) {
    std::string spellings;
    for (std::size_t i = 2; i < pos.size(); ++i) spellings += (i > 2 ? " " : "") + pos[i];
    const UserWordsEdit edit = add_user_word(storage, pos[1], spellings);
    if (edit.result == UserWordsEdit::Result::Unchanged) {
      io.out << pos[1] << " has those spellings already\n";
    }
    return edit_status(io, *path, edit);
  }
  if (action == "remove" && pos.size() == 2) {
    const UserWordsEdit edit = remove_user_word(storage, pos[1]);
    if (edit.result == UserWordsEdit::Result::Unchanged) {
      return failure(io, "words", pos[1] + " is not in " + *path);
    }
    return edit_status(io, *path, edit);
  }
  return usage_error(io, "words", kWordsUsage);
}

}  // namespace sorla::cli
