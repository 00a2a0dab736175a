#include "word_data/word_data_file.h"

#include <string>

#include "dll/module.h"
#include "word_data/mapped_file.h"

namespace sorla::word_data {

Engine load_engine(const std::filesystem::path& folder) {
  const auto data = MappedFile::open(folder / kFileName, kMaxFileBytes);
  if (!data) return open_word_data({});
  const auto index = MappedFile::open(folder / kIndexFileName, kMaxIndexBytes);
  return open_word_data(data->bytes(), index ? index->bytes() : std::span<const std::uint8_t>(),
                        index);
}

std::filesystem::path dll_folder() {
  std::wstring path;
  if (FAILED(dll::module_path(dll::module(), path))) return {};
  return std::filesystem::path(path).parent_path();
}

}  // namespace sorla::word_data
