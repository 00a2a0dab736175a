// Any buffer either builds a complete engine or yields one reader message;
// an engine built from it answers suggestions without crashing.
#include <cstdint>
#include <cstdlib>

#include "sorla/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto result = sorla::Engine::from_bytes(std::span<const std::uint8_t>(data, size));
  if (auto* engine = std::get_if<sorla::Engine>(&result)) {
    for (const char* typed : {"khnhom", "a b c", "sabay'", "x"}) {
      const auto s = engine->suggest(typed, std::nullopt);
      if (s.size() > sorla::Engine::kMaxSuggestions) std::abort();
    }
  } else if (std::get<sorla::ReadError>(result).message.empty()) {
    std::abort();
  }
  return 0;
}
