// The word data as both readers deliver it: Khmer words with their chat
// spellings, most common first, and the word pairs typed one after the other.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "sorla/ranking_params.h"

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
  // The numbers an engine ranks this data with, carried by a version 2
  // binary file only; without them it ranks with RankingParams{}.
  std::optional<RankingParams> ranking;
};

// A reader's failure: one fixed English message, nothing partial survives.
struct ReadError {
  std::string message;
  bool operator==(const ReadError&) const = default;
};

using ReadResult = std::variant<WordList, ReadError>;

}  // namespace sorla
