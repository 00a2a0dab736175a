// Whole-file reads and writes for the learned-data file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace sorla::learned_file {

// Owns a kernel handle and closes it; no handle is INVALID_HANDLE_VALUE or,
// as some calls answer, null.
class FileHandle {
 public:
  explicit FileHandle(HANDLE h) : h_(h) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() { close(); }

  bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
  HANDLE get() const { return h_; }
  // Closing can report a failed write-back; callers that wrote check it.
  bool close() {
    const HANDLE h = std::exchange(h_, INVALID_HANDLE_VALUE);
    return h == INVALID_HANDLE_VALUE || h == nullptr || CloseHandle(h) != 0;
  }

 private:
  HANDLE h_;
};

// Unreadable: the file is there but could not be read (no access, held open
// by another program, a read error); trying again later may work.
enum class ReadState { Missing, Unreadable, TooLarge, Read };

struct FileContents {
  ReadState state = ReadState::Missing;
  std::string bytes;
};

// A file larger than `limit` bytes is not read.
FileContents read_whole_file(const std::filesystem::path& path, std::uint64_t limit);

// Creates or truncates `path` and writes all of `bytes`.
bool write_whole_file(const std::filesystem::path& path, std::string_view bytes);

// Moves `from` onto `to`, replacing an existing `to` in one step; waits a
// moment for a reader of `to` to let go.
bool move_replacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Creates `folder` and every missing folder above it; true when it exists
// as a folder afterwards.
bool create_folders(const std::filesystem::path& folder);

void remove_file(const std::filesystem::path& path);

}  // namespace sorla::learned_file
