// A learned or words file kept in memory, with a lock that one holder at a
// time gets and a write that can be made to fail.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sorla/learned_sync.h"

namespace sorla {

struct MemoryStorage final : LearnedStorage {
  StoredFile file;  // what "disk" holds
  std::vector<std::string> aside;
  bool locked = false, fail_write = false;

  struct Held final : Lock {
    explicit Held(bool& flag) : flag_(flag) { flag_ = true; }
    ~Held() override { flag_ = false; }
    bool& flag_;
  };

  StoredFile read(std::uint64_t limit) override {
    if (file.state == StoredFile::State::Read && file.bytes.size() > limit) {
      return {StoredFile::State::TooLarge, {}, {}};
    }
    return file;
  }
  std::unique_ptr<Lock> lock() override {
    if (locked) return nullptr;
    return std::make_unique<Held>(locked);
  }
  std::optional<std::string> write_then_move(std::string_view bytes) override {
    if (fail_write) return "disk full";
    file = {StoredFile::State::Read, std::string(bytes), {}};
    return std::nullopt;
  }
  std::optional<std::string> move_aside() override {
    aside.push_back(file.bytes);
    file = {};
    return "aside-" + std::to_string(aside.size());
  }
  std::uint64_t cleared = 0;  // the clear count kept beside the file
  std::uint64_t clears() override { return cleared; }
  // Counted only under the lock.
  bool count_clear() override {
    if (!locked) return false;
    ++cleared;
    return true;
  }
};

}  // namespace sorla
