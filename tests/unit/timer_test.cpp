#include <gtest/gtest.h>

#include <thread>

#include "platform/async/timer.h"
#include "test_operations.h"

namespace velmora::testing {
namespace {

TEST(Timer, AFarFutureDeadlineSaturatesInsteadOfWrapping) {
  using std::chrono::milliseconds;
  EXPECT_EQ(async::deadline_after(milliseconds::max()), async::Clock::time_point::max());
  EXPECT_GT(async::deadline_after(milliseconds(1)), async::Clock::now());
}

// A pause wakes its future from the timer thread; one that never comes does
// not hold up the ones behind it.
TEST(Timer, PausesEndOnTheTimerThreadWhileAFarOneStaysPending) {
  struct Seen {
    std::atomic<int> wakes{0};
    std::atomic<std::thread::id> thread;
    static void record(uint64_t data, int8_t result) {
      auto* self = reinterpret_cast<Seen*>(data);
      if (result == VELMORA_POLL_WAKE) {
        self->thread = std::this_thread::get_id();
        ++self->wakes;
      }
    }
  } far_seen, near_seen;
  uint64_t far = bind_velmora_test_fn_method_testops_pause(new_ops(), UINT64_MAX);
  uint64_t near = bind_velmora_test_fn_method_testops_pause(new_ops(), 5);
  ffi_velmora_sdk_future_poll_u64(far, &Seen::record, reinterpret_cast<uint64_t>(&far_seen));
  ffi_velmora_sdk_future_poll_u64(near, &Seen::record, reinterpret_cast<uint64_t>(&near_seen));
  for (int i = 0; i < 2000 && near_seen.wakes == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_EQ(near_seen.wakes, 1);
  EXPECT_NE(near_seen.thread.load(), std::this_thread::get_id());
  EXPECT_EQ(far_seen.wakes, 0);
  VelmoraCallStatus status{};
  ffi_velmora_sdk_future_poll_u64(near, &Seen::record, reinterpret_cast<uint64_t>(&near_seen));
  EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(near, &status), 5u);
  ffi_velmora_sdk_future_free_u64(near);
  ffi_velmora_sdk_future_free_u64(far);
  EXPECT_EQ(async::TimerThread::instance().pending(), 0u);
}

}  // namespace
}  // namespace velmora::testing
