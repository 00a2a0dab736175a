#include "word_data.h"

#include <filesystem>

#include "files.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"

namespace sorla::cli {

ReadResult read_word_data(std::string_view bytes) {
  return sorla::read_word_data(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

std::optional<std::string> shipped_word_data() {
  std::error_code error;
  if (!std::filesystem::is_regular_file(SORLA_SHIPPED_WORDS, error)) return std::nullopt;
  return SORLA_SHIPPED_WORDS;
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
  const std::string& bytes = std::get<std::string>(read);
  // Its prebuilt index beside it, mapped, when it is sound and of this data.
  const auto index = MappedFile::open(
      std::filesystem::path(*data_file).replace_extension(kIndexExtension), kMaxIndexFileBytes);
  OpenedWordData opened =
      open_word_data(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                     index ? index->bytes() : std::span<const std::uint8_t>(), index);
  if (opened.refused) return *data_file + ": " + opened.refused->message;
  return std::move(opened.engine);
}

}  // namespace sorla::cli
