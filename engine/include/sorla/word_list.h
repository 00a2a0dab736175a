// The word data as both readers deliver it: Khmer words with their chat
// spellings, most common first, and the word pairs typed one after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace sorla {

struct WordEntry {
  std::string word;                    // Khmer text, non-empty
  std::vector<std::string> spellings;  // as written in the data
  std::uint32_t value = 0;             // carried from the binary file only
};

struct PairEntry {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  std::uint32_t count = 0;
};

struct WordList {
  std::string data_name;
  std::vector<WordEntry> entries;  // entry i has word index i
  std::vector<PairEntry> pairs;
};

// The same word data with every string viewing storage that outlives it (the
// bytes of a binary file, or a WordList): what the engine is built from,
// without a string of its own per word and spelling.
struct WordView {
  std::string_view word;
  std::uint32_t value = 0;
  std::size_t first_spelling = 0;  // this word's spellings in WordListView::spellings
  std::size_t spelling_count = 0;
};

struct WordListView {
  std::string_view data_name;
  std::vector<WordView> entries;  // entry i has word index i
  std::vector<std::string_view> spellings;
  std::vector<PairEntry> pairs;
};

// A reader's failure: one fixed English message, nothing partial survives.
struct ReadError {
  std::string message;
  bool operator==(const ReadError&) const = default;
};

using ReadResult = std::variant<WordList, ReadError>;

}  // namespace sorla
