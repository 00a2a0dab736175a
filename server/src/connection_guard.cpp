#include "connection_guard.h"

#include <sys/socket.h>

#include <algorithm>
#include <vector>

namespace sorla::reports {

ConnectionGuard::ConnectionGuard(Limits limits) : limits_(limits) {
  watch_ = std::thread([this] {
    std::unique_lock hold(lock_);
    while (!stop_.wait_for(hold, std::chrono::milliseconds(250), [this] { return stopping_; })) {
      hold.unlock();
      sweep(Clock::now());
      hold.lock();
    }
  });
}

ConnectionGuard::~ConnectionGuard() {
  {
    const std::lock_guard hold(lock_);
    stopping_ = true;
  }
  stop_.notify_all();
  watch_.join();
}

void ConnectionGuard::opened(const void* connection, int fd) {
  const auto now = Clock::now();
  const std::lock_guard hold(lock_);
  entries_[connection] = Entry{fd, Phase::Waiting, now};
  ++live_;
  make_room(now);
}

void ConnectionGuard::reading(const void* connection) { set(connection, Phase::Reading); }
void ConnectionGuard::working(const void* connection) { set(connection, Phase::Working); }
void ConnectionGuard::waiting(const void* connection) { set(connection, Phase::Waiting); }

void ConnectionGuard::set(const void* connection, Phase phase) {
  const auto now = Clock::now();
  const std::lock_guard hold(lock_);
  if (const auto found = entries_.find(connection); found != entries_.end()) {
    found->second.phase = phase;
    found->second.since = now;
  }
}

void ConnectionGuard::closed(const void* connection) {
  const std::lock_guard hold(lock_);
  if (const auto found = entries_.find(connection); found != entries_.end()) {
    live_ -= found->second.cut ? 0 : 1;
    entries_.erase(found);
  }
}

// The library closes the socket only after it has told closed(), which takes
// the same lock: a socket shut down here is always still this connection's.
void ConnectionGuard::cut(Entry& entry) {
  if (entry.cut) return;
  ::shutdown(entry.fd, SHUT_RDWR);
  entry.cut = true;
  --live_;
}

void ConnectionGuard::sweep(Clock::time_point now) {
  const std::lock_guard hold(lock_);
  for (auto& [connection, entry] : entries_) {
    const auto waited = now - entry.since;
    if ((entry.phase == Phase::Waiting && waited > limits_.header_deadline) ||
        (entry.phase == Phase::Reading && waited > limits_.request_deadline)) {
      cut(entry);
    }
  }
}

// Past seven eighths of the connections, those waiting longest for a
// request go, down to three quarters: a new client always finds room
// while idle and slow ones come and go. Rare, so a sort will do.
void ConnectionGuard::make_room(Clock::time_point now) {
  if (live_ * 8 <= limits_.connections * 7) return;
  std::vector<Entry*> idle;
  for (auto& [connection, entry] : entries_) {
    if (!entry.cut && entry.phase == Phase::Waiting && entry.since < now) idle.push_back(&entry);
  }
  const std::size_t goal = limits_.connections * 3 / 4;
  const std::size_t go = std::min(idle.size(), live_ > goal ? live_ - goal : 0);
  std::partial_sort(idle.begin(), idle.begin() + static_cast<std::ptrdiff_t>(go), idle.end(),
                    [](const Entry* a, const Entry* b) { return a->since < b->since; });
  for (std::size_t i = 0; i < go; ++i) cut(*idle[i]);
}

std::size_t ConnectionGuard::open() const {
  const std::lock_guard hold(lock_);
  return live_;
}

}  // namespace sorla::reports
