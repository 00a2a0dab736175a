// A small PNG writer (stored deflate blocks, no compression library) for the
// screenshots people look at.
#pragma once

#include <filesystem>

#include "support/capture.h"

namespace sorla::testing {

// Writes the pixels as 8-bit RGBA; alpha is taken as straight (not
// premultiplied). False when the file cannot be written.
bool write_png(const std::filesystem::path& path, const Image& image);

}  // namespace sorla::testing
