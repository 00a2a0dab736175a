// Hostile words files: every word read passes the check for adding one, an
// added word is read back with its spellings, a removed one is gone, and
// neither edit changes any other word or damaged line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sorla/user_words.h"

namespace {

const std::string kDara = "\xE1\x9E\x8A\xE1\x9E\xB6\xE1\x9E\x9A\xE1\x9E\xB6";  // ដារា

std::vector<sorla::UserWord> others(std::vector<sorla::UserWord> words, std::string_view word) {
  std::erase_if(words, [&](const sorla::UserWord& w) { return w.word == word; });
  return words;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const sorla::UserWordsRead read = sorla::parse_user_words(text);
  for (const sorla::UserWord& w : read.words) {
    std::string spellings;
    for (const std::string& s : w.spellings) spellings += s + " ";
    if (sorla::user_word_error(w.word, spellings)) std::abort();
  }

  if (const auto added = sorla::with_user_word(text, kDara, "dara Zz")) {
    const sorla::UserWordsRead after = sorla::parse_user_words(*added);
    if (after.skipped != read.skipped) std::abort();
    if (others(after.words, kDara) != others(read.words, kDara)) std::abort();
    bool found = false;
    for (const sorla::UserWord& w : after.words) {
      found = found || (w.word == kDara && std::find(w.spellings.begin(), w.spellings.end(),
                                                     "zz") != w.spellings.end());
    }
    if (!found) std::abort();
  }
  if (!read.words.empty()) {
    const std::string gone = read.words.front().word;
    const auto removed = sorla::without_user_word(text, gone);
    if (!removed) std::abort();
    if (sorla::parse_user_words(*removed).words != others(read.words, gone)) std::abort();
  }
  return 0;
}
