#include "learned_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "files.h"

namespace sorla::cli {
namespace {

std::optional<std::string> absolute_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::string(value);
}

// The first of FILE.unreadable, FILE.unreadable.1, ... that does not exist.
std::string aside_name(const std::string& path) {
  std::string name = path + ".unreadable";
  std::error_code ec;
  for (int i = 1; std::filesystem::exists(name, ec) && i < 1000; ++i) {
    name = path + ".unreadable." + std::to_string(i);
  }
  return name;
}

}  // namespace

std::optional<std::string> default_learned_path() {
  if (const auto data = absolute_env("XDG_DATA_HOME")) return *data + "/sorla/learned.json";
  if (const auto home = absolute_env("HOME")) return *home + "/.local/share/sorla/learned.json";
  return std::nullopt;
}

std::string import_error_message(const ImportError& error) {
  if (error.kind == ImportError::Kind::UnsupportedVersion) {
    return "unsupported learned-data version " + std::to_string(error.version);
  }
  return "not a learned-data document";
}

LoadResult load_learned(Engine& engine, LearnedFile& file) {
  auto read = read_file(file.path);
  if (const auto* err = std::get_if<FileError>(&read)) {
    if (err->code == ENOENT) {
      file.saved = engine.export_learned();  // nothing to write until something is learned
      return {LoadStatus::Missing, {}};
    }
    file.keep_aside = true;
    return {LoadStatus::Failed, err->message};
  }
  const std::string& bytes = std::get<std::string>(read);
  if (const auto error = engine.import_learned(bytes)) {
    file.keep_aside = true;
    return {LoadStatus::Failed, file.path + ": " + import_error_message(*error)};
  }
  file.saved = bytes;
  return {LoadStatus::Loaded, {}};
}

std::optional<std::string> save_learned(const Engine& engine, LearnedFile& file,
                                        std::string* note) {
  const std::string bytes = engine.export_learned();
  if (!file.keep_aside && bytes == file.saved) return std::nullopt;
  if (file.keep_aside) {
    const std::string aside = aside_name(file.path);
    if (std::rename(file.path.c_str(), aside.c_str()) != 0 && errno != ENOENT) {
      return "cannot move " + file.path + " aside; learned picks not saved";
    }
    file.keep_aside = false;
    if (note != nullptr) *note = "The unreadable learned file was kept as " + aside;
  }
  if (auto error = write_file_atomically(file.path, bytes)) return error;
  file.saved = bytes;
  return std::nullopt;
}

}  // namespace sorla::cli
