// The whole of a file, for the word-data tools; throws when it cannot be read.
#pragma once

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

namespace sorla::lexicon {

inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace sorla::lexicon
