// Test-only operations, exported from the test binaries (never from the
// library), to drive futures and foreign calls through the C functions.
#pragma once

#include <atomic>
#include <expected>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "boundary/async_export.h"
#include "platform/async/task.h"
#include "platform/async/timer.h"
#include "sdk/src/access_token_provider.h"
#include "sdk/src/error.h"
#include "sdk/src/http_client.h"
#include "sdk/src/types.h"
#include "velmora_sdk.h"

namespace velmora::testing {

// An event that tests fire by hand, from any thread.
class Gate {
 public:
  auto wait() {
    return async::WaitFor([this](std::shared_ptr<async::WaitSignal> signal) {
      std::unique_lock lock(mutex_);
      if (open_) {
        lock.unlock();
        signal->fire();
        return;
      }
      waiters_.push_back(std::move(signal));
    });
  }
  void open() {
    std::vector<std::shared_ptr<async::WaitSignal>> waiters;
    {
      std::lock_guard lock(mutex_);
      open_ = true;
      waiters.swap(waiters_);
    }
    for (auto& w : waiters) w->fire();
  }
  std::size_t waiting() const {
    std::lock_guard lock(mutex_);
    return waiters_.size();
  }

 private:
  mutable std::mutex mutex_;
  bool open_ = false;
  std::vector<std::shared_ptr<async::WaitSignal>> waiters_;
};

class TestOps final : public ffi::Object {
 public:
  static inline std::atomic<int> live{0};
  static inline std::atomic<int> steps{0};  // counts operation steps that ran
  TestOps() { ++live; }
  ~TestOps() override { --live; }

  std::shared_ptr<Gate> gate = std::make_shared<Gate>();

  async::Task<std::expected<std::string, sdk::SdkError>> echo(std::string text) const {
    ++steps;
    co_return text;
  }
  async::Task<void> finish() const {
    ++steps;
    co_return;
  }
  async::Task<std::expected<void, sdk::SdkError>> refuse(std::string operation) const {
    co_return std::unexpected(sdk::SdkError{sdk::sdk_error::Status{operation, 404, "gone"}});
  }
  // Waits for the gate, then returns value.
  async::Task<uint64_t> after_gate(uint64_t value) const {
    ++steps;
    co_await gate->wait();
    ++steps;
    co_return value;
  }
  // Wakes its own future while still running, then waits for the gate.
  async::Task<uint64_t> wake_self_then_gate(uint64_t value) const {
    async::WaitContext* context = co_await async::CurrentContext{};
    context->waker()->wake();
    co_await gate->wait();
    co_return value;
  }
  async::Task<uint64_t> pause(uint64_t millis) const {
    co_await async::sleep_for(std::chrono::milliseconds(millis));
    co_return millis;
  }
  async::Task<std::expected<sdk::HttpResponse, sdk::HttpError>> fetch(ffi::Ref<sdk::HttpClient> client,
                                                                      sdk::HttpRequest request) const {
    co_return co_await client->execute(std::move(request));
  }
  async::Task<std::expected<std::string, sdk::AccessTokenProviderError>> token(
      ffi::Ref<sdk::AccessTokenProvider> provider, bool force_refresh) const {
    co_return co_await provider->get_access_token(force_refresh);
  }
};
VELMORA_OBJECT(velmora_test, ops, TestOps, "Test-only operations.")

inline uint64_t new_ops() { return ffi::to_handle(ffi::make_ref<TestOps>()); }
inline TestOps* ops_of(uint64_t handle) { return reinterpret_cast<TestOps*>(handle); }

}  // namespace velmora::testing

// Defined in test_operations.cpp.
extern "C" {
uint64_t bind_velmora_test_fn_method_testops_echo(uint64_t self, VelmoraByteBuffer text) noexcept;
uint64_t bind_velmora_test_fn_method_testops_finish(uint64_t self) noexcept;
uint64_t bind_velmora_test_fn_method_testops_refuse(uint64_t self, VelmoraByteBuffer operation) noexcept;
uint64_t bind_velmora_test_fn_method_testops_after_gate(uint64_t self, uint64_t value) noexcept;
uint64_t bind_velmora_test_fn_method_testops_wake_self_then_gate(uint64_t self, uint64_t value) noexcept;
uint64_t bind_velmora_test_fn_method_testops_pause(uint64_t self, uint64_t millis) noexcept;
uint64_t bind_velmora_test_fn_method_testops_fetch(uint64_t self, uint64_t client, VelmoraByteBuffer request) noexcept;
uint64_t bind_velmora_test_fn_method_testops_token(uint64_t self, uint64_t provider, int8_t force_refresh) noexcept;
}
