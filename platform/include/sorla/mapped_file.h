// A file mapped read-only into memory: the operating system shares its pages
// among every process that maps the same file, so the prebuilt index and the
// word data are read in place (`sorla`, the benchmarks and the DLL alike).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace sorla {

class MappedFile {
 public:
  // Nothing when the file is missing, empty, larger than `limit` bytes or
  // cannot be mapped. The file may be replaced while it is mapped.
  static std::shared_ptr<const MappedFile> open(const std::filesystem::path& path,
                                                std::uint64_t limit);

  MappedFile(const void* view, std::size_t size) : view_(view), size_(size) {}
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  std::span<const std::uint8_t> bytes() const {
    return {static_cast<const std::uint8_t*>(view_), size_};
  }

 private:
  const void* view_;
  std::size_t size_;
};

}  // namespace sorla
