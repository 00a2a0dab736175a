// At most N reports a minute from one address, counted in memory only: a
// bucket of N reports per address that refills over a minute. The table
// has a fixed size: when it is full, the address heard from least recently
// is forgotten (and would start again with a full bucket). Addresses are
// never stored; an IPv6 address counts by its /64, what one subscriber
// usually gets.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <list>
#include <mutex>
#include <string_view>
#include <unordered_map>

namespace sorla::reports {

class RateLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  // About 7 MB when full.
  static constexpr std::size_t kAddresses = 65536;

  // 0: no limit.
  explicit RateLimiter(int per_minute, std::size_t addresses = kAddresses)
      : per_minute_(per_minute), capacity_(addresses) {}

  // Whether `address` may report now; counts it when it may.
  bool allow(std::string_view address, Clock::time_point now = Clock::now());
  // How many addresses are counted just now.
  std::size_t size() const;

 private:
  using Key = std::array<std::uint8_t, 16>;
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct Bucket {
    Key key;
    double reports;  // left to send
    Clock::time_point last;
  };
  static Key key_of(std::string_view address);

  int per_minute_;
  std::size_t capacity_;
  mutable std::mutex lock_;
  std::list<Bucket> recent_;  // most recently heard from first
  std::unordered_map<Key, std::list<Bucket>::iterator, KeyHash> where_;
};

}  // namespace sorla::reports
