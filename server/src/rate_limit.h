// At most N reports a minute from one address, counted in memory only: the
// addresses are forgotten a minute after their last report, never stored.
#pragma once

#include <chrono>
#include <deque>
#include <mutex>
#include <string>
#include <unordered_map>

namespace sorla::reports {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;

  // 0: no limit.
  explicit RateLimiter(int per_minute) : per_minute_(per_minute) {}

  // Whether `address` may report now; counts it when it may.
  bool allow(const std::string& address, Clock::time_point now = Clock::now());

 private:
  int per_minute_;
  std::mutex lock_;
  std::unordered_map<std::string, std::deque<Clock::time_point>> recent_;
  Clock::time_point last_sweep_{};
};

}  // namespace sorla::reports
