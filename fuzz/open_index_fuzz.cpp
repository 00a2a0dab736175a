// Any buffer opened as the prebuilt index of the seed list either opens or
// yields one message; an engine opened on it answers without reading
// outside the buffer. The header's hashes are written anew for each input
// (unless it asks otherwise) so that mutations reach the layout checks and
// the checks the search makes as it reads.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "sorla/engine.h"
#include "sorla/index_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto seed = sorla::seed_words();
  // Aligned, as a mapping is; the first byte chooses whether to reseal.
  if (size == 0) return 0;
  std::vector<std::uint64_t> words((size - 1 + 7) / 8 + 1);
  auto* index = reinterpret_cast<std::uint8_t*>(words.data());
  std::memcpy(index, data + 1, size - 1);
  const std::span<std::uint8_t> bytes(index, size - 1);
  if (data[0] & 1) sorla::reseal_index(bytes, seed);
  auto result = sorla::Engine::open_index(bytes, seed);
  if (auto* engine = std::get_if<sorla::Engine>(&result)) {
    for (const char* typed : {"khnhom", "a b c", "sabay'", "x", "tovsalarian"}) {
      const auto s = engine->suggest(typed, std::string("\xE1\x9E\x80"));
      if (s.size() > sorla::Engine::kMaxSuggestions) std::abort();
    }
    // Typed a letter at a time too, as a keystroke search reads the tree
    // (entry ranges and entries are checked there, not on opening).
    const std::string typing = "sabaykhnhom";
    for (std::size_t n = 1; n <= typing.size(); ++n) engine->suggest(typing.substr(0, n), {});
    engine->word_at_end("\xE1\x9E\x80\xE1\x9E\x80");
  } else if (std::get<sorla::ReadError>(result).message.empty()) {
    std::abort();
  }
  return 0;
}
