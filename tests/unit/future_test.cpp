// The future protocol through the exported C functions, driven by test-only
// operations: every transition of the scheduler and the result slot.
#include <gtest/gtest.h>

#include <thread>

#include "test_operations.h"

namespace velmora::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// What the continuation saw.
struct Continuations {
  std::mutex mutex;
  std::vector<int8_t> results;
  std::vector<std::thread::id> threads;
  static void record(uint64_t data, int8_t result) {
    auto* self = reinterpret_cast<Continuations*>(data);
    std::lock_guard lock(self->mutex);
    self->results.push_back(result);
    self->threads.push_back(std::this_thread::get_id());
  }
  uint64_t data() { return reinterpret_cast<uint64_t>(this); }
  std::vector<int8_t> seen() {
    std::lock_guard lock(mutex);
    return results;
  }
};

constexpr int8_t kReady = VELMORA_POLL_READY;
constexpr int8_t kWake = VELMORA_POLL_WAKE;

ffi::ByteBuffer text_buffer(std::string_view text) { return ffi::buffer_copy(text); }

std::string take_text(ffi::ByteBuffer b) {
  std::string out(reinterpret_cast<const char*>(b.data), b.len);
  ffi::buffer_release(b);
  return out;
}

struct FutureTest : ::testing::Test {
  void SetUp() override {
    TestOps::live = 0;
    TestOps::steps = 0;
  }
  void TearDown() override { EXPECT_EQ(TestOps::live, 0) << "the receiver was not released"; }
  Continuations c;
};

TEST_F(FutureTest, AnOperationThatNeverWaitsIsReadyWithinTheFirstPoll) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("hi"));
  EXPECT_EQ(TestOps::steps, 0) << "nothing runs before the first poll";
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), std::vector<int8_t>{kReady});
  EXPECT_EQ(c.threads.at(0), std::this_thread::get_id());
  EXPECT_EQ(TestOps::live, 0) << "a finished operation releases its receiver at once";
  VelmoraCallStatus status{};
  EXPECT_EQ(take_text(ffi_velmora_sdk_future_complete_buffer(f, &status)), "hi");
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, AWakeDuringPollMakesThatPollAnswerWake) {
  uint64_t ops = new_ops();
  auto gate = ops_of(ops)->gate;
  uint64_t f = bind_velmora_test_fn_method_testops_wake_self_then_gate(ops, 7);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), std::vector<int8_t>{kWake});
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), (std::vector<int8_t>{kWake})) << "waiting: the continuation is stored";
  gate->open();
  EXPECT_EQ(c.seen(), (std::vector<int8_t>{kWake, kWake}));
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), (std::vector<int8_t>{kWake, kWake, kReady}));
  VelmoraCallStatus status{};
  EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(f, &status), 7u);
  ffi_velmora_sdk_future_free_u64(f);
}

TEST_F(FutureTest, WakeFromAnotherThreadCallsTheContinuationThere) {
  uint64_t ops = new_ops();
  auto gate = ops_of(ops)->gate;
  uint64_t f = bind_velmora_test_fn_method_testops_after_gate(ops, 11);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_TRUE(c.seen().empty());
  std::thread::id opener;
  std::thread([&] {
    opener = std::this_thread::get_id();
    gate->open();
  }).join();
  ASSERT_EQ(c.seen(), std::vector<int8_t>{kWake});
  EXPECT_EQ(c.threads.at(0), opener);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  VelmoraCallStatus status{};
  EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(f, &status), 11u);
  ffi_velmora_sdk_future_free_u64(f);
}

TEST_F(FutureTest, CompleteBeforeReadyIsCancelledAndTheOperationNeverRunsAgain) {
  uint64_t ops = new_ops();
  auto gate = ops_of(ops)->gate;
  uint64_t f = bind_velmora_test_fn_method_testops_after_gate(ops, 3);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(TestOps::steps, 1);
  uint8_t sentinel = 0;
  VelmoraCallStatus status{VELMORA_CALL_SUCCESS, {1, 1, &sentinel}};
  EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(f, &status), 0u);
  EXPECT_EQ(status.code, VELMORA_CALL_CANCELLED);
  EXPECT_EQ(status.error_buf.capacity, 0u);
  EXPECT_EQ(status.error_buf.len, 0u);
  EXPECT_EQ(status.error_buf.data, nullptr);
  EXPECT_EQ(TestOps::live, 0) << "completing early drops the operation";
  gate->open();
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen().back(), kReady);
  EXPECT_EQ(TestOps::steps, 1) << "the operation never ran again";
  ffi_velmora_sdk_future_free_u64(f);
}

TEST_F(FutureTest, CompleteBeforeReadyOfABufferFutureGivesAnAllZeroBuffer) {
  uint64_t ops = new_ops();
  uint64_t f = bind_velmora_test_fn_method_testops_echo(ops, text_buffer("never"));
  VelmoraCallStatus status{};
  ffi::ByteBuffer b = ffi_velmora_sdk_future_complete_buffer(f, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_CANCELLED);
  EXPECT_EQ(b.capacity, 0u);
  EXPECT_EQ(b.len, 0u);
  EXPECT_EQ(b.data, nullptr);
  EXPECT_EQ(TestOps::steps, 0);
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, CompleteTwiceGivesTheValueThenCancelled) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("once"));
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  VelmoraCallStatus status{};
  EXPECT_EQ(take_text(ffi_velmora_sdk_future_complete_buffer(f, &status)), "once");
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  ffi::ByteBuffer second = ffi_velmora_sdk_future_complete_buffer(f, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_CANCELLED);
  EXPECT_EQ(second.data, nullptr);
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), (std::vector<int8_t>{kReady, kReady})) << "a completed future answers Ready";
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, CancelFiresAStoredContinuationWithReady) {
  uint64_t ops = new_ops();
  auto gate = ops_of(ops)->gate;
  uint64_t f = bind_velmora_test_fn_method_testops_after_gate(ops, 5);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_TRUE(c.seen().empty());
  ffi_velmora_sdk_future_cancel_u64(f);
  EXPECT_EQ(c.seen(), std::vector<int8_t>{kReady});
  gate->open();  // a wake after the cancel changes nothing
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), (std::vector<int8_t>{kReady, kReady}));
  EXPECT_EQ(TestOps::steps, 1);
  VelmoraCallStatus status{};
  ffi_velmora_sdk_future_complete_u64(f, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_CANCELLED);
  ffi_velmora_sdk_future_free_u64(f);
}

TEST_F(FutureTest, CancelAfterTheResultKeepsTheResult) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("kept"));
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  ffi_velmora_sdk_future_cancel_buffer(f);
  VelmoraCallStatus status{};
  EXPECT_EQ(take_text(ffi_velmora_sdk_future_complete_buffer(f, &status)), "kept");
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, FreeWithoutPollReleasesReceiverAndArguments) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("unused"));
  EXPECT_EQ(TestOps::live, 1);
  ffi_velmora_sdk_future_free_buffer(f);
  EXPECT_EQ(TestOps::live, 0);
  EXPECT_EQ(TestOps::steps, 0);
}

TEST_F(FutureTest, FreeWhileWaitingFiresTheContinuationAndDropsTheWait) {
  uint64_t f = bind_velmora_test_fn_method_testops_pause(new_ops(), 60'000);
  ffi_velmora_sdk_future_poll_u64(f, &Continuations::record, c.data());
  EXPECT_EQ(async::TimerThread::instance().pending(), 1u);
  ffi_velmora_sdk_future_free_u64(f);
  EXPECT_EQ(c.seen(), std::vector<int8_t>{kReady});
  EXPECT_EQ(async::TimerThread::instance().pending(), 0u) << "the timer entry left with the operation";
}

TEST_F(FutureTest, AnArgumentThatCannotBeLiftedStillGivesAFuture) {
  Bytes request = {0, 0, 0, 3, 'G', 'E', 'T', 0xFF};  // cut short
  uint64_t f = bind_velmora_test_fn_method_testops_fetch(new_ops(), 0, ffi::buffer_copy(std::span(request)));
  EXPECT_EQ(TestOps::live, 0) << "the receiver is released when the method returns";
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  EXPECT_EQ(c.seen(), std::vector<int8_t>{kReady});
  VelmoraCallStatus status{};
  ffi_velmora_sdk_future_complete_buffer(f, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_UNEXPECTED_ERROR);
  EXPECT_EQ(take_text(status.error_buf), "Failed to convert arg 'request':\nnot enough bytes remaining in buffer (1 < 4)");
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, VoidOperationsCompleteWithNothingOrTheirDeclaredError) {
  uint64_t ok = bind_velmora_test_fn_method_testops_finish(new_ops());
  ffi_velmora_sdk_future_poll_void(ok, &Continuations::record, c.data());
  uint8_t sentinel = 0;
  VelmoraCallStatus status{VELMORA_CALL_SUCCESS, {1, 1, &sentinel}};
  ffi_velmora_sdk_future_complete_void(ok, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(status.error_buf.data, &sentinel) << "success leaves the status untouched";
  ffi_velmora_sdk_future_free_void(ok);

  uint64_t refused = bind_velmora_test_fn_method_testops_refuse(new_ops(), text_buffer("delete pool"));
  ffi_velmora_sdk_future_poll_void(refused, &Continuations::record, c.data());
  status = VelmoraCallStatus{};
  ffi_velmora_sdk_future_complete_void(refused, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_ERROR);
  Bytes expected = {0, 0, 0, 6, 0, 0, 0, 11, 'd', 'e', 'l', 'e', 't', 'e', ' ', 'p', 'o', 'o', 'l', 0x01, 0x94,
                    0, 0, 0, 4, 'g', 'o', 'n', 'e'};
  std::string got = take_text(status.error_buf);
  EXPECT_EQ(Bytes(got.begin(), got.end()), expected);
  ffi_velmora_sdk_future_free_void(refused);
}

TEST_F(FutureTest, ACompleteFunctionOfAnotherResultKindIsRefused) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("x"));
  ffi_velmora_sdk_future_poll_buffer(f, &Continuations::record, c.data());
  VelmoraCallStatus status{};
  EXPECT_EQ(ffi_velmora_sdk_future_complete_u64(f, &status), 0u);
  EXPECT_EQ(status.code, VELMORA_CALL_UNEXPECTED_ERROR);
  take_text(status.error_buf);
  ffi_velmora_sdk_future_free_buffer(f);
}

TEST_F(FutureTest, TheSchemaPrefixServesFuturesToo) {
  uint64_t f = bind_velmora_test_fn_method_testops_echo(new_ops(), text_buffer("s"));
  ffi_velmora_sdk_schema_future_poll_buffer(f, &Continuations::record, c.data());
  VelmoraCallStatus status{};
  EXPECT_EQ(take_text(ffi_velmora_sdk_schema_future_complete_buffer(f, &status)), "s");
  ffi_velmora_sdk_schema_future_free_buffer(f);
}

}  // namespace
}  // namespace velmora::testing
