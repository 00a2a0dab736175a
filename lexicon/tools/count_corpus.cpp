// Counts Khmer words and adjacent word pairs in text files. Reads lines
// "KIND<TAB>PATH" on standard input (KIND is "ui" for interface strings,
// "prose" for running text); scans each file's bytes for runs of Khmer text,
// cuts each run into words with ICU's dictionary word break and prints
//   word<TAB>WORD<TAB>UI_COUNT<TAB>PROSE_COUNT
//   pair<TAB>FIRST<TAB>SECOND<TAB>COUNT
// in byte order. Binary files are fine: only valid UTF-8 Khmer runs count.
#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

bool is_khmer(UChar32 c) { return (c >= 0x1780 && c <= 0x17ff) || (c >= 0x19e0 && c <= 0x19ff); }
// Joiners and the zero-width space sit inside Khmer runs; the space marks a
// word boundary without breaking the phrase.
bool is_inside(UChar32 c) { return c == 0x200b || c == 0x200c || c == 0x200d; }

struct Counts {
  std::map<std::string, std::pair<uint64_t, uint64_t>> words;  // ui, prose
  std::map<std::pair<std::string, std::string>, uint64_t> pairs;
};

bool all_khmer(const icu::UnicodeString& s) {
  for (int32_t i = 0; i < s.length();) {
    const UChar32 c = s.char32At(i);
    if (!is_khmer(c) && c != 0x200c && c != 0x200d) return false;
    i += U16_LENGTH(c);
  }
  return s.length() > 0;
}

void count_run(const icu::UnicodeString& run, bool prose, icu::BreakIterator& breaker,
               Counts& counts) {
  breaker.setText(run);
  std::string previous;
  for (int32_t start = breaker.first(), end = breaker.next(); end != icu::BreakIterator::DONE;
       start = end, end = breaker.next()) {
    const icu::UnicodeString piece = run.tempSubStringBetween(start, end);
    if (piece.length() == 1 && piece[0] == 0x200b) continue;
    if (!all_khmer(piece)) {
      previous.clear();
      continue;
    }
    std::string word;
    piece.toUTF8String(word);
    auto& entry = counts.words[word];
    (prose ? entry.second : entry.first) += 1;
    if (!previous.empty()) counts.pairs[{previous, word}] += 1;
    previous = std::move(word);
  }
}

void count_file(const std::string& bytes, bool prose, icu::BreakIterator& breaker, Counts& counts) {
  icu::UnicodeString run;
  auto flush = [&] {
    if (run.length() > 0) count_run(run, prose, breaker, counts);
    run.remove();
  };
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  const auto length = static_cast<int64_t>(bytes.size());
  for (int64_t i = 0; i < length;) {
    UChar32 c;
    U8_NEXT(data, i, length, c);
    if (c >= 0 && (is_khmer(c) || (run.length() > 0 && is_inside(c)))) {
      run.append(c);
    } else {
      flush();
    }
  }
  flush();
}

}  // namespace

int main() {
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<icu::BreakIterator> breaker(
      icu::BreakIterator::createWordInstance(icu::Locale("km"), status));
  if (U_FAILURE(status)) {
    std::fprintf(stderr, "count_corpus: no Khmer word break: %s\n", u_errorName(status));
    return 1;
  }
  Counts counts;
  std::string line;
  while (std::getline(std::cin, line)) {
    const auto tab = line.find('\t');
    if (tab == std::string::npos) continue;
    const std::string kind = line.substr(0, tab);
    const std::string path = line.substr(tab + 1);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "count_corpus: cannot read %s\n", path.c_str());
      return 1;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    count_file(bytes, kind == "prose", *breaker, counts);
  }
  for (const auto& [word, n] : counts.words) {
    std::printf("word\t%s\t%llu\t%llu\n", word.c_str(), static_cast<unsigned long long>(n.first),
                static_cast<unsigned long long>(n.second));
  }
  for (const auto& [pair, n] : counts.pairs) {
    std::printf("pair\t%s\t%s\t%llu\n", pair.first.c_str(), pair.second.c_str(),
                static_cast<unsigned long long>(n));
  }
  return 0;
}
