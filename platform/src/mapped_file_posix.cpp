#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "sorla/mapped_file.h"

namespace sorla {

std::shared_ptr<const MappedFile> MappedFile::open(const std::filesystem::path& path,
                                                   std::uint64_t limit) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  void* view = MAP_FAILED;
  if (::fstat(fd, &st) == 0 && st.st_size > 0 && static_cast<std::uint64_t>(st.st_size) <= limit) {
    view = ::mmap(nullptr, static_cast<std::size_t>(st.st_size), PROT_READ, MAP_SHARED, fd, 0);
  }
  // The mapping stays when the descriptor is closed.
  ::close(fd);
  if (view == MAP_FAILED) return nullptr;
  return std::make_shared<const MappedFile>(view, static_cast<std::size_t>(st.st_size));
}

MappedFile::~MappedFile() { ::munmap(const_cast<void*>(view_), size_); }

}  // namespace sorla
