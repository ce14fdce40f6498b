#include "common/uWorkPool.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace fegolin {

WorkPool::WorkPool(unsigned threads) : limit_(2 * std::max(threads, 1u)) {
  for (unsigned i = 1; i < threads; ++i) {
    threads_.emplace_back([this] { Work(); });
  }
}

WorkPool::~WorkPool() {
  {
    const std::lock_guard lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) {
    thread.join();
  }
}

bool WorkPool::Hungry() {
  const std::lock_guard lock(mutex_);
  return queue_.size() < idle_ && alive_ < limit_;
}

bool WorkPool::TrySpawn(std::function<void()> task) {
  {
    const std::lock_guard lock(mutex_);
    if (queue_.size() >= idle_ || alive_ >= limit_) {
      return false;
    }
    queue_.push_back(std::move(task));
    ++alive_;
  }
  changed_.notify_all();
  return true;
}

void WorkPool::Finished(const std::function<void()>& markDone) {
  {
    const std::lock_guard lock(mutex_);
    markDone();
    --alive_;
  }
  changed_.notify_all();
}

void WorkPool::HelpUntil(const std::function<bool()>& done) {
  std::unique_lock lock(mutex_);
  while (!done()) {
    if (!queue_.empty()) {
      auto task = std::move(queue_.front());
      queue_.pop_front();
      lock.unlock();
      task();
      lock.lock();
      continue;
    }
    changed_.wait(lock);
  }
}

void WorkPool::Work() {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    changed_.wait(lock, [this] { return stop_ || !queue_.empty(); });
    --idle_;
    if (queue_.empty()) {
      return;
    }
    auto task = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    task();
    lock.lock();
  }
}

unsigned CleanThreads() {
  if (const char* value = std::getenv("FEGOLIN_CLEAN_THREADS");
      value != nullptr && *value != '\0') {
    try {
      return static_cast<unsigned>(std::clamp(std::stoi(value), 1, 64));
    } catch (const std::logic_error&) {
      // Not a number (invalid_argument, out_of_range): the machine decides,
      // as without the variable.
    }
  }
  return std::clamp(2 * std::thread::hardware_concurrency(), 2u, 8u);
}

} // namespace fegolin
