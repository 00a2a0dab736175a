// The lock that makes saves of the learned-data file from several processes
// follow one another: an exclusively opened file beside learned.json.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <optional>

namespace sorla::learned_file {

// How long a save waits for another process's save to finish before it
// gives up and leaves its picks for the next save. Either way the save runs
// on the application's UI thread: at deactivation, the last chance for the
// picks, a bounded wait; on a focus change one try and no sleep (a Sleep(1)
// may last a whole 15.6 ms timer tick), since the next focus change or the
// deactivation tries again and nothing is lost.
inline constexpr std::chrono::milliseconds kLockWait{500};
inline constexpr std::chrono::milliseconds kFocusLockWait{0};

// Held while a save reads, merges and replaces learned.json. The file is
// opened without sharing and deleted when closed, so a process that dies
// holding it lets go with it and no stale lock is left behind.
class SaveLock {
 public:
  // None when another holder kept it for all of `wait`, or it cannot be made.
  static std::optional<SaveLock> acquire(const std::filesystem::path& path,
                                         std::chrono::milliseconds wait);

  SaveLock(SaveLock&& other) noexcept;
  SaveLock& operator=(SaveLock&&) = delete;
  SaveLock(const SaveLock&) = delete;
  SaveLock& operator=(const SaveLock&) = delete;
  ~SaveLock();

 private:
  explicit SaveLock(HANDLE h) : h_(h) {}
  HANDLE h_;
};

}  // namespace sorla::learned_file
