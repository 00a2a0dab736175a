// The learned-picks file shared by every front end and every process that
// types: loaded once, and saved by merging this engine's unsaved picks onto
// the file as it is at that moment, under a lock, so that several
// applications (or several `sorla` runs) never write over each other's
// picks. The platform supplies the storage; the rules live here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sorla/engine.h"

namespace sorla {

// A larger file is not read into the process.
inline constexpr std::uint64_t kMaxLearnedFileBytes = 64ull << 20;

struct StoredFile {
  // Unreadable: the file is there but could not be read now (no access, held
  // open by another program, a read error); trying again later may work.
  enum class State { Missing, Unreadable, TooLarge, Read };
  State state = State::Missing;
  std::string bytes;
  std::string error;  // for Unreadable, what went wrong
};

class LearnedStorage {
 public:
  // Held while a save reads, merges and writes; released when destroyed.
  class Lock {
   public:
    virtual ~Lock() = default;
  };

  virtual ~LearnedStorage() = default;
  // The whole file; one larger than `limit` bytes is not read.
  virtual StoredFile read(std::uint64_t limit) = 0;
  // None when another save kept it for the whole wait, or it cannot be made.
  virtual std::unique_ptr<Lock> lock() = 0;
  // Writes `bytes` to a temporary file on disk and moves it over the file,
  // so the file is always the old or the new one. A message on failure.
  virtual std::optional<std::string> write_then_move(std::string_view bytes) = 0;
  // Moves the file aside under a new name, which it returns; none on failure.
  virtual std::optional<std::string> move_aside() = 0;
  // How many times the user has cleared the picks, kept beside the file and
  // changed only under the lock; a storage that is never cleared answers 0.
  virtual std::uint64_t clears() { return 0; }
  // Counts one more clear; false when it cannot be recorded.
  virtual bool count_clear() { return false; }
};

// The clear count a front end's picks were loaded or last saved under. A
// save that finds a later count drops the picks instead of writing them
// back: they were made before the user cleared them.
struct ClearMark {
  std::uint64_t seen = 0;
};

struct LoadOutcome {
  enum class Result { Loaded, Missing, Unreadable, TooLarge, Refused };
  Result result = Result::Missing;
  std::string error;                  // for Unreadable
  std::optional<ImportError> import;  // for Refused
};

// Replaces the engine's picks with the file's. Anything but Loaded leaves the
// engine as it was; a file that cannot be used is set aside by the next save.
// With `mark`, the clear count read before the file is noted in it.
LoadOutcome load_learned(LearnedStorage& storage, Engine& engine, ClearMark* mark = nullptr);

struct SaveOutcome {
  // Busy: another save held the lock for the whole wait. NoPlace: there is
  // nowhere this user's picks may be written (the platform's answer).
  // Cleared: the picks were cleared since the engine loaded them, and it
  // continues from the file instead.
  enum class Result { NotDirty, Saved, Busy, Failed, NoPlace, Cleared };
  Result result = Result::NotDirty;
  std::optional<std::string> set_aside;  // where an unusable file went
  std::string error;                     // for Failed
};

// Whether the engine has picks to save: ones it counted or took back since
// it loaded or last saved. The engine is the one record of them.
bool needs_save(const Engine& engine);

// Saves when the engine has unsaved picks, or always with `force` (a file
// written even when nothing was learned). Under the lock it reads the file,
// applies what this engine learned and took back since it loaded or last
// saved, writes the result and then continues from it, other processes'
// picks included. A file that cannot be imported (a newer version's, a
// damaged one) is kept aside, not destroyed, and the merge starts from no
// picks. When the save cannot finish the engine is left as it was, so its
// picks go out next time.
// With `mark`, a clear made since it was taken (by any process) drops this
// engine's picks, saved and unsaved, for the file's, and nothing is written:
// the result is Cleared.
SaveOutcome save_learned(LearnedStorage& storage, Engine& engine, bool force = false,
                         ClearMark* mark = nullptr);

// The user clears the learned picks: under the lock the file is emptied and
// one more clear counted, so that every other process's next save drops its
// picks; this engine's go at once and `mark` takes the new count.
SaveOutcome clear_learned(LearnedStorage& storage, Engine& engine, ClearMark& mark);

// A clear made elsewhere since `mark`: the engine continues from the file as
// it is now, its own picks dropped. Cheap when nothing was cleared; true
// when the picks were replaced.
bool follow_clear(LearnedStorage& storage, Engine& engine, ClearMark& mark);

}  // namespace sorla
