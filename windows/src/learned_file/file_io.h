// Whole-file reads and writes for the learned-data file.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "sorla/learned_sync.h"

namespace sorla::learned_file {

// A file larger than `limit` bytes is not read.
StoredFile read_whole_file(const std::filesystem::path& path, std::uint64_t limit);

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
