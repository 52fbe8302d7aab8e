#include "platform/async/async_mutex.h"

namespace velmora::async {

bool AsyncMutex::try_lock_or_enqueue(Waiter* waiter) {
  std::lock_guard lock(mutex_);
  if (!locked_) {
    locked_ = true;
    return true;
  }
  if (waiter != nullptr) {
    waiter->prev = tail_;
    (tail_ ? tail_->next : head_) = waiter;
    tail_ = waiter;
  }
  return false;
}

void AsyncMutex::unlock() noexcept {
  std::shared_ptr<WaitSignal> next;
  {
    std::lock_guard lock(mutex_);
    Waiter* w = head_;
    if (w == nullptr) {
      locked_ = false;
      return;
    }
    head_ = w->next;
    (head_ ? head_->prev : tail_) = nullptr;
    w->next = w->prev = nullptr;
    w->granted = true;  // the lock now belongs to w
    next = w->signal;
  }
  next->fire();
}

void AsyncMutex::abandon(Waiter* waiter) noexcept {
  bool pass_on = false;
  {
    std::lock_guard lock(mutex_);
    if (waiter->granted) {
      pass_on = true;
    } else {
      (waiter->prev ? waiter->prev->next : head_) = waiter->next;
      (waiter->next ? waiter->next->prev : tail_) = waiter->prev;
    }
  }
  if (pass_on) unlock();
}

bool AsyncMutex::idle() const {
  std::lock_guard lock(mutex_);
  return !locked_ && head_ == nullptr;
}

}  // namespace velmora::async
