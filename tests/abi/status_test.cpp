// Pool display status through the public header: the first end-to-end export.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "velmora_sdk.h"
#include "wire.h"

namespace {

struct Decoded {
  int32_t kind;
  std::string label;
  std::string indicator;
  bool operator==(const Decoded&) const = default;
};

Decoded decode_status(const wire::Bytes& bytes) {
  wire::In in(bytes);
  Decoded d{in.i32(), in.str(), in.str()};
  EXPECT_TRUE(in.done());
  return d;
}

struct WarmPoolStatus {
  std::optional<uint32_t> replicas, ready_replicas;
  std::optional<std::string> selector;
};

// A Pool record in boundary order.
wire::Bytes pool(uint32_t replicas, std::optional<WarmPoolStatus> status) {
  wire::Out out;
  out.str("kavri.velmora.dev/v1alpha1").str("KavriSandboxWarmPool");
  out.str("pool-a").str("pool-a").some().u32(1).str("team").str("ci").some().str("2026-01-01T00:00:00Z");
  out.u32(replicas).str("ubuntu").some().some().u32(1).none().some().u32(5).some().u32(600);
  if (!status) {
    out.none();
  } else {
    out.some();
    auto opt_u32 = [&](std::optional<uint32_t> v) { v ? out.some().u32(*v) : out.none(); };
    opt_u32(status->replicas);
    opt_u32(status->ready_replicas);
    status->selector ? out.some().str(*status->selector) : out.none();
  }
  return out.bytes;
}

wire::Outcome call_with(const wire::Bytes& pool_bytes, Decoded* result) {
  VelmoraCallStatus status = wire::fresh_status();
  VelmoraByteBuffer out = bind_velmora_sdk_fn_func_pool_display_status(wire::to_buffer(pool_bytes), &status);
  auto o = wire::outcome(status);
  if (o.code == VELMORA_CALL_SUCCESS) {
    *result = decode_status(wire::take(out));
  } else {
    EXPECT_EQ(out.capacity, 0u);
    EXPECT_EQ(out.len, 0u);
    EXPECT_EQ(out.data, nullptr);
  }
  return o;
}

const Decoded kHealthy{1, "Healthy", "#2ea043"};
const Decoded kScaledToZero{2, "Scaled to zero", "#a371f7"};
const Decoded kRemoved{3, "Removed", "#8b949e"};
const Decoded kTerminating{4, "Terminating", "#d29922"};
const Decoded kUnknown{5, "Unknown", "#d29922"};

TEST(PoolDisplayStatus, HealthyIsExactly26Bytes) {
  VelmoraCallStatus status = wire::fresh_status();
  wire::Bytes bytes = wire::take(bind_velmora_sdk_fn_func_healthy_pool_display_status(&status));
  wire::Bytes expected = {0, 0, 0, 1, 0, 0, 0, 7, 'H', 'e', 'a', 'l', 't', 'h', 'y',
                          0, 0, 0, 7, '#', '2', 'e', 'a', '0', '4', '3'};
  EXPECT_EQ(bytes, expected);
}

TEST(PoolDisplayStatus, FixedStatuses) {
  struct Case {
    VelmoraByteBuffer (*fn)(VelmoraCallStatus*);
    Decoded expected;
  } cases[] = {
      {bind_velmora_sdk_fn_func_healthy_pool_display_status, kHealthy},
      {bind_velmora_sdk_fn_func_removed_pool_display_status, kRemoved},
      {bind_velmora_sdk_fn_func_terminating_pool_display_status, kTerminating},
      {bind_velmora_sdk_fn_func_unknown_pool_display_status, kUnknown},
  };
  for (const auto& c : cases) {
    VelmoraCallStatus status = wire::fresh_status();
    EXPECT_EQ(decode_status(wire::take(c.fn(&status))), c.expected);
    EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  }
}

TEST(PoolDisplayStatus, DerivationRules) {
  struct Case {
    const char* name;
    uint32_t replicas;
    std::optional<WarmPoolStatus> status;
    Decoded expected;
  } cases[] = {
      {"no replicas, no status", 0, std::nullopt, kScaledToZero},
      {"no replicas, ready replicas reported", 0, WarmPoolStatus{4, 4, "app=x"}, kScaledToZero},
      {"replicas, no status", 3, std::nullopt, kUnknown},
      {"replicas, status counting zero", 3, WarmPoolStatus{0, 0, std::nullopt}, kHealthy},
      {"replicas, status with every field absent", 1, WarmPoolStatus{}, kHealthy},
  };
  for (const auto& c : cases) {
    Decoded got{};
    EXPECT_EQ(call_with(pool(c.replicas, c.status), &got).code, VELMORA_CALL_SUCCESS) << c.name;
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

TEST(PoolDisplayStatus, MalformedPoolArgumentsFailWithTheirExactText) {
  const std::string prefix = "Failed to convert arg 'pool':\n";
  wire::Bytes good = pool(3, WarmPoolStatus{1, 1, "s"});
  wire::Bytes trailing = good;
  trailing.push_back(0);
  wire::Bytes bad_tag = pool(3, std::nullopt);
  bad_tag.back() = 2;  // the status tag
  wire::Bytes short_count = {0, 0, 0, 0x1A, 'k'};
  short_count.resize(2);
  wire::Bytes huge_length = {0xFF, 0xFF, 0xFF, 0xFF};
  wire::Bytes invalid_utf8 = wire::Out().str("\xC3\x28").bytes;
  wire::Bytes count_beyond_bytes = wire::Out().u32(0x7FFFFFFF).bytes;

  struct Case {
    const char* name;
    wire::Bytes bytes;
    std::string message;
  } cases[] = {
      {"one trailing byte", trailing, "junk data left in buffer after lifting (count: 1)"},
      {"optional tag 2", bad_tag, "unexpected tag byte for Option"},
      {"buffer ends inside a count", short_count, "not enough bytes remaining in buffer (2 < 4)"},
      {"length FF FF FF FF", huge_length, "out of range integral type conversion attempted"},
      {"string that is not UTF-8", invalid_utf8, "invalid utf-8 sequence of 1 bytes from index 0"},
      {"declared length beyond the bytes", count_beyond_bytes, "not enough bytes remaining in buffer (0 < 2147483647)"},
      {"empty buffer", {}, "not enough bytes remaining in buffer (0 < 4)"},
  };
  for (const auto& c : cases) {
    Decoded unused{};
    auto o = call_with(c.bytes, &unused);
    EXPECT_EQ(o.code, VELMORA_CALL_UNEXPECTED_ERROR) << c.name;
    EXPECT_EQ(o.message(), prefix + c.message) << c.name;
  }
}

}  // namespace
