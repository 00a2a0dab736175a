#include "word_data.h"

#include <algorithm>

#include "files.h"
#include "sorla/format.h"
#include "sorla/seed_text.h"
#include "sorla/text.h"

namespace sorla::cli {

ReadResult read_word_data(std::string_view bytes) {
  constexpr std::string_view kMagic = "SRLA";
  const std::size_t head = std::min(bytes.size(), kMagic.size());
  const bool binary =
      !is_valid_utf8(bytes) || (!bytes.empty() && bytes.substr(0, head) == kMagic.substr(0, head));
  if (binary) {
    return read_data_file({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
  }
  return parse_seed_text(bytes, "");
}

std::variant<Engine, std::string> load_engine(const std::optional<std::string>& data_file) {
  if (!data_file) {
    auto built = Engine::from_bytes(seed_words());
    if (auto* error = std::get_if<ReadError>(&built)) {
      return "the built-in word list: " + error->message;
    }
    return std::move(std::get<Engine>(built));
  }
  auto read = read_file(*data_file);
  if (auto* error = std::get_if<FileError>(&read)) return error->message;
  auto built = Engine::from_bytes(std::string_view(std::get<std::string>(read)));
  if (auto* error = std::get_if<ReadError>(&built)) return *data_file + ": " + error->message;
  return std::move(std::get<Engine>(built));
}

}  // namespace sorla::cli
