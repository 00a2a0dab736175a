#include "learned_file/sandbox_storage.h"

#include <mutex>
#include <optional>
#include <string>
#include <variant>

#include "sorla/learn.h"

namespace sorla::learned_file {
namespace {

// Several UI threads of one application may save at once.
std::mutex g_save_mutex;
std::mutex g_bytes_mutex;
std::optional<std::string> g_bytes;  // none until the process's first save

class HeldMutex final : public LearnedStorage::Lock {
 public:
  HeldMutex() : lock_(g_save_mutex) {}

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace

StoredFile SandboxStorage::read(std::uint64_t limit) {
  const std::lock_guard<std::mutex> guard(g_bytes_mutex);
  if (!g_bytes) return {};
  if (g_bytes->size() > limit) return {StoredFile::State::TooLarge, {}, {}};
  return {StoredFile::State::Read, *g_bytes, {}};
}

std::unique_ptr<LearnedStorage::Lock> SandboxStorage::lock() {
  return std::make_unique<HeldMutex>();
}

std::optional<std::string> SandboxStorage::write_then_move(std::string_view bytes) {
  const std::lock_guard<std::mutex> guard(g_bytes_mutex);
  g_bytes = std::string(bytes);
  return std::nullopt;
}

// What this process holds can always be imported: nothing to set aside.
std::optional<std::string> SandboxStorage::move_aside() { return std::nullopt; }

void seed_process_picks(const StoredFile& file) {
  if (file.state != StoredFile::State::Read ||
      !std::holds_alternative<LearnedStore>(LearnedStore::import_json(file.bytes))) {
    return;
  }
  const std::lock_guard<std::mutex> guard(g_bytes_mutex);
  if (!g_bytes) g_bytes = file.bytes;
}

void forget_process_picks() {
  const std::lock_guard<std::mutex> guard(g_bytes_mutex);
  g_bytes.reset();
}

}  // namespace sorla::learned_file
