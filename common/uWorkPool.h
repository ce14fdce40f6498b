#pragma once

// A few threads that share the emptying of one tree: a walk hands a
// subfolder to the pool only while a thread is free to take it, so the work
// spreads over the machine without queues of waiting folders (each holding
// open descriptors) building up. No Qt.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace fegolin {

class WorkPool {
public:
  // `threads` counts the caller's thread too: 2 starts one more thread.
  explicit WorkPool(unsigned threads);
  ~WorkPool();
  WorkPool(const WorkPool&) = delete;
  WorkPool& operator=(const WorkPool&) = delete;

  // Whether a thread is waiting for work right now; a cheap hint that
  // TrySpawn may succeed, worth asking before preparing a task.
  [[nodiscard]] bool Hungry();
  // Queues `task` when a thread is free for it: false (and `task` is not
  // run) otherwise. `task` must call Finished() as its last act.
  bool TrySpawn(std::function<void()> task);
  // Marks one spawned task as done and wakes whoever waits for it.
  void Finished(const std::function<void()>& markDone);
  // Runs queued tasks on this thread until `done` holds (asked under the
  // pool's lock, after every Finished()).
  void HelpUntil(const std::function<bool()>& done);

private:
  void Work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::function<void()>> queue_;
  std::size_t idle_ = 0;  // threads waiting in Work for a task
  std::size_t alive_ = 0; // spawned tasks not finished yet
  bool stop_ = false;
  std::size_t limit_; // of alive tasks: each holds open folders
  std::vector<std::thread> threads_;
};

// How many threads a run uses: FEGOLIN_CLEAN_THREADS when set (1 is the
// plain sequential walk), else two per processor, at most eight. On a disk
// a thread spends much of a run waiting for the file system's journal, and
// another one can use the processor meanwhile; on tmpfs the extra threads
// cost nothing measurable.
unsigned CleanThreads();

} // namespace fegolin
