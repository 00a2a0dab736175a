// The user's learned picks on disk for `sorla`: where they live, and the
// POSIX storage under the shared learned-file rules (sorla/learned_sync.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "sorla/engine.h"
#include "sorla/learned_sync.h"

namespace sorla::cli {

// $XDG_DATA_HOME/sorla/NAME, else ~/.local/share/sorla/NAME: where the
// user's files live; none when neither variable gives an absolute folder.
std::optional<std::string> default_data_path(std::string_view name);
std::optional<std::string> default_learned_path();

std::string import_error_message(const ImportError& error);

// PATH (the learned file or the words file, sorla/user_words_sync.h),
// written through PATH.<pid>.tmp (synced, then renamed), locked with
// flock on PATH.lock; an unusable file goes to the first free
// PATH.unreadable, PATH.unreadable.1, ...
class PosixStorage final : public LearnedStorage {
 public:
  explicit PosixStorage(std::string path) : path_(std::move(path)) {}

  StoredFile read(std::uint64_t limit) override;
  std::unique_ptr<Lock> lock() override;
  std::optional<std::string> write_then_move(std::string_view bytes) override;
  std::optional<std::string> move_aside() override;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// What a load that did not bring picks in means for the user; none for
// Loaded and Missing.
std::optional<std::string> load_message(const std::string& path, const LoadOutcome& outcome);

}  // namespace sorla::cli
