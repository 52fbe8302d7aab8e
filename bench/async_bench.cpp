// The cost of a whole future cycle and of a wake round trip.
//
//   build/bench/velmora_async_bench          (make bench)
#include <benchmark/benchmark.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "boundary/async_export.h"
#include "platform/async/task.h"
#include "velmora_sdk.h"

namespace velmora::bench {

class Gate {
 public:
  auto wait() {
    return async::WaitFor([this](std::shared_ptr<async::WaitSignal> signal) {
      std::lock_guard lock(mutex_);
      waiter_ = std::move(signal);
      armed_.notify_one();
    });
  }
  // From another thread: waits until the operation waits, then fires.
  void open_when_waiting() {
    std::shared_ptr<async::WaitSignal> signal;
    {
      std::unique_lock lock(mutex_);
      armed_.wait(lock, [&] { return waiter_ != nullptr; });
      signal = std::exchange(waiter_, nullptr);
    }
    signal->fire();
  }

 private:
  std::mutex mutex_;
  std::condition_variable armed_;
  std::shared_ptr<async::WaitSignal> waiter_;
};

class BenchOps final : public ffi::Object {
 public:
  Gate gate;
  async::Task<uint64_t> immediate(uint64_t value) const { co_return value + 1; }
  async::Task<uint64_t> gated(uint64_t value) const {
    co_await const_cast<Gate&>(gate).wait();
    co_return value;
  }
};
VELMORA_OBJECT(velmora_bench, ops, BenchOps, "Benchmark-only operations.")
VELMORA_EXPORT_ASYNC_METHOD(velmora_bench, BenchOps, benchops, immediate, "", "value")
VELMORA_EXPORT_ASYNC_METHOD(velmora_bench, BenchOps, benchops, gated, "", "value")

namespace {

struct Signal {
  std::mutex mutex;
  std::condition_variable cv;
  int8_t last = -1;
  static void record(uint64_t data, int8_t result) {
    auto* self = reinterpret_cast<Signal*>(data);
    {
      std::lock_guard lock(self->mutex);
      self->last = result;
    }
    self->cv.notify_one();
  }
  // The next continuation: Wake, or Ready when the wait ended before it began.
  int8_t next() {
    std::unique_lock lock(mutex);
    cv.wait(lock, [&] { return last != -1; });
    return std::exchange(last, -1);
  }
};

void ignore(uint64_t, int8_t) {}

// start, poll (Ready at once), complete, free
void FutureCycle(benchmark::State& state) {
  auto ops = ffi::make_ref<BenchOps>();
  VelmoraCallStatus status{};
  uint64_t sum = 0;
  for (auto _ : state) {
    ffi::Ref<BenchOps> receiver = ops;
    uint64_t f = bind_velmora_bench_fn_method_benchops_immediate(ffi::to_handle(std::move(receiver)), 41);
    ffi_velmora_sdk_future_poll_u64(f, &ignore, 0);
    sum += ffi_velmora_sdk_future_complete_u64(f, &status);
    ffi_velmora_sdk_future_free_u64(f);
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(FutureCycle);

// The operation waits; another thread ends the wait; the continuation comes
// back with Wake; the second poll finishes it.
void WakeRoundTrip(benchmark::State& state) {
  auto ops = ffi::make_ref<BenchOps>();
  std::atomic<bool> stop{false};
  std::atomic<int> pending{0};
  std::mutex m;
  std::condition_variable cv;
  std::thread opener([&] {
    for (;;) {
      {
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return pending > 0 || stop; });
        if (stop && pending == 0) return;
        --pending;
      }
      ops->gate.open_when_waiting();
    }
  });
  Signal signal;
  VelmoraCallStatus status{};
  for (auto _ : state) {
    ffi::Ref<BenchOps> receiver = ops;
    uint64_t f = bind_velmora_bench_fn_method_benchops_gated(ffi::to_handle(std::move(receiver)), 7);
    {
      std::lock_guard lock(m);
      ++pending;
    }
    cv.notify_one();
    ffi_velmora_sdk_future_poll_u64(f, &Signal::record, reinterpret_cast<uint64_t>(&signal));
    if (signal.next() == VELMORA_POLL_WAKE) ffi_velmora_sdk_future_poll_u64(f, &ignore, 0);
    benchmark::DoNotOptimize(ffi_velmora_sdk_future_complete_u64(f, &status));
    ffi_velmora_sdk_future_free_u64(f);
  }
  {
    std::lock_guard lock(m);
    stop = true;
  }
  cv.notify_one();
  opener.join();
}
BENCHMARK(WakeRoundTrip)->UseRealTime();

}  // namespace
}  // namespace velmora::bench

BENCHMARK_MAIN();
