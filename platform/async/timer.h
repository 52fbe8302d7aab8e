// The stand-alone timer: one process-wide thread that fires the signals of
// timed waits at their deadlines, independent of any HTTP runtime.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "platform/async/task.h"

namespace velmora::async {

using Clock = std::chrono::steady_clock;

class TimerThread {
 public:
  // The process-wide timer, started on first use and never stopped.
  static TimerThread& instance();

  // Fires signal at deadline; the ticket cancels it.
  uint64_t schedule(Clock::time_point deadline, std::shared_ptr<WaitSignal> signal);
  void cancel(Clock::time_point deadline, uint64_t ticket) noexcept;
  std::size_t pending() const;

 private:
  TimerThread();
  void run();

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::pair<Clock::time_point, uint64_t>, std::shared_ptr<WaitSignal>> deadlines_;
  uint64_t next_ticket_ = 0;
};

// The deadline `delay` from now, saturating: a far-future deadline never fires.
Clock::time_point deadline_after(std::chrono::milliseconds delay) noexcept;

// co_await sleep_until(deadline): pauses the task; destroying the task while it
// sleeps cancels the timer entry.
class [[nodiscard]] SleepAwaiter {
 public:
  explicit SleepAwaiter(Clock::time_point deadline) noexcept : deadline_(deadline) {}
  SleepAwaiter(const SleepAwaiter&) = delete;
  SleepAwaiter& operator=(const SleepAwaiter&) = delete;
  ~SleepAwaiter() {
    if (scheduled_) TimerThread::instance().cancel(deadline_, ticket_);
  }

  bool await_ready() const noexcept { return Clock::now() >= deadline_; }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> frame) {
    WaitContext* context = frame.promise().context;
    auto signal = context->new_signal();
    ticket_ = TimerThread::instance().schedule(deadline_, signal);
    scheduled_ = true;
    if (!signal->arm()) return false;
    context->suspended_at(frame, std::move(signal));
    return true;
  }
  void await_resume() const noexcept {}

 private:
  Clock::time_point deadline_;
  uint64_t ticket_ = 0;
  bool scheduled_ = false;
};

inline SleepAwaiter sleep_until(Clock::time_point deadline) noexcept { return SleepAwaiter(deadline); }
inline SleepAwaiter sleep_for(std::chrono::milliseconds delay) noexcept { return SleepAwaiter(deadline_after(delay)); }

}  // namespace velmora::async
