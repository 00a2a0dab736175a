#include "learned_file/learned_file.h"

#include <windows.h>

#include <atomic>
#include <string>
#include <utility>
#include <variant>

#include "learned_file/file_io.h"
#include "learned_file/learned_path.h"

namespace sorla::learned_file {
namespace {

// Process-wide, so two saves in one process never share a temporary file.
std::atomic<std::uint32_t> g_partial_sequence{0};

// The picks the file holds now, to merge into. A file that is there but
// cannot be imported comes back as no picks with `keep_aside` set; one that
// cannot be read at the moment gives none at all.
struct SavedPicks {
  LearnedStore store;
  bool keep_aside = false;
};

std::optional<SavedPicks> read_saved(const std::filesystem::path& target) {
  FileContents contents = read_whole_file(target, kMaxFileBytes);
  switch (contents.state) {
    case ReadState::Missing:
      return SavedPicks{};
    case ReadState::Unreadable:
      return std::nullopt;
    case ReadState::TooLarge:
      return SavedPicks{{}, true};
    case ReadState::Read:
      break;
  }
  auto imported = LearnedStore::import_json(contents.bytes);
  if (auto* store = std::get_if<LearnedStore>(&imported)) return SavedPicks{std::move(*store)};
  return SavedPicks{{}, true};
}

}  // namespace

void load_learned(LearnedFile&, Engine& engine) {
  const auto path = learned_path();
  if (!path) return;
  const FileContents contents = read_whole_file(*path, kMaxFileBytes);
  if (contents.state == ReadState::Read) engine.import_learned(contents.bytes);
}

SaveOutcome save_learned(LearnedFile& file, bool& dirty, Engine* engine) {
  const bool was_dirty = dirty || (engine != nullptr && !engine->learned().unsaved().empty());
  dirty = false;
  if (!was_dirty) return {SaveResult::NotDirty, std::nullopt};
  const auto target = learned_path();
  if (engine == nullptr || !target) return {SaveResult::NoTarget, std::nullopt};

  std::optional<std::filesystem::path> partial;
  const auto fail = [&](SaveResult result) {
    if (partial) remove_file(*partial);
    dirty = true;
    return SaveOutcome{result, partial};
  };
  if (!create_folders(target->parent_path())) return fail(SaveResult::Failed);
  LearnedStore merged;
  {
    const auto lock = SaveLock::acquire(lock_path(*target), file.lock_wait);
    if (!lock) return fail(SaveResult::Busy);
    std::optional<SavedPicks> saved = read_saved(*target);
    if (!saved) return fail(SaveResult::Failed);
    merged = engine->learned().merged_onto(std::move(saved->store));
    const std::string bytes = merged.export_json();

    partial = partial_path(*target, GetCurrentProcessId(), g_partial_sequence.fetch_add(1));
    if (!write_whole_file(*partial, bytes)) return fail(SaveResult::Failed);
    // Such a file may be a newer version's or a damaged one: kept, not destroyed.
    if (saved->keep_aside && !move_replacing(*target, unreadable_path(*target))) {
      return fail(SaveResult::Failed);
    }
    if (!move_replacing(*partial, *target)) return fail(SaveResult::Failed);
  }
  // Continue from what the file now holds, other processes' picks included,
  // with nothing left unsaved.
  engine->replace_learned(std::move(merged));
  return {SaveResult::Saved, partial};
}

}  // namespace sorla::learned_file
