// Word data as `check` and `compile` read it from a file: one reading for
// both, so `check` accepts exactly what `compile` writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "files.h"
#include "sorla/word_list.h"

namespace sorla::cli {

// The most a word-data file may hold, checked while reading: three times the
// shipped seed text, and a bound on what reading a hostile file may take.
inline constexpr std::size_t kMaxWordDataBytes = std::size_t{16} << 20;

// The bytes of PATH, or why not ("cannot read PATH: ...", or "PATH is larger
// than 16 MiB ..." as soon as more than kMaxWordDataBytes have come).
std::variant<std::string, FileError> read_word_data_file(const std::string& path);

struct CompiledWordData {
  WordList list;
  std::vector<std::uint8_t> bytes;  // the binary word-data file of `list`
};

// Reads `bytes` as the engine would (binary word data when they start like
// its magic, seed text otherwise), with the tool's own checks first: seed
// text whose every line is UTF-8 and whose words and spellings hold no
// control characters, each refusal naming the line. The list, named `name`
// and carrying `ranking` when they are given, must then fit the binary file.
std::variant<CompiledWordData, ReadError> compile_word_data(
    std::string_view bytes, const std::optional<std::string>& name = std::nullopt,
    const std::optional<RankingParams>& ranking = std::nullopt);

// The first seed-text line that is not UTF-8, or that holds a control
// character outside a comment, as a message ("line N ..."), numbered as the
// seed-text reader numbers lines; nullopt when every line is sound.
std::optional<ReadError> seed_text_line_error(std::string_view text);

}  // namespace sorla::cli
