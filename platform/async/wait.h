// The one primitive every wait of an operation is built on: a one-shot signal
// that something elsewhere fires, from any thread, to end the wait.
#pragma once

#include <atomic>
#include <coroutine>
#include <memory>

namespace velmora::async {

// Whoever drives an operation: told when a wait of the operation is over.
class Waker {
 public:
  virtual ~Waker() = default;
  virtual void wake() noexcept = 0;
};

// One wait. Fired exactly once by the event it waits for; wakes the operation
// only if the operation had already suspended on it (armed), so an event that
// completes while its wait is being set up costs no wake-up at all.
class WaitSignal {
 public:
  explicit WaitSignal(std::shared_ptr<Waker> waker) noexcept : waker_(std::move(waker)) {}

  void fire() noexcept {
    if (state_.exchange(kDone, std::memory_order_acq_rel) == kArmed) waker_->wake();
  }
  // False when the signal fired already: the waiter goes on without suspending.
  bool arm() noexcept {
    int expected = kIdle;
    return state_.compare_exchange_strong(expected, kArmed, std::memory_order_acq_rel);
  }
  bool fired() const noexcept { return state_.load(std::memory_order_acquire) == kDone; }

 private:
  static constexpr int kIdle = 0, kArmed = 1, kDone = 2;
  std::atomic<int> state_{kIdle};
  std::shared_ptr<Waker> waker_;
};

// Per running operation: where it is suspended and on what. Only the thread
// that drives the operation (under its operation lock) touches it.
class WaitContext {
 public:
  explicit WaitContext(std::shared_ptr<Waker> waker) noexcept : waker_(std::move(waker)) {}

  std::shared_ptr<WaitSignal> new_signal() const { return std::make_shared<WaitSignal>(waker_); }
  const std::shared_ptr<Waker>& waker() const noexcept { return waker_; }

  void suspended_at(std::coroutine_handle<> frame, std::shared_ptr<WaitSignal> signal) noexcept {
    frame_ = frame;
    signal_ = std::move(signal);
  }
  // The suspended frame, if its wait is over (or it never waited); cleared.
  std::coroutine_handle<> take_resumable() noexcept {
    if (!frame_ || (signal_ && !signal_->fired())) return {};
    signal_.reset();
    return std::exchange(frame_, {});
  }

 private:
  std::shared_ptr<Waker> waker_;
  std::coroutine_handle<> frame_;
  std::shared_ptr<WaitSignal> signal_;
};

}  // namespace velmora::async
