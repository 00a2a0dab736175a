// Where the learned picks of a Store app's or a packaged application's
// process live: in the process, never in a file (learned_file/app_access.h
// says why). Every activation in the process shares them, under the same
// merge rules as the file.
#pragma once

#include "sorla/learned_sync.h"

namespace sorla::learned_file {

class SandboxStorage final : public LearnedStorage {
 public:
  StoredFile read(std::uint64_t limit) override;
  std::unique_ptr<Lock> lock() override;
  std::optional<std::string> write_then_move(std::string_view bytes) override;
  std::optional<std::string> move_aside() override;
};

// The picks a process starts from before its first save: the user's file as
// read, when it can be imported. Later calls, or any after a save, change
// nothing.
void seed_process_picks(const StoredFile& file);
// For tests: the process starts again with no picks.
void forget_process_picks();

}  // namespace sorla::learned_file
