#include <windows.h>

#include "sorla/mapped_file.h"

namespace sorla {
namespace {

// Closes a kernel handle on every way out; no handle is
// INVALID_HANDLE_VALUE or, as CreateFileMappingW answers, null.
class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  ~Handle() {
    if (valid()) CloseHandle(h_);
  }
  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

}  // namespace

std::shared_ptr<const MappedFile> MappedFile::open(const std::filesystem::path& path,
                                                   std::uint64_t limit) {
  // Sharing delete lets an installer replace the file while it is mapped.
  const Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return nullptr;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      static_cast<std::uint64_t>(size.QuadPart) > limit) {
    return nullptr;
  }
  // The view keeps the mapping alive once both handles are closed.
  const Handle mapping(CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping.valid()) return nullptr;
  const void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return nullptr;
  return std::make_shared<const MappedFile>(view, static_cast<std::size_t>(size.QuadPart));
}

MappedFile::~MappedFile() { UnmapViewOfFile(view_); }

}  // namespace sorla
