// The synchronous export machinery, driven through test-only exports built
// into this test binary (never into the library).
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "boundary/export.h"
#include "samples.h"

namespace velmora::testing {

// Counts live instances so tests can see which references a call released.
class Probe final : public ffi::Object {
 public:
  static inline std::atomic<int> live{0};
  Probe() { ++live; }
  ~Probe() override { --live; }

  // Replicas of the pool when flag is set; ClaimTimeout otherwise.
  std::expected<uint32_t, sdk::SdkError> replicas_if(bool flag, ffi::Ref<Probe> other, sdk::Pool pool) const {
    if (!other) throw std::logic_error("no other probe");
    if (!flag) return std::unexpected(sdk::SdkError{sdk::sdk_error::ClaimTimeout{}});
    return pool.spec.replicas;
  }
  uint32_t fail(std::string message) const { throw std::runtime_error(message); }
};
VELMORA_OBJECT(velmora_test, probe, Probe, "A test-only object.")

VELMORA_EXPORT_OBJECT(velmora_test, Probe, probe)
VELMORA_EXPORT_METHOD(velmora_test, Probe, probe, replicas_if, "", "flag", "other", "pool")
VELMORA_EXPORT_METHOD(velmora_test, Probe, probe, fail, "", "message")

namespace {

using Bytes = std::vector<uint8_t>;

ffi::ByteBuffer buffer_of(const Bytes& bytes) { return ffi::buffer_copy(std::span(bytes)); }

Bytes take(ffi::ByteBuffer b) {
  Bytes out(b.data, b.data + b.len);
  ffi::buffer_release(b);
  return out;
}

struct ExportTest : ::testing::Test {
  void SetUp() override { ASSERT_EQ(Probe::live, 0); }
  void TearDown() override { EXPECT_EQ(Probe::live, 0) << "a reference handed over was not released"; }
  static uint64_t probe() { return ffi::to_handle(ffi::make_ref<Probe>()); }
};

TEST_F(ExportTest, ArgumentFailuresReleaseEverythingHandedOver) {
  Bytes pool = [] {
    ffi::ByteBuffer b = ffi::encode_to_buffer(full_pool());
    return take(b);
  }();
  Bytes pool_trailing = pool;
  pool_trailing.push_back(9);
  struct Case {
    const char* name;
    int8_t flag;
    Bytes pool;
    std::string message;
  } cases[] = {
      {"boolean 2, checked first", 2, pool_trailing, "Failed to convert arg 'flag':\nunexpected byte for Boolean"},
      {"boolean -1", -1, pool, "Failed to convert arg 'flag':\nunexpected byte for Boolean"},
      {"pool with a trailing byte", 1, pool_trailing,
       "Failed to convert arg 'pool':\njunk data left in buffer after lifting (count: 1)"},
  };
  for (const auto& c : cases) {
    ffi::CallStatus status{};
    uint32_t r = bind_velmora_test_fn_method_probe_replicas_if(probe(), c.flag, probe(), buffer_of(c.pool), &status);
    EXPECT_EQ(r, 0u) << c.name;
    EXPECT_EQ(status.code, VELMORA_CALL_UNEXPECTED_ERROR) << c.name;
    Bytes message = take(status.error_buf);
    EXPECT_EQ(std::string(message.begin(), message.end()), c.message) << c.name;
    EXPECT_EQ(Probe::live, 0) << c.name;
  }
}

TEST_F(ExportTest, SuccessReturnsTheValueAndLeavesTheStatusUntouched) {
  uint8_t sentinel = 1;
  ffi::CallStatus status{VELMORA_CALL_SUCCESS, {9, 9, &sentinel}};
  Bytes pool = take(ffi::encode_to_buffer(full_pool()));
  EXPECT_EQ(bind_velmora_test_fn_method_probe_replicas_if(probe(), 1, probe(), buffer_of(pool), &status), 3u);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(status.error_buf.data, &sentinel);
  EXPECT_EQ(status.error_buf.len, 9u);
}

TEST_F(ExportTest, DeclaredErrorsGoToErrorBufWithCodeError) {
  ffi::CallStatus status{};
  Bytes pool = take(ffi::encode_to_buffer(full_pool()));
  EXPECT_EQ(bind_velmora_test_fn_method_probe_replicas_if(probe(), 0, probe(), buffer_of(pool), &status), 0u);
  EXPECT_EQ(status.code, VELMORA_CALL_ERROR);
  EXPECT_EQ(take(status.error_buf), (Bytes{0, 0, 0, 0x0B}));
}

TEST_F(ExportTest, OtherFailuresAreUnexpectedErrorsWithTheirMessage) {
  struct Case {
    std::string thrown;
    std::string reported;
  } cases[] = {
      {"boom", "boom"},
      {"", std::string(ffi::kUnknownFailure)},
  };
  for (const auto& c : cases) {
    ffi::CallStatus status{};
    EXPECT_EQ(bind_velmora_test_fn_method_probe_fail(probe(), ffi::buffer_copy(c.thrown), &status), 0u);
    EXPECT_EQ(status.code, VELMORA_CALL_UNEXPECTED_ERROR);
    Bytes message = take(status.error_buf);
    EXPECT_EQ(std::string(message.begin(), message.end()), c.reported);
  }
}

TEST_F(ExportTest, ClonesShareOneObjectUntilTheLastFree) {
  ffi::CallStatus status{};
  uint64_t h = probe();
  EXPECT_EQ(bind_velmora_test_fn_clone_probe(h, &status), h);
  bind_velmora_test_fn_free_probe(h, &status);
  EXPECT_EQ(Probe::live, 1);
  bind_velmora_test_fn_free_probe(h, &status);
  EXPECT_EQ(Probe::live, 0);
}

}  // namespace
}  // namespace velmora::testing
