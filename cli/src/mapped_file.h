// A file mapped read-only (POSIX), as the text service maps the prebuilt
// index: for `sorla` and the benchmarks.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace sorla::cli {

class MappedFile {
 public:
  MappedFile(void* data, std::size_t size) : data_(data), size_(size) {}
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { ::munmap(data_, size_); }
  std::span<const std::uint8_t> bytes() const {
    return {static_cast<const std::uint8_t*>(data_), size_};
  }

  static std::shared_ptr<const MappedFile> open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return nullptr;
    struct stat st {};
    void* data = MAP_FAILED;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      data = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
    }
    ::close(fd);
    if (data == MAP_FAILED) return nullptr;
    return std::make_shared<const MappedFile>(data, static_cast<std::size_t>(st.st_size));
  }

 private:
  void* data_;
  std::size_t size_;
};

}  // namespace sorla::cli
