// Several processes adding words to one words.txt at once, as the "Add a
// word…" dialogs of several applications may. Run as
//   words_concurrent drive <writers> <words per writer>
// it points APPDATA at a fresh folder, starts the writers and one reader as
// processes of their own, and checks that the final file holds every word
// of every writer and that each read along the way found no damaged line.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"
#include "learned_file/file_io.h"
#include "learned_file/learned_path.h"
#include "learned_file/words_file.h"
#include "sorla/text.h"

namespace {

namespace fs = std::filesystem;
using namespace sorla;
using namespace sorla::learned_file;

// An add that finds the lock held tries again, as does one whose move found
// the reader holding words.txt for longer than the move waits (a loaded
// machine does that); the user would click Add again.
constexpr int kTries = 200;

// Writer `w`'s word `i`: two Khmer consonants, and its spelling.
UserWord word_of(int w, int i, int per_writer) {
  const int n = w * per_writer + i;
  std::string word;
  append_utf8(word, static_cast<char32_t>(0x1780 + n / 35));
  append_utf8(word, static_cast<char32_t>(0x1780 + n % 35));
  return {word,
          {std::string{static_cast<char>('a' + w), static_cast<char>('a' + i / 26),
                       static_cast<char>('a' + i % 26)}}};
}

int run_writer(int w, int words) {
  using Result = UserWordsEdit::Result;
  int busy = 0, failed = 0;
  for (int i = 0; i < words; ++i) {
    const UserWord word = word_of(w, i, words);
    UserWordsEdit edit{Result::Busy, {}};
    for (int t = 0; t < kTries && (edit.result == Result::Busy || edit.result == Result::Failed);
         ++t) {
      edit = add_user_word(word.word, word.spellings[0]);
      busy += edit.result == Result::Busy;
      failed += edit.result == Result::Failed;
    }
    if (edit.result != Result::Changed) {
      std::printf("writer %d: word %d not added (result %d: %s)\n", w, i,
                  static_cast<int>(edit.result), edit.error.c_str());
      return 1;
    }
  }
  std::printf("writer %d: %d words, %d busy, %d failed\n", w, words, busy, failed);
  return 0;
}

int run_reader() {
  const fs::path target = *words_path();
  const fs::path stop = target.parent_path().parent_path() / "stop";
  long reads = 0, damaged = 0, unreadable = 0;
  while (!fs::exists(stop)) {
    const StoredFile contents = read_whole_file(target, kMaxUserWordsFileBytes);
    ++reads;
    if (contents.state == StoredFile::State::Unreadable) ++unreadable;
    if (contents.state == StoredFile::State::Read) {
      damaged += !parse_user_words(contents.bytes).skipped.empty();
    }
    Sleep(1);
  }
  std::printf("reader: %ld reads, %ld unreadable, %ld with damaged lines\n", reads, unreadable,
              damaged);
  return unreadable + damaged == 0 ? 0 : 1;
}

int run_driver(int writers, int words) {
  const fs::path appdata = sorla::testing::fresh_appdata(L"sorla-words-");
  int failures = sorla::testing::run_children(writers, words, appdata / "stop");
  if (failures < 0) return 2;

  const UserWordsRead final_file =
      parse_user_words(read_whole_file(*words_path(), kMaxUserWordsFileBytes).bytes);
  std::vector<UserWord> expected;
  for (int w = 0; w < writers; ++w) {
    for (int i = 0; i < words; ++i) expected.push_back(word_of(w, i, words));
  }
  std::vector<UserWord> got = final_file.words;
  const auto by_word = [](const UserWord& a, const UserWord& b) { return a.word < b.word; };
  std::sort(got.begin(), got.end(), by_word);
  std::sort(expected.begin(), expected.end(), by_word);
  const bool exact = got == expected && final_file.skipped.empty();
  std::printf("%d writers x %d words: final file %s (%zu words)\n", writers, words,
              exact ? "exact" : "WRONG", got.size());
  failures += !exact;
  return sorla::testing::end_driver(appdata, "words.txt", failures);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "drive" && argc == 4) return run_driver(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "write" && argc == 4) return run_writer(std::atoi(argv[2]), std::atoi(argv[3]));
  if (mode == "read" && argc == 2) return run_reader();
  std::fprintf(stderr, "usage: words_concurrent drive <writers> <words per writer>\n");
  return 2;
}
