#include "rate_limit.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>

namespace sorla::reports {

std::size_t RateLimiter::KeyHash::operator()(const Key& key) const {
  return std::hash<std::string_view>()(
      std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
}

RateLimiter::Key RateLimiter::key_of(std::string_view address) {
  Key key{};
  const std::string text(address.substr(0, 64));
  if (inet_pton(AF_INET, text.c_str(), key.data() + 12) == 1) {
    key[10] = key[11] = 0xFF;  // as an IPv4-mapped IPv6 address
    return key;
  }
  if (inet_pton(AF_INET6, text.c_str(), key.data()) == 1) {
    std::fill(key.begin() + 8, key.end(), 0);  // the /64
    return key;
  }
  // Not an address (a proxy set up wrongly): counted by the text's hash.
  const std::size_t hash = std::hash<std::string_view>()(address);
  key[0] = 0x01;  // no IPv6 address given out starts so
  std::memcpy(key.data() + 8, &hash, sizeof hash);
  return key;
}

bool RateLimiter::allow(std::string_view address, Clock::time_point now) {
  if (per_minute_ <= 0) return true;
  const Key key = key_of(address);
  const std::lock_guard guard(lock_);
  auto found = where_.find(key);
  if (found == where_.end()) {
    if (where_.size() >= capacity_) {
      where_.erase(recent_.back().key);
      recent_.pop_back();
    }
    recent_.push_front(Bucket{key, static_cast<double>(per_minute_), now});
    found = where_.emplace(key, recent_.begin()).first;
  } else {
    recent_.splice(recent_.begin(), recent_, found->second);
  }
  Bucket& bucket = *found->second;
  const double minutes = std::chrono::duration<double, std::ratio<60>>(now - bucket.last).count();
  bucket.reports =
      std::min<double>(per_minute_, bucket.reports + std::max(0.0, minutes) * per_minute_);
  bucket.last = now;
  if (bucket.reports < 1) return false;
  bucket.reports -= 1;
  return true;
}

std::size_t RateLimiter::size() const {
  const std::lock_guard guard(lock_);
  return where_.size();
}

}  // namespace sorla::reports
