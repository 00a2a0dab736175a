#include "learned_file/save_lock.h"

#include <algorithm>
#include <utility>

namespace sorla::learned_file {
namespace {

// A lock file that its holder is just deleting refuses access for a moment;
// a folder that refuses it for longer is not going to change its mind.
constexpr ULONGLONG kDeniedWaitMs = 50;
constexpr DWORD kLongestPauseMs = 16;

}  // namespace

std::optional<SaveLock> SaveLock::acquire(const std::filesystem::path& path,
                                          std::chrono::milliseconds wait) {
  const ULONGLONG start = GetTickCount64();
  const auto wait_ms =
      static_cast<ULONGLONG>(std::max<std::chrono::milliseconds::rep>(wait.count(), 0));
  DWORD pause = 1;
  for (;;) {
    const HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) return SaveLock(h);
    const DWORD error = GetLastError();
    const ULONGLONG waited = GetTickCount64() - start;
    const ULONGLONG limit =
        error == ERROR_ACCESS_DENIED ? std::min(wait_ms, kDeniedWaitMs) : wait_ms;
    if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) || waited >= limit) {
      return std::nullopt;
    }
    // No pause runs past the end of the wait.
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause, limit - waited)));
    pause = std::min(pause * 2, kLongestPauseMs);
  }
}

SaveLock::SaveLock(SaveLock&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}

SaveLock::~SaveLock() {
  if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
}

}  // namespace sorla::learned_file
