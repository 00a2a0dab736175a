#include "word_data/word_data_file.h"

#include <string>

#include "com/module.h"
#include "sorla/index_file.h"
#include "sorla/mapped_file.h"

namespace sorla::word_data {

Engine load_engine(const std::filesystem::path& folder) {
  const auto data = MappedFile::open(folder / kFileName, kMaxWordDataFileBytes);
  if (!data) return open_word_data(seed_words()).engine;
  const auto index = MappedFile::open(folder / kIndexFileName, kMaxIndexFileBytes);
  return open_word_data(data->bytes(), index ? index->bytes() : std::span<const std::uint8_t>(),
                        index)
      .engine;
}

std::filesystem::path dll_folder() {
  std::wstring path;
  if (FAILED(com::module_path(com::own_module(), path))) return {};
  return std::filesystem::path(path).parent_path();
}

}  // namespace sorla::word_data
