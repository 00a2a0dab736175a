// Writes the prebuilt index of a word-data file beside it under the name
// the DLL maps (word_data_file.h), for the Windows tests.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "sorla/engine.h"
#include "sorla/index_file.h"
#include "word_data/word_data_file.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::ifstream in(argv[1], std::ios::binary);
  const std::vector<std::uint8_t> data{std::istreambuf_iterator<char>(in), {}};
  auto built = sorla::Engine::from_bytes(data);
  if (!std::holds_alternative<sorla::Engine>(built)) return 1;
  const auto index = std::get<sorla::Engine>(built).index_bytes(data);
  std::ofstream out(std::filesystem::path(argv[1]).parent_path() / sorla::word_data::kIndexFileName,
                    std::ios::binary);
  out.write(reinterpret_cast<const char*>(index.data()),
            static_cast<std::streamsize>(index.size()));
  return out ? 0 : 1;
}
