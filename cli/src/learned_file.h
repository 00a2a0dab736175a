// The user's learned picks on disk: where they live, loading them into an
// engine and saving them back atomically.
#pragma once

#include <optional>
#include <string>

#include "sorla/engine.h"

namespace sorla::cli {

// $XDG_DATA_HOME/sorla/learned.json, else ~/.local/share/sorla/learned.json;
// none when neither variable gives an absolute folder.
std::optional<std::string> default_learned_path();

std::string import_error_message(const ImportError& error);

struct LearnedFile {
  std::string path;
  // Set when the file exists but could not be imported: it is moved aside
  // before the first save instead of being overwritten.
  bool keep_aside = false;
  std::string saved;  // the bytes on disk after the last load or save
};

enum class LoadStatus { Loaded, Missing, Failed };

struct LoadResult {
  LoadStatus status = LoadStatus::Loaded;
  std::string message;  // what went wrong, for Failed
};

// Reads FILE into the engine's learned picks. A file that exists but cannot
// be read or imported leaves the engine as it was and marks it to be kept.
LoadResult load_learned(Engine& engine, LearnedFile& file);

// Writes the engine's picks when they differ from what is on disk. Returns
// a message on failure; a note naming the kept-aside copy goes to `note`.
std::optional<std::string> save_learned(const Engine& engine, LearnedFile& file,
                                        std::string* note = nullptr);

}  // namespace sorla::cli
