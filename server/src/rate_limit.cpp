#include "rate_limit.h"

namespace sorla::reports {
namespace {

constexpr auto kWindow = std::chrono::minutes(1);

void forget_before(std::deque<RateLimiter::Clock::time_point>& times,
                   RateLimiter::Clock::time_point since) {
  while (!times.empty() && times.front() <= since) times.pop_front();
}

}  // namespace

bool RateLimiter::allow(const std::string& address, Clock::time_point now) {
  if (per_minute_ <= 0) return true;
  const std::lock_guard guard(lock_);
  // Once a minute, addresses quiet for a minute go.
  if (now - last_sweep_ >= kWindow) {
    for (auto it = recent_.begin(); it != recent_.end();) {
      forget_before(it->second, now - kWindow);
      it = it->second.empty() ? recent_.erase(it) : std::next(it);
    }
    last_sweep_ = now;
  }
  auto& times = recent_[address];
  forget_before(times, now - kWindow);
  if (times.size() >= static_cast<std::size_t>(per_minute_)) return false;
  times.push_back(now);
  return true;
}

}  // namespace sorla::reports
