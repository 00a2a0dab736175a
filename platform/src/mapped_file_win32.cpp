#include <windows.h>

#include "sorla/mapped_file.h"
#include "sorla/win32_handle.h"

namespace sorla {

std::shared_ptr<const MappedFile> MappedFile::open(const std::filesystem::path& path,
                                                   std::uint64_t limit) {
  // Sharing delete lets an installer replace the file while it is mapped.
  const Win32Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return nullptr;
  }
  // The view keeps the mapping alive once both handles are closed.
  const Win32Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return nullptr;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return nullptr;
  return std::make_shared<const MappedFile>(view, static_cast<std::size_t>(size.QuadPart));
}

MappedFile::~MappedFile() { UnmapViewOfFile(view_); }

}  // namespace sorla
