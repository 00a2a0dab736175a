// Where the learned picks of a Store app's process live: in the process,
// never in a file (learned_file/app_access.h says why). Every activation in
// the process shares them, under the same merge rules as the file.
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

}  // namespace sorla::learned_file
