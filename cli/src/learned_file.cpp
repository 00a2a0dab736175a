#include "learned_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "files.h"

namespace sorla::cli {
namespace {

// How long a save waits for another `sorla` to finish its save.
constexpr auto kLockWait = std::chrono::seconds(2);
constexpr auto kLockPoll = std::chrono::milliseconds(10);

std::optional<std::string> absolute_env(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return std::nullopt;
  return std::string(value);
}

class FlockLock final : public LearnedStorage::Lock {
 public:
  explicit FlockLock(int fd) : fd_(fd) {}
  FlockLock(const FlockLock&) = delete;
  FlockLock& operator=(const FlockLock&) = delete;
  ~FlockLock() override { ::close(fd_); }  // closing lets go of the lock

 private:
  int fd_;
};

}  // namespace

std::optional<std::string> default_data_path(std::string_view name) {
  if (const auto data = absolute_env("XDG_DATA_HOME")) return *data + "/sorla/" + std::string(name);
  if (const auto home = absolute_env("HOME")) {
    return *home + "/.local/share/sorla/" + std::string(name);
  }
  return std::nullopt;
}

std::optional<std::string> default_learned_path() { return default_data_path("learned.json"); }

std::string import_error_message(const ImportError& error) {
  if (error.kind == ImportError::Kind::UnsupportedVersion) {
    return "unsupported learned-data version " + std::to_string(error.version);
  }
  return "not a learned-data document";
}

StoredFile PosixStorage::read(std::uint64_t limit) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path_, ec);
  if (!ec && size > limit) return {StoredFile::State::TooLarge, {}, {}};
  auto read = read_file(path_);
  if (const auto* err = std::get_if<FileError>(&read)) {
    if (err->code == ENOENT) return {};
    return {StoredFile::State::Unreadable, {}, err->message};
  }
  return {StoredFile::State::Read, std::move(std::get<std::string>(read)), {}};
}

std::unique_ptr<LearnedStorage::Lock> PosixStorage::lock() {
  const std::filesystem::path folder = std::filesystem::path(path_).parent_path();
  std::error_code ec;
  if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  const int fd = ::open((path_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  auto held = std::make_unique<FlockLock>(fd);
  const auto until = std::chrono::steady_clock::now() + kLockWait;
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() > until) {
      return nullptr;
    }
    std::this_thread::sleep_for(kLockPoll);
  }
  return held;
}

std::optional<std::string> PosixStorage::write_then_move(std::string_view bytes) {
  return write_file_atomically(path_, std::string(bytes));
}

std::optional<std::string> PosixStorage::move_aside() {
  std::string name = path_ + ".unreadable";
  std::error_code ec;
  for (int i = 1; std::filesystem::exists(name, ec) && i < 1000; ++i) {
    name = path_ + ".unreadable." + std::to_string(i);
  }
  if (std::rename(path_.c_str(), name.c_str()) != 0) return std::nullopt;
  return name;
}

std::optional<std::string> load_message(const std::string& path, const LoadOutcome& outcome) {
  switch (outcome.result) {
    case LoadOutcome::Result::Loaded:
    case LoadOutcome::Result::Missing:
      return std::nullopt;
    case LoadOutcome::Result::Unreadable:
      return outcome.error;
    case LoadOutcome::Result::TooLarge:
      return path + ": larger than 64 MiB";
    case LoadOutcome::Result::Refused:
      return path + ": " + import_error_message(*outcome.import);
  }
  return std::nullopt;
}

}  // namespace sorla::cli
