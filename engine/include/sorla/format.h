// The binary word-data file: magic "SRLA", version 1, little-endian.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "sorla/word_list.h"

namespace sorla {

ReadResult read_data_file(std::span<const std::uint8_t> bytes);

// The same reading, checks and messages, with the strings left in `bytes`:
// the result is valid only while `bytes` is.
std::variant<WordListView, ReadError> read_data_view(std::span<const std::uint8_t> bytes);

// Writes `list` in exactly the layout read_data_file accepts. Fields that do
// not fit the format (a name over 255 bytes, more than 255 spellings, ...)
// are a caller error reported as a message.
std::variant<std::vector<std::uint8_t>, ReadError> write_data_file(const WordList& list);

}  // namespace sorla
