// Arbitrary typed and previous texts: never more than five suggestions, the
// same answer twice, and nothing for text that is not letters and spaces.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sorla/engine.h"

namespace {
const sorla::Engine& engine() {
  static const sorla::Engine e =
      std::get<sorla::Engine>(sorla::Engine::from_bytes(sorla::seed_words()));
  return e;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  // First byte splits the input into the previous word and the typed text.
  const std::size_t cut = size == 0 ? 0 : std::min<std::size_t>(data[0], size - 1);
  std::optional<std::string> previous;
  if (cut > 0) previous = std::string(all.substr(1, cut));
  const std::string_view typed = size == 0 ? all : all.substr(1 + cut);
  const auto first = engine().suggest(typed, previous);
  if (first.size() > sorla::Engine::kMaxSuggestions) std::abort();
  if (engine().suggest(typed, previous) != first) std::abort();
  for (const sorla::Suggestion& s : first) {
    if (s.text.empty()) std::abort();
  }
  return 0;
}
