// Words users reported, fed back into the word list: the report service's
// export (a Khmer word, a tab, the spellings it was reported for, separated
// by spaces; '#' lines are comments), as maintainers review and commit it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace sorla::lexicon {

struct Entry {
  std::string word;
  std::vector<std::string> spellings;
};

struct Feedback {
  std::vector<Entry> added;  // words the list lacked, in the export's order
  std::vector<std::pair<std::string, std::string>> pairs;
};

// Applies the export to `entries`: a reported spelling of a listed word (or
// one that looks the same) is added to it; a text that reads as listed
// words, typed as their spellings one after the other, gives the pairs of
// neighbours; any other text is a word the list lacks. Zero-width spaces are
// dropped; spellings already there (after the fold) are not repeated.
Feedback apply_reports(std::string_view text, std::vector<Entry>& entries);

}  // namespace sorla::lexicon
