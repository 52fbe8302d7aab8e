#include "boundary/future.h"

namespace velmora::ffi {

void Scheduler::wake() noexcept {
  std::unique_lock lock(mutex_);
  switch (state_) {
    case State::Set: {
      auto callback = std::exchange(callback_, nullptr);
      uint64_t data = data_;
      state_ = State::Empty;
      lock.unlock();
      callback(data, VELMORA_POLL_WAKE);
      return;
    }
    case State::Empty:
      state_ = State::Waked;
      return;
    case State::Waked:
    case State::Cancelled:
      return;
  }
}

void Scheduler::store(ContinuationCallback callback, uint64_t data) noexcept {
  std::unique_lock lock(mutex_);
  switch (state_) {
    case State::Empty:
      state_ = State::Set;
      callback_ = callback;
      data_ = data;
      return;
    case State::Waked:
      state_ = State::Empty;
      lock.unlock();
      callback(data, VELMORA_POLL_WAKE);
      return;
    case State::Cancelled:
      lock.unlock();
      callback(data, VELMORA_POLL_READY);
      return;
    case State::Set: {
      // Two polls overlapped: the earlier one is answered so it is not lost.
      auto previous = std::exchange(callback_, callback);
      auto previous_data = std::exchange(data_, data);
      lock.unlock();
      previous(previous_data, VELMORA_POLL_READY);
      return;
    }
  }
}

void Scheduler::cancel() noexcept {
  std::unique_lock lock(mutex_);
  auto previous = std::exchange(state_, State::Cancelled);
  if (previous == State::Set) {
    auto callback = std::exchange(callback_, nullptr);
    uint64_t data = data_;
    lock.unlock();
    callback(data, VELMORA_POLL_READY);
  }
}

bool Scheduler::cancelled() const noexcept {
  std::lock_guard lock(mutex_);
  return state_ == State::Cancelled;
}

void FutureBase::poll(ContinuationCallback callback, uint64_t data) noexcept {
  if (scheduler_->cancelled()) {
    callback(data, VELMORA_POLL_READY);
    return;
  }
  bool ready;
  {
    std::lock_guard lock(operation_mutex_);
    run();
    ready = finished();
  }
  if (ready) {
    callback(data, VELMORA_POLL_READY);
    return;
  }
  scheduler_->store(callback, data);
}

void FutureBase::free() noexcept {
  cancel();
  {
    std::lock_guard lock(operation_mutex_);
    drop();
  }
  delete this;
}

void report_cancelled(CallStatus* status) noexcept {
  status->code = VELMORA_CALL_CANCELLED;
  status->error_buf = ByteBuffer{0, 0, nullptr};
}

}  // namespace velmora::ffi
