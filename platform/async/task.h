// Task<T>: a lazily started coroutine. Awaiting a task runs it to its end with
// symmetric transfer; the root task of an operation is resumed only by the
// thread that drives the operation, never by the threads that wake it.
#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <utility>

#include "platform/async/wait.h"

namespace velmora::async {

class PromiseBase {
 public:
  WaitContext* context = nullptr;  // set on the root, passed down to awaited tasks
  std::coroutine_handle<> continuation;

  std::suspend_always initial_suspend() noexcept { return {}; }
  struct FinalAwaiter {
    bool await_ready() noexcept { return false; }
    template <class P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> done) noexcept {
      auto next = done.promise().continuation;
      return next ? next : std::noop_coroutine();
    }
    void await_resume() noexcept {}
  };
  FinalAwaiter final_suspend() noexcept { return {}; }
  void unhandled_exception() noexcept { failure_ = std::current_exception(); }

 protected:
  void rethrow_failure() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::exception_ptr failure_;
};

template <class T>
class ReturnSlot : public PromiseBase {
 public:
  template <class U>
  void return_value(U&& v) {
    value_.emplace(std::forward<U>(v));
  }
  T take() {
    rethrow_failure();
    return std::move(*value_);
  }

 private:
  std::optional<T> value_;
};

template <>
class ReturnSlot<void> : public PromiseBase {
 public:
  void return_void() noexcept {}
  void take() const { rethrow_failure(); }
};

template <class T>
class [[nodiscard]] Task {
 public:
  using value_type = T;
  struct promise_type : ReturnSlot<T> {
    Task get_return_object() noexcept { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
  };

  Task() = default;
  Task(Task&& other) noexcept : frame_(std::exchange(other.frame_, {})) {}
  Task& operator=(Task&& other) noexcept {
    if (this != &other) {
      destroy();
      frame_ = std::exchange(other.frame_, {});
    }
    return *this;
  }
  ~Task() { destroy(); }

  struct Awaiter {
    std::coroutine_handle<promise_type> child;
    bool await_ready() noexcept { return false; }
    template <class P>
    std::coroutine_handle<> await_suspend(std::coroutine_handle<P> parent) noexcept {
      child.promise().context = parent.promise().context;
      child.promise().continuation = parent;
      return child;
    }
    T await_resume() { return child.promise().take(); }
  };
  Awaiter operator co_await() && noexcept { return Awaiter{frame_}; }

  // For the driver of a root task.
  std::coroutine_handle<promise_type> frame() const noexcept { return frame_; }
  T take() { return frame_.promise().take(); }

 private:
  explicit Task(std::coroutine_handle<promise_type> frame) noexcept : frame_(frame) {}
  void destroy() {
    if (frame_) std::exchange(frame_, {}).destroy();
  }
  std::coroutine_handle<promise_type> frame_;
};

// Suspends the awaiting task until an event fires its signal. `start(signal)`
// is called once the wait exists and starts the event; the event may fire the
// signal before start returns, on any thread.
template <class Start>
class WaitFor {
 public:
  explicit WaitFor(Start start) : start_(std::move(start)) {}
  bool await_ready() const noexcept { return false; }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> frame) {
    WaitContext* context = frame.promise().context;
    auto signal = context->new_signal();
    start_(signal);
    if (!signal->arm()) return false;  // finished while being started
    context->suspended_at(frame, std::move(signal));
    return true;
  }
  void await_resume() const noexcept {}

 private:
  Start start_;
};

// A task's own context, for waits that need the operation's waker.
struct CurrentContext {
  WaitContext* context = nullptr;
  bool await_ready() const noexcept { return false; }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> frame) noexcept {
    context = frame.promise().context;
    return false;
  }
  WaitContext* await_resume() const noexcept { return context; }
};

}  // namespace velmora::async
