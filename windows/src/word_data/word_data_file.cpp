#include "word_data/word_data_file.h"

#include <string>

#include "dll/module.h"
#include "word_data/mapped_file.h"

namespace sorla::word_data {

Engine load_engine(const std::filesystem::path& folder) {
  const auto data = MappedFile::open(folder / kFileName, kMaxFileBytes);
  if (!data) return engine_or_seed({});
  if (const auto index = MappedFile::open(folder / kIndexFileName, kMaxIndexBytes)) {
    auto opened = Engine::open_index(index->bytes(), data->bytes(), index);
    if (auto* engine = std::get_if<Engine>(&opened)) return std::move(*engine);
  }
  const auto bytes = data->bytes();
  return engine_or_seed(
      std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::filesystem::path dll_folder() {
  std::wstring path;
  if (FAILED(dll::module_path(dll::module(), path))) return {};
  return std::filesystem::path(path).parent_path();
}

}  // namespace sorla::word_data
