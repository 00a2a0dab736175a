// Whole-file reads and atomic whole-file writes.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <variant>

namespace sorla::cli {

struct FileError {
  int code = 0;         // errno of the failing call
  std::string message;  // "cannot read PATH: reason"
};

// The whole file; one of more than `max_bytes` bytes (a device such as
// /dev/zero included) is refused with EFBIG once that many are read, never
// held whole.
std::variant<std::string, FileError> read_file(
    const std::string& path, std::size_t max_bytes = std::numeric_limits<std::size_t>::max());

// Writes `bytes` to PATH.<pid>.tmp beside PATH (creating the folder), syncs
// it and renames it over PATH, so PATH is always either the old or the new
// complete file. Returns a message on failure, leaving no temporary file.
std::optional<std::string> write_file_atomically(const std::string& path, const std::string& bytes);

}  // namespace sorla::cli
