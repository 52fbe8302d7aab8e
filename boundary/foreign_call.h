// Calls into objects the foreign caller implements (callback interfaces):
// their handles, the call protocol with its one-shot completion slot and
// dropped notice, and how a foreign outcome becomes a result.
#pragma once

#include <expected>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "boundary/codec.h"
#include "boundary/description.h"
#include "boundary/lowering.h"
#include "platform/async/task.h"

namespace velmora::ffi {

// A callback-interface argument: an odd handle names the caller's own object
// (wrapped by `make_foreign_object`, found by argument-dependent lookup), an
// even one a library-side implementation.
template <CallbackInterfaceType T>
struct Lowering<Ref<T>> {
  using c_type = uint64_t;
  using Held = Ref<T>;
  static constexpr std::string_view c_name = "VelmoraObjectHandle";
  static uint64_t lower(Ref<T> value) noexcept { return to_handle(std::move(value)); }
  static Held hold(uint64_t raw) {
    if (raw & 1) return make_foreign_object(std::type_identity<T>{}, raw);
    return adopt_handle<T>(raw);
  }
  static Ref<T> lift(Held& held) noexcept { return std::move(held); }
};

template <CallbackInterfaceType T>
struct TypeDescription<Ref<T>> : NamedType<T, type_code::callback_interface> {};

// Both buffers of a foreign outcome, released when done with.
class ForeignOutcome {
 public:
  explicit ForeignOutcome(VelmoraForeignCallResult raw) noexcept
      : code_(raw.call_status.code), value_(raw.return_value), error_(raw.call_status.error_buf) {}
  int8_t code() const noexcept { return code_; }
  std::span<const uint8_t> value() const { return value_.bytes(); }
  std::span<const uint8_t> error() const { return error_.bytes(); }

 private:
  int8_t code_;
  IncomingBuffer value_;
  IncomingBuffer error_;
};

// Shared by the waiting call and the foreign completion; callback_data is its
// address and carries one reference.
class CompletionSlot final : public Object {
 public:
  void expect(std::shared_ptr<async::WaitSignal> signal) noexcept { signal_ = std::move(signal); }
  void fill(VelmoraForeignCallResult result) noexcept;
  std::optional<VelmoraForeignCallResult> take() noexcept;
  // The call stopped waiting: a result that came, or comes later, is released unread.
  void abandon() noexcept;

 private:
  std::mutex mutex_;
  std::optional<VelmoraForeignCallResult> result_;
  bool abandoned_ = false;
  std::shared_ptr<async::WaitSignal> signal_;
};

// The completion function handed to every foreign method.
void complete_foreign_call(uint64_t callback_data, VelmoraForeignCallResult result) noexcept;

// co_await ForeignCall(invoke) calls invoke(completion, callback_data, &dropped)
// once the wait exists, and gives the foreign outcome. The dropped notice is
// called exactly once: after the outcome arrived, or when the waiting task is
// destroyed first.
template <class Invoke>
class [[nodiscard]] ForeignCall {
 public:
  explicit ForeignCall(Invoke invoke) : invoke_(std::move(invoke)) {}
  ForeignCall(const ForeignCall&) = delete;
  ForeignCall& operator=(const ForeignCall&) = delete;
  ~ForeignCall() {
    if (started_ && !finished_) {
      slot_->abandon();
      notify_dropped();
    }
  }

  bool await_ready() const noexcept { return false; }
  template <class P>
  bool await_suspend(std::coroutine_handle<P> frame) {
    async::WaitContext* context = frame.promise().context;
    auto signal = context->new_signal();
    slot_ = make_ref<CompletionSlot>();
    slot_->expect(signal);
    dropped_ = VelmoraDroppedCallback{0, &ignore_dropped};
    Ref<CompletionSlot> carried = slot_;
    started_ = true;
    invoke_(&complete_foreign_call, to_handle(std::move(carried)), &dropped_);
    if (!signal->arm()) return false;
    context->suspended_at(frame, std::move(signal));
    return true;
  }
  ForeignOutcome await_resume() {
    finished_ = true;
    auto result = slot_->take();
    notify_dropped();
    return ForeignOutcome(*result);
  }

 private:
  static void ignore_dropped(uint64_t) {}
  void notify_dropped() noexcept {
    if (dropped_.callback != nullptr) dropped_.callback(dropped_.handle);
  }

  Invoke invoke_;
  Ref<CompletionSlot> slot_;
  VelmoraDroppedCallback dropped_{0, nullptr};
  bool started_ = false;
  bool finished_ = false;
};

// A foreign failure that is not a declared error: it ends the calling operation.
class ForeignCallFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The caller's implementation of callback interface Interface, named by an odd
// handle and called through the table that registered_table() returns. The
// library's reference is released with exactly one call of the table's free.
template <CallbackInterfaceType Interface, auto registered_table>
class ForeignObject : public Interface {
 public:
  explicit ForeignObject(uint64_t handle) noexcept : handle_(handle) {}
  ~ForeignObject() override {
    if (const auto* table = registered_table()) table->free(handle_);
  }

 protected:
  uint64_t handle() const noexcept { return handle_; }
  // The registered table; a call without one fails the calling operation.
  static const auto& table() {
    const auto* table = registered_table();
    if (table == nullptr) {
      throw ForeignCallFailure("the foreign callback table of " + std::string(info_of<Interface>.names.name) +
                               " was never set");
    }
    return *table;
  }

 private:
  uint64_t handle_;
};

// The method's value, its declared error E, or (thrown) an unexpected failure.
template <class T, class E, class DecodeValue>
std::expected<T, E> interpret_foreign(const ForeignOutcome& outcome, std::string_view method,
                                      DecodeValue decode_value) {
  switch (outcome.code()) {
    case VELMORA_CALL_SUCCESS:
      try {
        return decode_value(outcome.value());
      } catch (const DecodeError& e) {
        throw ForeignCallFailure(std::string(method) + " returned a value that could not be decoded: " + e.what());
      }
    case VELMORA_CALL_ERROR:
      try {
        return std::unexpected(decode_whole<E>(outcome.error()));
      } catch (const DecodeError& e) {
        throw ForeignCallFailure(std::string(method) + " returned an error value that could not be decoded: " +
                                 e.what());
      }
    default: {
      auto message = outcome.error();
      throw ForeignCallFailure(std::string(method) + " failed: " +
                               std::string(reinterpret_cast<const char*>(message.data()), message.size()));
    }
  }
}

}  // namespace velmora::ffi

// The registration export of a callback table, stored in the atomic STORAGE.
#define VELMORA_EXPORT_CALLBACK_TABLE(COMPONENT, LOWER, TABLE_TYPE, STORAGE)                                 \
  extern "C" VELMORA_API void bind_##COMPONENT##_fn_init_callback_vtable_##LOWER(const TABLE_TYPE* table) noexcept { \
    STORAGE.store(table, std::memory_order_release);                                                         \
  }                                                                                                          \
  VELMORA_LIST_EXPORT(bind_##COMPONENT##_fn_init_callback_vtable_##LOWER, "void",                           \
                      (std::array{::velmora::ffi::CParam{"const " #TABLE_TYPE " *", "table"}}), false, nullptr)
