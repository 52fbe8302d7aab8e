#include "platform/async/timer.h"

#include <thread>
#include <vector>

namespace velmora::async {

TimerThread& TimerThread::instance() {
  // Never destroyed: the thread may still wait on it while the process exits.
  static TimerThread* timer = new TimerThread();
  return *timer;
}

TimerThread::TimerThread() {
  std::thread([this] { run(); }).detach();
}

uint64_t TimerThread::schedule(Clock::time_point deadline, std::shared_ptr<WaitSignal> signal) {
  std::lock_guard lock(mutex_);
  uint64_t ticket = next_ticket_++;
  bool earliest = deadlines_.empty() || deadline < deadlines_.begin()->first.first;
  deadlines_.emplace(std::pair{deadline, ticket}, std::move(signal));
  if (earliest) changed_.notify_one();
  return ticket;
}

void TimerThread::cancel(Clock::time_point deadline, uint64_t ticket) noexcept {
  std::lock_guard lock(mutex_);
  deadlines_.erase(std::pair{deadline, ticket});
}

std::size_t TimerThread::pending() const {
  std::lock_guard lock(mutex_);
  return deadlines_.size();
}

void TimerThread::run() {
  std::vector<std::shared_ptr<WaitSignal>> due;
  std::unique_lock lock(mutex_);
  for (;;) {
    if (deadlines_.empty()) {
      changed_.wait(lock);
      continue;
    }
    auto now = Clock::now();
    while (!deadlines_.empty() && deadlines_.begin()->first.first <= now) {
      due.push_back(std::move(deadlines_.begin()->second));
      deadlines_.erase(deadlines_.begin());
    }
    if (!due.empty()) {
      lock.unlock();
      for (auto& signal : due) signal->fire();  // wakes run here, outside the lock
      due.clear();
      lock.lock();
      continue;
    }
    changed_.wait_until(lock, deadlines_.begin()->first.first);
  }
}

Clock::time_point deadline_after(std::chrono::milliseconds delay) noexcept {
  auto now = Clock::now();
  auto room = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::time_point::max() - now);
  return delay >= room ? Clock::time_point::max() : now + delay;
}

}  // namespace velmora::async
