// The exported future: the operation, its result slot and the scheduler that
// tells the foreign caller when polling is worth it.
//
// Poll runs the operation on the polling thread until it finishes or must
// wait; the thread that ends a wait only wakes the scheduler, which calls the
// foreign continuation. The operation lock guards the operation and the result
// slot; the scheduler lock guards the continuation.
#pragma once

#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <type_traits>
#include <variant>

#include "boundary/export.h"
#include "boundary/object.h"
#include "platform/async/task.h"

namespace velmora::ffi {

using ContinuationCallback = VelmoraContinuationCallback;

class Scheduler final : public async::Waker {
 public:
  void wake() noexcept override;
  // Stores the continuation of a poll that must wait (or answers it at once).
  void store(ContinuationCallback callback, uint64_t data) noexcept;
  void cancel() noexcept;
  bool cancelled() const noexcept;

 private:
  enum class State { Empty, Waked, Cancelled, Set };
  mutable std::mutex mutex_;
  State state_ = State::Empty;
  ContinuationCallback callback_ = nullptr;
  uint64_t data_ = 0;
};

class FutureBase {
 public:
  FutureBase(const FutureBase&) = delete;
  FutureBase& operator=(const FutureBase&) = delete;
  virtual ~FutureBase() = default;

  void poll(ContinuationCallback callback, uint64_t data) noexcept;
  void cancel() noexcept { scheduler_->cancel(); }
  // Cancels, drops the operation and any result never collected, and deletes.
  void free() noexcept;

 protected:
  FutureBase() = default;
  // Under the operation lock.
  virtual void run() noexcept = 0;
  virtual bool finished() const noexcept = 0;  // a result is stored, or the operation is gone
  virtual void drop() noexcept = 0;            // the operation and any stored result

  std::mutex operation_mutex_;
  std::shared_ptr<Scheduler> scheduler_ = std::make_shared<Scheduler>();
  async::WaitContext context_{scheduler_};
};

// A future whose complete returns C.
template <class C>
class FutureOf : public FutureBase {
 public:
  virtual C complete(CallStatus* status) noexcept = 0;
};

void report_cancelled(CallStatus* status) noexcept;

// The future of an operation returning R (a value, std::expected<T, E>, or void).
template <class R>
class OperationFuture final : public FutureOf<c_result_of_t<R>> {
  using CResult = c_result_of_t<R>;
  struct Done {};
  using Value = std::conditional_t<std::is_void_v<R>, Done, R>;

 public:
  OperationFuture(async::Task<R> task, Ref<Object> receiver) noexcept
      : task_(std::move(task)), receiver_(std::move(receiver)) {
    task_->frame().promise().context = &this->context_;
    this->context_.suspended_at(task_->frame(), nullptr);
  }
  // A call that failed before its operation existed (an argument that could not be lifted).
  explicit OperationFuture(std::exception_ptr failure) noexcept : outcome_(std::move(failure)) {}

  CResult complete(CallStatus* status) noexcept override {
    std::unique_lock lock(this->operation_mutex_);
    auto outcome = std::exchange(outcome_, std::monostate{});
    drop_operation();
    lock.unlock();
    try {
      if (auto* value = std::get_if<Value>(&outcome)) {
        if constexpr (std::is_void_v<R>) return;
        else return lower_result(std::move(*value), status);
      }
      if (auto* failure = std::get_if<std::exception_ptr>(&outcome)) std::rethrow_exception(*failure);
      report_cancelled(status);
    } catch (...) {
      fail_with_current_exception(status);
    }
    if constexpr (!std::is_void_v<CResult>) return {};
  }

 private:
  void run() noexcept override {
    if (!task_ || !std::holds_alternative<std::monostate>(outcome_)) return;
    try {
      while (auto frame = this->context_.take_resumable()) {
        frame.resume();
        if (task_->frame().done()) {
          if constexpr (std::is_void_v<R>) {
            task_->take();
            outcome_.template emplace<Done>();
          } else {
            outcome_.template emplace<Value>(task_->take());
          }
          break;
        }
      }
    } catch (...) {
      outcome_ = std::current_exception();
    }
    if (!std::holds_alternative<std::monostate>(outcome_)) drop_operation();  // release what it held at once
  }
  bool finished() const noexcept override { return !task_ || !std::holds_alternative<std::monostate>(outcome_); }
  void drop() noexcept override {
    drop_operation();
    outcome_ = std::monostate{};
  }
  void drop_operation() noexcept {
    task_.reset();  // the frame first: it may point into the receiver
    receiver_ = {};
  }

  std::optional<async::Task<R>> task_;
  Ref<Object> receiver_;
  std::variant<std::monostate, Value, std::exception_ptr> outcome_;
};

template <class R>
uint64_t to_future_handle(OperationFuture<R>* future) noexcept {
  return reinterpret_cast<uint64_t>(static_cast<FutureBase*>(future));
}

inline FutureBase* future_from_handle(uint64_t handle) noexcept { return reinterpret_cast<FutureBase*>(handle); }

}  // namespace velmora::ffi
