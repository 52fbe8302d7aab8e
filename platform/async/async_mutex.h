// A mutual-exclusion lock for tasks: waiting for it suspends the task instead
// of blocking the thread, and it is granted in the order it was asked for.
#pragma once

#include <coroutine>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/async/task.h"

namespace velmora::async {

class AsyncMutex {
 public:
  // Holds the lock; releasing it grants the lock to the next waiter at once.
  class Guard {
   public:
    Guard() = default;
    explicit Guard(AsyncMutex* mutex) noexcept : mutex_(mutex) {}
    Guard(Guard&& other) noexcept : mutex_(std::exchange(other.mutex_, nullptr)) {}
    Guard& operator=(Guard&& other) noexcept {
      if (this != &other) {
        release();
        mutex_ = std::exchange(other.mutex_, nullptr);
      }
      return *this;
    }
    ~Guard() { release(); }
    void release() noexcept {
      if (mutex_) std::exchange(mutex_, nullptr)->unlock();
    }
    explicit operator bool() const noexcept { return mutex_ != nullptr; }

   private:
    AsyncMutex* mutex_ = nullptr;
  };

  class [[nodiscard]] LockAwaiter;
  // co_await mutex.lock() gives a Guard. A task destroyed while it waits
  // leaves the queue; one destroyed after the grant but before it ran passes
  // the lock on.
  LockAwaiter lock() noexcept;

  // Whether the lock is held or asked for (for tests and bookkeeping).
  bool idle() const;

 private:
  struct Waiter {
    Waiter* next = nullptr;
    Waiter* prev = nullptr;
    std::shared_ptr<WaitSignal> signal;
    bool granted = false;
  };
  bool try_lock_or_enqueue(Waiter* waiter);
  void unlock() noexcept;
  void abandon(Waiter* waiter) noexcept;

  mutable std::mutex mutex_;
  bool locked_ = false;
  Waiter* head_ = nullptr;
  Waiter* tail_ = nullptr;
};

class [[nodiscard]] AsyncMutex::LockAwaiter {
 public:
  explicit LockAwaiter(AsyncMutex& mutex) noexcept : mutex_(&mutex) {}
  LockAwaiter(const LockAwaiter&) = delete;
  LockAwaiter& operator=(const LockAwaiter&) = delete;
  ~LockAwaiter() {
    if (queued_ && !taken_) mutex_->abandon(&waiter_);
  }

  bool await_ready() noexcept { return mutex_->try_lock_or_enqueue(nullptr); }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> frame) {
    WaitContext* context = frame.promise().context;
    waiter_.signal = context->new_signal();
    if (mutex_->try_lock_or_enqueue(&waiter_)) return false;
    queued_ = true;
    if (!waiter_.signal->arm()) return false;  // granted meanwhile
    context->suspended_at(frame, waiter_.signal);
    return true;
  }
  Guard await_resume() noexcept {
    taken_ = true;
    return Guard(mutex_);
  }

 private:
  AsyncMutex* mutex_;
  Waiter waiter_;
  bool queued_ = false;
  bool taken_ = false;
};

inline AsyncMutex::LockAwaiter AsyncMutex::lock() noexcept { return LockAwaiter(*this); }

}  // namespace velmora::async
