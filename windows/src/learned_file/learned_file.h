// The learned picks kept across activations in %APPDATA%\Sorla\learned.json:
// the Windows storage under the shared learned-file rules (sorla/learned_sync.h).
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>

#include "learned_file/app_access.h"
#include "learned_file/save_lock.h"
#include "sorla/engine.h"
#include "sorla/learned_sync.h"

namespace sorla::learned_file {

// learned.json (or words.txt) in a folder of its own: reads share delete so
// that other processes can replace the file meanwhile; writes go through a
// flushed learned.<pid>.<n>.partial; the lock is learned.json.lock.
class FileStorage final : public LearnedStorage {
 public:
  FileStorage(std::filesystem::path target, std::chrono::milliseconds lock_wait);

  StoredFile read(std::uint64_t limit) override;
  std::unique_ptr<Lock> lock() override;
  std::optional<std::string> write_then_move(std::string_view bytes) override;
  std::optional<std::string> move_aside() override;
  // Kept in HKCU\Software\Sorla (settings/settings.h), which every process
  // of the user reads, and changed only under the lock.
  std::uint64_t clears() override;
  bool count_clear() override;

  // The temporary file the last write went through (removed again if the
  // write failed).
  const std::optional<std::filesystem::path>& partial() const { return partial_; }

 private:
  std::filesystem::path target_;
  std::chrono::milliseconds lock_wait_;
  std::optional<std::filesystem::path> partial_;
};

// One per activation of the text service.
struct LearnedFile {
  // How long a save waits for another process's save to finish, at
  // deactivation and on a focus change.
  std::chrono::milliseconds lock_wait = kLockWait;
  std::chrono::milliseconds focus_lock_wait = kFocusLockWait;
  // The clear count the engine's picks were loaded or saved under.
  ClearMark mark;
  // Where the picks live, worked out by load_learned (a token query and an
  // environment read) and kept: saves and word starts ask neither again.
  struct Place {
    PickStore store = PickStore::UserFile;
    std::optional<std::filesystem::path> file;  // the user's file, when the store reads it
  };
  std::optional<Place> place;
};

enum class SaveMoment { FocusChange, Deactivation };

// Replaces the engine's picks with the file's; a missing or unusable file
// leaves them as they are.
void load_learned(LearnedFile& file, Engine& engine);

// save_learned of sorla/learned_sync.h on the user's file (NoPlace without
// APPDATA), or in a Store app or packaged application on the process's own
// picks. Busy when another process held the lock for the moment's wait.
SaveOutcome save_learned(LearnedFile& file, Engine& engine,
                         SaveMoment moment = SaveMoment::Deactivation);

// The user clears the learned words: the file is emptied and every other
// process's next save drops its picks instead of writing them back. NoPlace
// in a Store app or packaged application, which keep no user file.
SaveOutcome clear_learned(LearnedFile& file, Engine& engine);

// Takes a clear made in another process since the last load or save: the
// engine drops its picks for the file's. A registry read when nothing changed.
void follow_clear(LearnedFile& file, Engine& engine);

}  // namespace sorla::learned_file
