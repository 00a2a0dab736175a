#include "word_data_file.h"

#include <cerrno>

#include "sorla/format.h"
#include "sorla/text.h"
#include "word_data.h"

namespace sorla::cli {
namespace {

// C0 and C1 controls and DEL, but for those the seed text counts as white
// space (tab, line ends, U+0085), which only part fields.
bool is_control(char32_t c) { return (c < 0x20 || (c >= 0x7F && c <= 0x9F)) && !is_white_space(c); }

// As the engine chooses: the magic, or a beginning of it.
bool starts_like_binary(std::string_view bytes) {
  const std::string_view magic = "SRLA";
  return !bytes.empty() &&
         magic.starts_with(bytes.substr(0, std::min<std::size_t>(bytes.size(), 4)));
}

ReadError line_error(std::size_t line, const char* ending) {
  return ReadError{"line " + std::to_string(line) + ending};
}

}  // namespace

std::variant<std::string, FileError> read_word_data_file(const std::string& path) {
  auto read = read_file(path, kMaxWordDataBytes);
  if (auto* error = std::get_if<FileError>(&read); error != nullptr && error->code == EFBIG) {
    error->message = path + " is larger than 16 MiB, the most word data this tool reads";
  }
  return read;
}

std::optional<ReadError> seed_text_line_error(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::size_t line_no = 0;
  while (!text.empty()) {
    ++line_no;
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!is_valid_utf8(line)) return line_error(line_no, " is not UTF-8");
    const std::string_view trimmed = trim_white_space(line);
    if (trimmed.starts_with('#')) continue;
    for (std::size_t pos = 0; pos < trimmed.size();) {
      if (is_control(next_char(trimmed, pos)))
        return line_error(line_no, " has a control character");
    }
  }
  return std::nullopt;
}

std::variant<CompiledWordData, ReadError> compile_word_data(
    std::string_view bytes, const std::optional<std::string>& name,
    const std::optional<RankingParams>& ranking) {
  if (!starts_like_binary(bytes)) {
    if (auto error = seed_text_line_error(bytes)) return std::move(*error);
  }
  ReadResult read = read_word_data(bytes);
  if (auto* error = std::get_if<ReadError>(&read)) return std::move(*error);
  WordList& list = std::get<WordList>(read);
  if (name) list.data_name = *name;
  if (ranking) list.ranking = *ranking;
  auto written = write_data_file(list);
  if (auto* error = std::get_if<ReadError>(&written)) return std::move(*error);
  return CompiledWordData{std::move(list), std::move(std::get<std::vector<std::uint8_t>>(written))};
}

}  // namespace sorla::cli
