#include "word_data/word_data_file.h"

#include <string>

#include "dll/module.h"
#include "learned_file/file_io.h"

namespace sorla::word_data {

Engine load_engine(const std::filesystem::path& folder) {
  const auto file = learned_file::read_whole_file(folder / kFileName, kMaxFileBytes);
  return engine_or_seed(file.state == learned_file::ReadState::Read ? std::string_view(file.bytes)
                                                                    : std::string_view());
}

std::filesystem::path dll_folder() {
  std::wstring path;
  if (FAILED(dll::module_path(dll::module(), path))) return {};
  return std::filesystem::path(path).parent_path();
}

}  // namespace sorla::word_data
