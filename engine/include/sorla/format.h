// The binary word-data file: magic "SRLA", version 1, version 2 that
// carries the ranking numbers too, or version 3: version 2 with an XXH3-64
// (bulk_hash) of every byte after it right after the version, so that the
// prebuilt index can tell its word data by 8 bytes instead of by hashing
// all of it. Little-endian. A list with ranking numbers is written as
// version 3, any other as version 1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sorla/word_list.h"

namespace sorla {

// The newest version this build reads and writes. Files shipped under a
// fixed name carry it in that name (word_data_file.h).
inline constexpr unsigned kDataFileVersion = 3;

ReadResult read_data_file(std::span<const std::uint8_t> bytes);

// Takes binary word data as it is read, in file order, each string a view
// into the bytes read. A read that fails may have handed over part of the
// data before its failure; the receiver throws that away.
class WordDataSink {
 public:
  virtual void data_name(std::string_view name) = 0;
  // Versions 2 and 3 only, right after the name: the file's own ranking numbers,
  // already checked with ranking_params_error.
  virtual void ranking(const RankingParams& params) = 0;
  // Before the words and the pairs, once their count is known to fit the file.
  virtual void word_count(std::size_t count) = 0;
  virtual void pair_count(std::size_t count) = 0;
  // A word, then each of its `spellings` spellings.
  virtual void word(std::string_view word, std::uint32_t value, std::size_t spellings) = 0;
  virtual void spelling(std::string_view spelling) = 0;
  virtual void pair(const PairEntry& pair) = 0;

 protected:
  ~WordDataSink() = default;
};

// The same reading, checks and messages as read_data_file, into `sink`
// without a string of its own per word or spelling; the error, if any.
std::optional<ReadError> read_data_file(std::span<const std::uint8_t> bytes, WordDataSink& sink);

// The ranking numbers of a binary word-data file, read from its head alone
// (up to its ranking section) with read_data_file's checks and messages:
// nullopt for a version 1 file.
std::variant<std::optional<RankingParams>, ReadError> read_data_ranking(
    std::span<const std::uint8_t> bytes);

// The content hash a version 3 file's header carries, unchecked (the
// reader checks it against the bytes); nothing for other versions or bytes.
std::optional<std::uint64_t> data_content_hash(std::span<const std::uint8_t> bytes);

// Writes `list` in exactly the layout read_data_file accepts. Fields that do
// not fit the format (a name over 255 bytes, more than 255 spellings, ...)
// are a caller error reported as a message.
std::variant<std::vector<std::uint8_t>, ReadError> write_data_file(const WordList& list);

}  // namespace sorla
