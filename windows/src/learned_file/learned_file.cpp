#include "learned_file/learned_file.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>

#include "learned_file/app_access.h"
#include "learned_file/file_io.h"
#include "learned_file/learned_path.h"
#include "learned_file/sandbox_storage.h"
#include "settings/settings.h"

namespace sorla::learned_file {
namespace {

// Process-wide, so two saves in one process never share a temporary file.
std::atomic<std::uint32_t> g_partial_sequence{0};
// Whether this process has looked for an earlier version's grant yet.
std::atomic<bool> g_grant_checked{false};

// Worked out at the load, or at the first use of a record never loaded.
const LearnedFile::Place& place_of(LearnedFile& file) {
  if (!file.place) {
    const PickStore store = pick_store();
    file.place =
        LearnedFile::Place{store, store == PickStore::Process ? std::nullopt : learned_path()};
  }
  return *file.place;
}

// The user's file, when this process reads and writes it.
std::optional<std::filesystem::path> user_file(LearnedFile& file) {
  const LearnedFile::Place& place = place_of(file);
  return place.store == PickStore::UserFile ? place.file : std::nullopt;
}

class HeldLock final : public LearnedStorage::Lock {
 public:
  explicit HeldLock(SaveLock lock) : lock_(std::move(lock)) {}

 private:
  SaveLock lock_;
};

}  // namespace

FileStorage::FileStorage(std::filesystem::path target, std::chrono::milliseconds lock_wait)
    : target_(std::move(target)), lock_wait_(lock_wait) {}

StoredFile FileStorage::read(std::uint64_t limit) { return read_whole_file(target_, limit); }

std::unique_ptr<LearnedStorage::Lock> FileStorage::lock() {
  if (!create_folders(target_.parent_path())) return nullptr;
  auto lock = SaveLock::acquire(lock_path(target_), lock_wait_);
  if (!lock) return nullptr;
  return std::make_unique<HeldLock>(std::move(*lock));
}

std::optional<std::string> FileStorage::write_then_move(std::string_view bytes) {
  partial_ = partial_path(target_, GetCurrentProcessId(), g_partial_sequence.fetch_add(1));
  if (write_whole_file(*partial_, bytes) && move_replacing(*partial_, target_)) {
    return std::nullopt;
  }
  remove_file(*partial_);
  return "cannot write the file";
}

std::optional<std::string> FileStorage::move_aside() {
  const std::filesystem::path aside = unreadable_path(target_);
  if (!move_replacing(target_, aside)) return std::nullopt;
  return aside.string();
}

std::uint64_t FileStorage::clears() {
  return settings::read_dword_setting(settings::kSorlaKey, settings::kClearsValue).value;
}

bool FileStorage::count_clear() {
  return settings::write_sorla_dword(settings::kClearsValue,
                                     static_cast<std::uint32_t>(clears() + 1));
}

void load_learned(LearnedFile& file, Engine& engine) {
  file.place.reset();  // an activation: worked out afresh
  const auto& [store, path] = place_of(file);
  if (store != PickStore::UserFile) {
    if (path) seed_process_picks(read_whole_file(*path, kMaxLearnedFileBytes));
    SandboxStorage storage;
    sorla::load_learned(storage, engine);
    return;
  }
  if (!path) return;
  // Once a process: the entry an earlier version gave Store apps goes, even
  // for a user who never picks again.
  if (!g_grant_checked.exchange(true)) revoke_app_packages(path->parent_path());
  FileStorage storage(*path, file.lock_wait);
  sorla::load_learned(storage, engine, &file.mark);
}

SaveOutcome save_learned(LearnedFile& file, Engine& engine, SaveMoment moment) {
  if (!needs_save(engine)) return {};
  if (place_of(file).store != PickStore::UserFile) {
    SandboxStorage storage;
    return sorla::save_learned(storage, engine);
  }
  const auto target = user_file(file);
  if (!target) return {SaveOutcome::Result::NoPlace, std::nullopt, {}};
  FileStorage storage(*target,
                      moment == SaveMoment::FocusChange ? file.focus_lock_wait : file.lock_wait);
  return sorla::save_learned(storage, engine, false, &file.mark);
}

SaveOutcome clear_learned(LearnedFile& file, Engine& engine) {
  const auto target = user_file(file);
  if (!target) return {SaveOutcome::Result::NoPlace, std::nullopt, {}};
  FileStorage storage(*target, file.lock_wait);
  return sorla::clear_learned(storage, engine, file.mark);
}

void follow_clear(LearnedFile& file, Engine& engine) {
  if (const auto target = user_file(file)) {
    FileStorage storage(*target, file.lock_wait);
    sorla::follow_clear(storage, engine, file.mark);
  }
}

}  // namespace sorla::learned_file
