// The shipped word data written into a work folder with its index beside it,
// as the text service finds them, for the tools that open it mapped.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "sorla/word_list.h"

namespace sorla::bench {

struct ShippedFiles {
  std::vector<std::uint8_t> bytes;  // the word data
  WordList list;
  std::string data_path, index_path;
};

// Reads `shipped` (a word data file) and writes it and its index into `folder`.
ShippedFiles write_shipped(const std::filesystem::path& shipped,
                           const std::filesystem::path& folder);

}  // namespace sorla::bench
