// Hostile learned-data documents: import either succeeds with a store within
// the cap that survives an export/import round trip, or fails leaving the
// engine's picks untouched.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sorla/engine.h"

namespace {
const sorla::Engine& base() {
  static const sorla::Engine engine = [] {
    sorla::Engine e = std::get<sorla::Engine>(sorla::Engine::from_bytes(sorla::seed_words()));
    e.learn("sabay", "x", std::nullopt);
    return e;
  }();
  return engine;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  sorla::Engine engine = base();
  const std::string before = engine.export_learned();
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (engine.import_learned(bytes)) {
    if (engine.export_learned() != before) std::abort();
    return 0;
  }
  if (engine.learned().size() > sorla::LearnedStore::kCap) std::abort();
  const std::string exported = engine.export_learned();
  sorla::Engine again = base();
  if (again.import_learned(exported)) std::abort();
  if (again.export_learned() != exported) std::abort();
  engine.suggest(bytes.substr(0, 64), std::nullopt);
  return 0;
}
