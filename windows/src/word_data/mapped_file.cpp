#include "word_data/mapped_file.h"

namespace sorla::word_data {
namespace {

struct Handle {
  HANDLE h;
  ~Handle() {
    if (h != nullptr && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

}  // namespace

std::shared_ptr<const MappedFile> MappedFile::open(const std::filesystem::path& path,
                                                   std::uint64_t limit) {
  // Sharing delete lets an installer replace the file while it is mapped.
  const Handle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)};
  if (file.h == INVALID_HANDLE_VALUE) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.h, &size) || size.QuadPart <= 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return nullptr;
  }
  // The view keeps the mapping alive once both handles are closed.
  const Handle mapping{CreateFileMappingW(file.h, nullptr, PAGE_READONLY, 0, 0, nullptr)};
  if (mapping.h == nullptr) return nullptr;
  const void* view = MapViewOfFile(mapping.h, FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return nullptr;
  return std::make_shared<const MappedFile>(static_cast<const std::uint8_t*>(view),
                                            static_cast<std::size_t>(size.QuadPart));
}

MappedFile::~MappedFile() { UnmapViewOfFile(view_); }

}  // namespace sorla::word_data
