#include "learned_file/file_io.h"

#include <windows.h>

#include <system_error>
#include <utility>

#include "sorla/win32_handle.h"

namespace sorla::learned_file {
namespace {

constexpr DWORD kChunk = 1u << 20;
constexpr int kMoveAttempts = 6;  // about 30 ms of waiting in all

}  // namespace

StoredFile read_whole_file(const std::filesystem::path& path, std::uint64_t limit) {
  using State = StoredFile::State;
  const StoredFile unreadable{State::Unreadable, {}, "cannot read the file"};
  // Sharing delete lets another process replace the file while we read it.
  Win32Handle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    return unreadable;
  }
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return unreadable;
  if (static_cast<std::uint64_t>(size.QuadPart) > limit) return {State::TooLarge, {}, {}};
  std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD want = left < kChunk ? static_cast<DWORD>(left) : kChunk;
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) return unreadable;
    if (got == 0) break;  // the file shrank while we read it
    done += got;
  }
  bytes.resize(done);
  return {State::Read, std::move(bytes), {}};
}

bool write_whole_file(const std::filesystem::path& path, std::string_view bytes) {
  Win32Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const DWORD want = left < kChunk ? static_cast<DWORD>(left) : kChunk;
    DWORD put = 0;
    if (!WriteFile(file.get(), bytes.data() + done, want, &put, nullptr) || put == 0) return false;
    done += put;
  }
  // On disk before the move puts it in place: after a power cut the file is
  // the old one or the new one, never an empty one.
  if (!FlushFileBuffers(file.get())) return false;
  return file.close();
}

bool move_replacing(const std::filesystem::path& from, const std::filesystem::path& to) {
  // A target that another process is reading cannot be replaced until it lets
  // go; readers hold the file briefly, so the move tries again for a moment.
  DWORD pause = 1;
  for (int attempt = 0;; ++attempt) {
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    const DWORD error = GetLastError();
    if (attempt == kMoveAttempts - 1 ||
        (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)) {
      return false;
    }
    Sleep(pause);
    pause *= 2;
  }
}

bool create_folders(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return std::filesystem::is_directory(folder, ec);
}

void remove_file(const std::filesystem::path& path) { DeleteFileW(path.c_str()); }

}  // namespace sorla::learned_file
