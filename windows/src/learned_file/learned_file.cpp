#include "learned_file/learned_file.h"

#include <windows.h>

#include <atomic>

#include "learned_file/file_io.h"
#include "learned_file/learned_path.h"

namespace sorla::learned_file {
namespace {

// Process-wide, so two saves in one process never share a temporary file.
std::atomic<std::uint32_t> g_partial_sequence{0};

}  // namespace

void LearnedFile::load(const std::function<bool(std::string_view)>& import_bytes) {
  keep_unreadable_ = false;
  const auto path = learned_path();
  if (!path) return;
  const FileContents contents = read_whole_file(*path, kMaxFileBytes);
  switch (contents.state) {
    case ReadState::Missing:
      return;
    case ReadState::Unreadable:
      keep_unreadable_ = true;
      return;
    case ReadState::Read:
      keep_unreadable_ = !import_bytes(contents.bytes);
      return;
  }
}

SaveOutcome LearnedFile::save_if_dirty(bool& dirty,
                                       const std::function<std::string()>& export_bytes) {
  const bool was_dirty = dirty;
  dirty = false;
  if (!was_dirty) return {SaveResult::NotDirty, std::nullopt};
  const auto target = learned_path();
  if (!target) return {SaveResult::NoTarget, std::nullopt};
  const std::string bytes = export_bytes();

  if (!create_folders(target->parent_path())) {
    dirty = true;
    return {SaveResult::Failed, std::nullopt};
  }
  const std::filesystem::path partial =
      partial_path(*target, GetCurrentProcessId(), g_partial_sequence.fetch_add(1));
  const auto fail = [&] {
    remove_file(partial);
    dirty = true;
    return SaveOutcome{SaveResult::Failed, partial};
  };
  if (!write_whole_file(partial, bytes)) return fail();
  if (keep_unreadable_ && file_exists(*target)) {
    if (!move_replacing(*target, unreadable_path(*target))) return fail();
  }
  keep_unreadable_ = false;
  if (!move_replacing(partial, *target)) return fail();
  return {SaveResult::Saved, partial};
}

void load_learned(LearnedFile& file, Engine& engine) {
  file.load([&](std::string_view bytes) { return !engine.import_learned(bytes).has_value(); });
}

SaveOutcome save_learned(LearnedFile& file, bool& dirty, const Engine* engine) {
  if (engine == nullptr) {
    // Nothing to write from: the flag is consumed as by any save.
    const bool was_dirty = dirty;
    dirty = false;
    return {was_dirty ? SaveResult::NoTarget : SaveResult::NotDirty, std::nullopt};
  }
  return file.save_if_dirty(dirty, [&] { return engine->export_learned(); });
}

}  // namespace sorla::learned_file
