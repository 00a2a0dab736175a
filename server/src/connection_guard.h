// Deadlines and room for the HTTP layer's connections. The library closes a
// connection only after a silence; this closes one that has not brought a
// request's headers within a deadline (new, kept alive between requests, or
// sending a byte now and then), or its body within another, and makes room
// when connections run short by closing those waiting longest for a request.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace sorla::reports {

class ConnectionGuard {
 public:
  using Clock = std::chrono::steady_clock;
  struct Limits {
    std::size_t connections = 1024;  // the most open at once
    Clock::duration header_deadline = std::chrono::seconds(5);
    Clock::duration request_deadline = std::chrono::seconds(10);  // after the headers
  };

  // Starts a thread that checks the deadlines four times a second.
  explicit ConnectionGuard(Limits limits);
  ~ConnectionGuard();
  ConnectionGuard(const ConnectionGuard&) = delete;
  ConnectionGuard& operator=(const ConnectionGuard&) = delete;

  // From the network threads, keyed by the library's connection. A new
  // connection waits for its first request; when connections run short,
  // the ones that have waited longest for a request are closed.
  void opened(const void* connection, int fd);
  // The request's headers are in: the request deadline runs.
  void reading(const void* connection);
  // The request is with its handler, or its answer on its way: no deadline
  // of ours (the handler keeps its own, the library times out silence).
  void working(const void* connection);
  // The answer went out: the connection waits for its next request.
  void waiting(const void* connection);
  void closed(const void* connection);

  // Closes, by shutting the socket down under the library, every connection
  // past its deadline.
  void sweep(Clock::time_point now);
  std::size_t open() const;

 private:
  enum class Phase { Waiting, Reading, Working };
  struct Entry {
    int fd;
    Phase phase;
    Clock::time_point since;
    bool cut = false;  // shut down; gone once the library closes it
  };
  void set(const void* connection, Phase phase);
  void cut(Entry& entry);
  void make_room(Clock::time_point now);

  Limits limits_;
  mutable std::mutex lock_;
  std::unordered_map<const void*, Entry> entries_;
  std::size_t live_ = 0;  // entries not cut
  std::condition_variable stop_;
  bool stopping_ = false;
  std::thread watch_;
};

}  // namespace sorla::reports
