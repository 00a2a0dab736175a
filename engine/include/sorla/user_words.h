// The user's own words: a small list in the seed-text form (Khmer word, TAB,
// spellings) that the user keeps, read beside the shipped word data. What
// makes a word and a spelling acceptable, the file read line by line (a
// damaged line skipped, the rest kept), and the file's text edited in
// place, so that an edit keeps every other line as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sorla {

// A larger words file is not read.
inline constexpr std::uint64_t kMaxUserWordsFileBytes = 16ull << 20;

struct UserWord {
  std::string word;                    // Khmer script
  std::vector<std::string> spellings;  // lower-case Latin letters, each once
  bool operator==(const UserWord&) const = default;
};

// Why `word` with `spellings` (one or more, separated by white space) cannot
// be added, as a sentence to show the user; none when it can. Both are
// trimmed first. The one check for every way of adding a word.
std::optional<std::string> user_word_error(std::string_view word, std::string_view spellings);

struct UserWordsRead {
  std::vector<UserWord> words;       // in file order, each word once
  std::vector<std::size_t> skipped;  // the damaged lines' numbers, from 1
};

// The words of a words file. Blank lines and lines starting with '#' are
// no words; a line that is not UTF-8, has no tab, or whose word or a
// spelling fails user_word_error is skipped. Lines of the same word add up.
UserWordsRead parse_user_words(std::string_view text);

// `text` with `word` given `spellings` (as user_word_error takes them, which
// must accept them): the spellings it lacks go onto its first line, or a
// new line at the end holds it. Every other line is kept byte for byte.
// None when the file has the word with every one of the spellings already.
std::optional<std::string> with_user_word(std::string_view text, std::string_view word,
                                          std::string_view spellings);

// `text` without the lines of `word` (trimmed); none when it has none.
std::optional<std::string> without_user_word(std::string_view text, std::string_view word);

// The user's words by spelling, as the engine looks them up while typing.
class UserWordIndex {
 public:
  UserWordIndex() = default;
  explicit UserWordIndex(std::vector<UserWord> words);

  bool empty() const { return words_.empty(); }
  const std::vector<UserWord>& words() const { return words_; }
  // The words spelled `key` (lower-case letters), in list order.
  std::vector<std::string_view> spelled(std::string_view key) const;
  // The other words with a spelling that `key` begins: by that spelling's
  // length, then in list order; each once.
  std::vector<std::string_view> completing(std::string_view key) const;

 private:
  struct Entry {
    std::string spelling;  // a copy: the index is copied with the engine
    std::size_t word = 0;  // index into words_
  };
  std::vector<UserWord> words_;
  std::vector<Entry> entries_;  // by spelling, then word
};

}  // namespace sorla
