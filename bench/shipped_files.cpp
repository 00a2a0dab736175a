#include "shipped_files.h"

#include <fstream>
#include <iterator>
#include <variant>

#include "sorla/engine.h"
#include "sorla/format.h"

namespace sorla::bench {
namespace {

void write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

ShippedFiles write_shipped(const std::filesystem::path& shipped,
                           const std::filesystem::path& folder) {
  std::ifstream in{shipped, std::ios::binary};
  ShippedFiles out;
  out.bytes.assign(std::istreambuf_iterator<char>(in), {});
  out.list = std::get<WordList>(read_data_file(out.bytes));
  std::filesystem::create_directories(folder);
  out.data_path = folder / "words.srla";
  out.index_path = folder / "words.sidx";
  write(out.data_path, out.bytes);
  write(out.index_path, std::get<Engine>(Engine::from_bytes(out.bytes)).index_bytes(out.bytes));
  return out;
}

}  // namespace sorla::bench
