// The learned picks kept across activations in %APPDATA%\Sorla\learned.json:
// read once at activation; when dirty, merged with the file as it is then
// and written back whole and atomically.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "learned_file/save_lock.h"
#include "sorla/engine.h"

namespace sorla::learned_file {

// A larger file is not read into the host process.
inline constexpr std::uint64_t kMaxFileBytes = 64ull << 20;

// Busy: another process's save held the lock for the whole wait.
enum class SaveResult { NotDirty, NoTarget, Saved, Busy, Failed };

struct SaveOutcome {
  SaveResult result = SaveResult::NotDirty;
  // The temporary file the save wrote through, once it got that far.
  std::optional<std::filesystem::path> partial;
};

// One per activation of the text service.
struct LearnedFile {
  // How long a save waits for another process's save to finish.
  std::chrono::milliseconds lock_wait = kLockWait;
};

// Replaces the engine's picks with the file's; a missing or unusable file
// leaves them as they are.
void load_learned(LearnedFile& file, Engine& engine);

// Saves when `dirty` is set or the engine has unsaved picks, clearing `dirty`
// first. Several applications each run their own engine on the same file, so
// a save does not write its own picks over theirs: under the lock it reads
// the file, applies what this engine learned and took back since it loaded
// or last saved, writes the result through a temporary file moved into
// place, and then continues from that result. A file that cannot be imported
// is kept as learned.json.unreadable and the merge starts from no picks.
// When the save cannot finish, `dirty` is set again and the engine is left
// as it was, so its picks go out with the next save. Without an engine
// nothing is saved.
SaveOutcome save_learned(LearnedFile& file, bool& dirty, Engine* engine);

}  // namespace sorla::learned_file
