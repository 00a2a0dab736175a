// Where the learned-data file and its companions live; worked out once an
// activation (learned_file.h and words_file.h keep it).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace sorla::learned_file {

// APPDATA\Sorla\learned.json; none when APPDATA is unset or empty (an empty
// value would put the file relative to whatever folder the host is in).
std::optional<std::filesystem::path> learned_path(const std::optional<std::wstring>& appdata);
std::optional<std::filesystem::path> learned_path();

// APPDATA\Sorla\words.txt, the user's own words, on the same terms.
std::optional<std::filesystem::path> words_path(const std::optional<std::wstring>& appdata);
std::optional<std::filesystem::path> words_path();

// learned.json -> learned.<pid>.<sequence>.partial in the same folder.
std::filesystem::path partial_path(const std::filesystem::path& target, std::uint32_t pid,
                                   std::uint32_t sequence);

// Where a learned.json that could not be imported is kept before it is
// replaced: learned.json.unreadable.
std::filesystem::path unreadable_path(const std::filesystem::path& target);

// The lock file a save holds: learned.json.lock.
std::filesystem::path lock_path(const std::filesystem::path& target);

}  // namespace sorla::learned_file
