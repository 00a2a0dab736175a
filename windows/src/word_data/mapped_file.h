// A file mapped read-only into memory: the operating system shares its pages
// among every process that maps the same file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace sorla::word_data {

class MappedFile {
 public:
  // Nothing when the file is missing, empty, larger than `limit` bytes or
  // cannot be mapped.
  static std::shared_ptr<const MappedFile> open(const std::filesystem::path& path,
                                                std::uint64_t limit);
  // Adopts a view made by MapViewOfFile.
  MappedFile(const std::uint8_t* view, std::size_t size) : view_(view), size_(size) {}
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  std::span<const std::uint8_t> bytes() const { return {view_, size_}; }

 private:
  const std::uint8_t* view_;
  std::size_t size_;
};

}  // namespace sorla::word_data
