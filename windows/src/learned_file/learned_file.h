// The learned picks kept across activations in %APPDATA%\Sorla\learned.json:
// read once at activation, written whole and atomically when dirty.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "sorla/engine.h"

namespace sorla::learned_file {

// A larger file is not read into the host process and counts as unreadable.
inline constexpr std::uint64_t kMaxFileBytes = 64ull << 20;

enum class SaveResult { NotDirty, NoTarget, Saved, Failed };

struct SaveOutcome {
  SaveResult result = SaveResult::NotDirty;
  // The temporary file the save wrote through, once it got that far.
  std::optional<std::filesystem::path> partial;
};

// One per activation of the text service. It remembers whether the file
// found at load could not be imported: such a file may be a newer version's
// or a damaged one, so the first save keeps it as learned.json.unreadable
// instead of destroying it.
class LearnedFile {
 public:
  // `import_bytes` answers whether it took the document.
  void load(const std::function<bool(std::string_view)>& import_bytes);

  // Saves when `dirty` is set, clearing it first. A save that fails after
  // that (folder, write, keeping aside or move) sets it again, so the picks
  // go out with the next save, and removes its temporary file.
  SaveOutcome save_if_dirty(bool& dirty, const std::function<std::string()>& export_bytes);

 private:
  bool keep_unreadable_ = false;
};

// The engine's side of load and save; without an engine nothing is saved.
void load_learned(LearnedFile& file, Engine& engine);
SaveOutcome save_learned(LearnedFile& file, bool& dirty, const Engine* engine);

}  // namespace sorla::learned_file
