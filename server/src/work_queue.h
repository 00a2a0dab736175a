// Threads that run the requests that may wait (on the database), so that
// the threads that read and write the network never wait.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sorla::reports {

class WorkQueue {
 public:
  explicit WorkQueue(std::size_t threads);
  // Runs what is queued, then joins the threads.
  ~WorkQueue();
  WorkQueue(const WorkQueue&) = delete;
  WorkQueue& operator=(const WorkQueue&) = delete;

  void post(std::function<void()> job);
  // Returns once nothing is queued or running.
  void wait_idle();

 private:
  void run();

  std::mutex lock_;
  std::condition_variable work_, idle_;
  std::deque<std::function<void()>> jobs_;
  std::size_t running_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace sorla::reports
