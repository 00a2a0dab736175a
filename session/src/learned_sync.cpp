#include "sorla/learned_sync.h"

#include <utility>
#include <variant>

namespace sorla {

LoadOutcome load_learned(LearnedStorage& storage, Engine& engine) {
  using Result = LoadOutcome::Result;
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

SaveOutcome save_learned(LearnedStorage& storage, Engine& engine, bool force) {
  using Result = SaveOutcome::Result;
  if (!force && !needs_save(engine)) return {};
  const auto fail = [](Result result, std::string error) {
    return SaveOutcome{result, std::nullopt, std::move(error)};
  };

  const std::unique_ptr<LearnedStorage::Lock> lock = storage.lock();
  if (!lock) return fail(Result::Busy, {});
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

}  // namespace sorla
