// Many futures in flight at once, polled from two threads while wakes arrive
// from the timer thread and from worker threads. Run under ThreadSanitizer
// with `make tsan`.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <random>
#include <thread>

#include "test_operations.h"

namespace velmora::testing {
namespace {

constexpr int kFutures = 10'000;

// A queue of (future index, poll result) that the continuations feed.
class Inbox {
 public:
  void push(uint64_t index, int8_t result) {
    {
      std::lock_guard lock(mutex_);
      items_.emplace_back(index, result);
    }
    ready_.notify_one();
  }
  bool pop(std::pair<uint64_t, int8_t>& item, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!ready_.wait_for(lock, timeout, [&] { return !items_.empty(); })) return false;
    item = items_.front();
    items_.pop_front();
    return true;
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::pair<uint64_t, int8_t>> items_;
};

// The caller's HttpClient: completions are handed to worker threads.
struct PendingCalls {
  static inline std::mutex mutex;
  static inline std::deque<std::pair<VelmoraForeignCompletionCallback, uint64_t>> calls;
  static inline std::atomic<int> frees{0};
  static void free(uint64_t) { ++frees; }
  static uint64_t clone(uint64_t h) { return h; }
  static void execute(uint64_t, VelmoraByteBuffer request, VelmoraForeignCompletionCallback completion, uint64_t data,
                      VelmoraDroppedCallback*) {
    ffi::buffer_release(request);
    std::lock_guard lock(mutex);
    calls.emplace_back(completion, data);
  }
};
const VelmoraHttpClientCallbackTable kTable{&PendingCalls::free, &PendingCalls::clone, &PendingCalls::execute};

enum class Kind { Timer, Gate, Foreign };

struct Entry {
  Kind kind;
  uint64_t future;
  uint64_t expected;
  std::shared_ptr<Gate> gate;
  std::atomic<int> completions{0};
};

Inbox* inbox = nullptr;
void continuation(uint64_t index, int8_t result) { inbox->push(index, result); }

TEST(Stress, TenThousandFuturesEachCompleteExactlyOnce) {
  bind_velmora_sdk_fn_init_callback_vtable_httpclient(&kTable);
  TestOps::live = 0;
  PendingCalls::frees = 0;
  Inbox box;
  inbox = &box;
  std::vector<Entry> entries(kFutures);
  std::mt19937 random(42);
  for (int i = 0; i < kFutures; ++i) {
    Entry& e = entries[i];
    e.kind = static_cast<Kind>(i % 3);
    uint64_t ops = new_ops();
    switch (e.kind) {
      case Kind::Timer:
        e.expected = random() % 5;
        e.future = bind_velmora_test_fn_method_testops_pause(ops, e.expected);
        break;
      case Kind::Gate:
        e.expected = i;
        e.gate = ops_of(ops)->gate;
        e.future = bind_velmora_test_fn_method_testops_after_gate(ops, e.expected);
        break;
      case Kind::Foreign: {
        e.expected = 200;
        sdk::HttpRequest request{"GET", "https://gw.example/" + std::to_string(i), {}, {}, {}, {}};
        e.future = bind_velmora_test_fn_method_testops_fetch(ops, 2 * i + 1, ffi::encode_to_buffer(request));
        break;
      }
    }
  }
  for (int i = 0; i < kFutures; ++i) box.push(i, VELMORA_POLL_WAKE);

  std::atomic<int> done{0};
  std::atomic<bool> stalled{false};
  auto poller = [&] {
    std::pair<uint64_t, int8_t> item;
    while (done < kFutures) {
      if (!box.pop(item, std::chrono::milliseconds(100))) continue;
      Entry& e = entries[item.first];
      if (item.second == VELMORA_POLL_WAKE) {
        if (e.kind == Kind::Foreign) {
          ffi_velmora_sdk_future_poll_buffer(e.future, &continuation, item.first);
        } else {
          ffi_velmora_sdk_future_poll_u64(e.future, &continuation, item.first);
        }
        continue;
      }
      VelmoraCallStatus status{};
      if (e.kind == Kind::Foreign) {
        ffi::ByteBuffer out = ffi_velmora_sdk_future_complete_buffer(e.future, &status);
        auto response = ffi::decode_whole<sdk::HttpResponse>(ffi::buffer_bytes(out));
        ffi::buffer_release(out);
        EXPECT_EQ(response.status, e.expected);
        ffi_velmora_sdk_future_free_buffer(e.future);
      } else {
        EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(e.future, &status), e.expected);
        ffi_velmora_sdk_future_free_u64(e.future);
      }
      EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
      ++e.completions;
      ++done;
    }
  };
  auto worker = [&](int offset) {
    std::mt19937 local(offset);
    for (int i = offset; i < kFutures; i += 2) {
      if (entries[i].kind == Kind::Gate) entries[i].gate->open();
      if (local() % 64 == 0) std::this_thread::yield();
    }
    while (done < kFutures && !stalled) {
      std::pair<VelmoraForeignCompletionCallback, uint64_t> call{nullptr, 0};
      {
        std::lock_guard lock(PendingCalls::mutex);
        if (!PendingCalls::calls.empty()) {
          call = PendingCalls::calls.front();
          PendingCalls::calls.pop_front();
        }
      }
      if (call.first == nullptr) {
        std::this_thread::yield();
        continue;
      }
      call.first(call.second, {ffi::encode_to_buffer(sdk::HttpResponse{200, {}, {}}), {VELMORA_CALL_SUCCESS, {}}});
    }
  };
  std::vector<std::thread> threads;
  threads.emplace_back(poller);
  threads.emplace_back(poller);
  threads.emplace_back(worker, 0);
  threads.emplace_back(worker, 1);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (done < kFutures && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  stalled = done < kFutures;
  for (auto& t : threads) t.join();  // pollers stop once done; a stall ends the workers
  ASSERT_EQ(done, kFutures) << "futures left waiting";

  for (const Entry& e : entries) EXPECT_EQ(e.completions, 1);
  EXPECT_EQ(TestOps::live, 0);
  EXPECT_EQ(PendingCalls::frees, kFutures / 3);
  EXPECT_EQ(async::TimerThread::instance().pending(), 0u);
}

}  // namespace
}  // namespace velmora::testing
