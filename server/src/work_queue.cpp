#include "work_queue.h"

namespace sorla::reports {

WorkQueue::WorkQueue(std::size_t threads) {
  for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { run(); });
}

WorkQueue::~WorkQueue() {
  {
    const std::lock_guard hold(lock_);
    stopping_ = true;
  }
  work_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void WorkQueue::post(std::function<void()> job) {
  {
    const std::lock_guard hold(lock_);
    jobs_.push_back(std::move(job));
  }
  work_.notify_one();
}

void WorkQueue::wait_idle() {
  std::unique_lock hold(lock_);
  idle_.wait(hold, [this] { return jobs_.empty() && running_ == 0; });
}

void WorkQueue::run() {
  std::unique_lock hold(lock_);
  for (;;) {
    work_.wait(hold, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and nothing left
    auto job = std::move(jobs_.front());
    jobs_.pop_front();
    ++running_;
    hold.unlock();
    job();
    hold.lock();
    --running_;
    if (jobs_.empty() && running_ == 0) idle_.notify_all();
  }
}

}  // namespace sorla::reports
