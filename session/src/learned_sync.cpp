#include "sorla/learned_sync.h"

#include <utility>
#include <variant>

namespace sorla {

LoadOutcome load_learned(LearnedStorage& storage, Engine& engine, ClearMark* mark) {
  using Result = LoadOutcome::Result;
  // Before the file: a clear between the two reads then drops picks made
  // after it at the next save, never brings cleared ones back.
  if (mark) mark->seen = storage.clears();
  StoredFile file = storage.read(kMaxLearnedFileBytes);
  switch (file.state) {
    case StoredFile::State::Missing:
      return {Result::Missing, {}, std::nullopt};
    case StoredFile::State::Unreadable:
      return {Result::Unreadable, std::move(file.error), std::nullopt};
    case StoredFile::State::TooLarge:
      return {Result::TooLarge, {}, std::nullopt};
    case StoredFile::State::Read:
      break;
  }
  if (const auto error = engine.import_learned(file.bytes)) return {Result::Refused, {}, *error};
  return {Result::Loaded, {}, std::nullopt};
}

bool needs_save(const Engine& engine) { return !engine.learned().unsaved().empty(); }

namespace {

// The file's picks as a store; none when it is missing or cannot be used.
std::optional<LearnedStore> stored_picks(LearnedStorage& storage) {
  StoredFile file = storage.read(kMaxLearnedFileBytes);
  if (file.state != StoredFile::State::Read) return std::nullopt;
  auto imported = LearnedStore::import_json(file.bytes);
  if (auto* store = std::get_if<LearnedStore>(&imported)) return std::move(*store);
  return std::nullopt;
}

void continue_from_file(LearnedStorage& storage, Engine& engine, ClearMark& mark,
                        std::uint64_t clears) {
  engine.replace_learned(stored_picks(storage).value_or(LearnedStore{}));
  mark.seen = clears;
}

}  // namespace

SaveOutcome save_learned(LearnedStorage& storage, Engine& engine, bool force, ClearMark* mark) {
  using Result = SaveOutcome::Result;
  if (!force && !needs_save(engine)) return {};
  const auto fail = [](Result result, std::string error) {
    return SaveOutcome{result, std::nullopt, std::move(error)};
  };

  const std::unique_ptr<LearnedStorage::Lock> lock = storage.lock();
  if (!lock) return fail(Result::Busy, {});
  if (mark) {
    const std::uint64_t clears = storage.clears();
    if (clears != mark->seen) {
      continue_from_file(storage, engine, *mark, clears);
      return {Result::Cleared, std::nullopt, {}};
    }
  }
  StoredFile file = storage.read(kMaxLearnedFileBytes);
  LearnedStore saved;
  bool unusable = file.state == StoredFile::State::TooLarge;
  if (file.state == StoredFile::State::Unreadable) return fail(Result::Failed, file.error);
  if (file.state == StoredFile::State::Read) {
    auto imported = LearnedStore::import_json(file.bytes);
    if (auto* store = std::get_if<LearnedStore>(&imported)) {
      saved = std::move(*store);
    } else {
      unusable = true;
    }
  }
  LearnedStore merged = engine.learned().merged_onto(std::move(saved));

  std::optional<std::string> aside;
  if (unusable && !(aside = storage.move_aside())) {
    return fail(Result::Failed, "cannot move the unreadable learned file aside");
  }
  if (auto error = storage.write_then_move(merged.export_json())) {
    return fail(Result::Failed, std::move(*error));
  }
  engine.replace_learned(std::move(merged));
  return {Result::Saved, std::move(aside), {}};
}

SaveOutcome clear_learned(LearnedStorage& storage, Engine& engine, ClearMark& mark) {
  using Result = SaveOutcome::Result;
  const std::unique_ptr<LearnedStorage::Lock> lock = storage.lock();
  if (!lock) return {Result::Busy, std::nullopt, {}};
  // Counted first: should the write fail, the others still drop theirs.
  if (!storage.count_clear()) {
    return {Result::Failed, std::nullopt, "cannot record that the learned words were cleared"};
  }
  mark.seen = storage.clears();
  engine.replace_learned(LearnedStore{});
  if (auto error = storage.write_then_move(LearnedStore{}.export_json())) {
    return {Result::Failed, std::nullopt, std::move(*error)};
  }
  return {Result::Saved, std::nullopt, {}};
}

bool follow_clear(LearnedStorage& storage, Engine& engine, ClearMark& mark) {
  const std::uint64_t clears = storage.clears();
  if (clears == mark.seen) return false;
  continue_from_file(storage, engine, mark, clears);
  return true;
}

}  // namespace sorla
