// The call frame as a foreign caller sees it: buffers, status records, handles.
#include <gtest/gtest.h>

#include <cstring>

#include "velmora_sdk.h"
#include "wire.h"

namespace {

using wire::fresh_status;

TEST(Buffers, AllocZeroGivesEmptyBufferWithPlaceholder) {
  VelmoraCallStatus status = fresh_status();
  VelmoraByteBuffer b = ffi_velmora_sdk_buffer_alloc(0, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(b.capacity, 0u);
  EXPECT_EQ(b.len, 0u);
  EXPECT_NE(b.data, nullptr);
  ffi_velmora_sdk_buffer_free(b, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

TEST(Buffers, AllocFiveGivesFiveZeroBytes) {
  VelmoraCallStatus status = fresh_status();
  VelmoraByteBuffer b = ffi_velmora_sdk_buffer_alloc(5, &status);
  ASSERT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(b.capacity, 5u);
  EXPECT_EQ(b.len, 5u);
  EXPECT_EQ(wire::take(b), wire::Bytes(5, 0));
}

TEST(Buffers, AllocAtOrAboveTwoToTheSixtyThirdFails) {
  VelmoraCallStatus status = fresh_status();
  VelmoraByteBuffer b = ffi_velmora_sdk_buffer_alloc(uint64_t{1} << 63, &status);
  EXPECT_EQ(wire::outcome(status).code, VELMORA_CALL_UNEXPECTED_ERROR);
  EXPECT_EQ(b.data, nullptr);
}

TEST(Buffers, FromBytesChecksItsInput) {
  const uint8_t three[] = {1, 2, 3};
  struct Case {
    VelmoraBorrowedBytes in;
    int8_t code;
  } cases[] = {
      {{0, nullptr}, VELMORA_CALL_SUCCESS},
      {{0, three}, VELMORA_CALL_SUCCESS},
      {{3, nullptr}, VELMORA_CALL_UNEXPECTED_ERROR},
      {{-1, three}, VELMORA_CALL_UNEXPECTED_ERROR},
      {{-1, nullptr}, VELMORA_CALL_UNEXPECTED_ERROR},
  };
  for (const auto& c : cases) {
    VelmoraCallStatus status = fresh_status();
    VelmoraByteBuffer b = ffi_velmora_sdk_buffer_from_bytes(c.in, &status);
    auto o = wire::outcome(status);
    EXPECT_EQ(o.code, c.code) << "len " << c.in.len;
    if (o.code == VELMORA_CALL_SUCCESS) {
      EXPECT_EQ(b.len, 0u);
      EXPECT_NE(b.data, nullptr);
    } else {
      EXPECT_FALSE(o.message().empty());
    }
  }
  EXPECT_EQ(wire::take(wire::to_buffer(wire::Bytes{1, 2, 3})), (wire::Bytes{1, 2, 3}));
}

TEST(Buffers, ReserveKeepsContentAndGrows) {
  wire::Bytes ten = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  VelmoraCallStatus status = fresh_status();
  VelmoraByteBuffer b = ffi_velmora_sdk_buffer_reserve(wire::to_buffer(ten), 0, &status);
  ASSERT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(b.len, 10u);
  b = ffi_velmora_sdk_buffer_reserve(b, 100, &status);
  ASSERT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_GE(b.capacity, 110u);
  EXPECT_EQ(b.len, 10u);
  EXPECT_EQ(wire::take(b), ten);

  VelmoraByteBuffer empty = ffi_velmora_sdk_buffer_reserve(VelmoraByteBuffer{0, 0, nullptr}, 8, &status);
  ASSERT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_GE(empty.capacity, 8u);
  EXPECT_EQ(empty.len, 0u);
  ffi_velmora_sdk_buffer_free(empty, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

TEST(Buffers, ReserveRefusesOverflowAndBadShapes) {
  VelmoraCallStatus status = fresh_status();
  ffi_velmora_sdk_buffer_reserve(wire::to_buffer("abc"), UINT64_MAX, &status);
  EXPECT_EQ(wire::outcome(status).code, VELMORA_CALL_UNEXPECTED_ERROR);

  uint8_t byte = 0;
  ffi_velmora_sdk_buffer_reserve(VelmoraByteBuffer{1, 2, &byte}, 1, &status);
  EXPECT_EQ(wire::outcome(status).code, VELMORA_CALL_UNEXPECTED_ERROR);
}

TEST(Buffers, FreeRefusesBadShapesAndReleasesNothing) {
  uint8_t bytes[4] = {};
  VelmoraByteBuffer bad[] = {
      {4, 5, bytes},       // len exceeds capacity
      {4, 0, nullptr},     // null with capacity
      {0, 4, nullptr},     // null with length
  };
  for (const auto& b : bad) {
    VelmoraCallStatus status = fresh_status();
    ffi_velmora_sdk_buffer_free(b, &status);
    auto o = wire::outcome(status);
    EXPECT_EQ(o.code, VELMORA_CALL_UNEXPECTED_ERROR);
    EXPECT_FALSE(o.message().empty());
  }
  VelmoraCallStatus status = fresh_status();
  ffi_velmora_sdk_buffer_free(VelmoraByteBuffer{0, 0, nullptr}, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

TEST(Buffers, BothComponentsShareOneAllocator) {
  VelmoraCallStatus status = fresh_status();
  VelmoraByteBuffer b = ffi_velmora_sdk_schema_buffer_alloc(16, &status);
  b = ffi_velmora_sdk_buffer_reserve(b, 64, &status);
  b = ffi_velmora_sdk_schema_buffer_reserve(b, 128, &status);
  ffi_velmora_sdk_buffer_free(b, &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  VelmoraBorrowedBytes borrowed{2, reinterpret_cast<const uint8_t*>("hi")};
  ffi_velmora_sdk_schema_buffer_free(ffi_velmora_sdk_buffer_from_bytes(borrowed, &status), &status);
  ffi_velmora_sdk_buffer_free(ffi_velmora_sdk_schema_buffer_from_bytes(borrowed, &status), &status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

TEST(Frame, BothComponentsReportContractVersion30) {
  EXPECT_EQ(ffi_velmora_sdk_contract_version(), 30u);
  EXPECT_EQ(ffi_velmora_sdk_schema_contract_version(), 30u);
}

TEST(Frame, SuccessLeavesTheStatusUntouched) {
  uint8_t sentinel = 0x5A;
  VelmoraCallStatus status{VELMORA_CALL_SUCCESS, {7, 3, &sentinel}};
  VelmoraByteBuffer b = bind_velmora_sdk_fn_func_healthy_pool_display_status(&status);
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_EQ(status.error_buf.capacity, 7u);
  EXPECT_EQ(status.error_buf.len, 3u);
  EXPECT_EQ(status.error_buf.data, &sentinel);
  wire::take(b);
}

TEST(Handles, AreEvenStableAndCounted) {
  VelmoraCallStatus status = fresh_status();
  VelmoraObjectHandle h = bind_velmora_sdk_fn_constructor_velmoracredentials_new(wire::to_buffer("id"),
                                                                                 wire::to_buffer("secret"), &status);
  ASSERT_EQ(status.code, VELMORA_CALL_SUCCESS);
  EXPECT_NE(h, 0u);
  EXPECT_EQ(h % 2, 0u);
  EXPECT_EQ(bind_velmora_sdk_fn_clone_velmoracredentials(h, &status), h);
  bind_velmora_sdk_fn_free_velmoracredentials(h, &status);
  bind_velmora_sdk_fn_free_velmoracredentials(h, &status);  // the last reference: leak checkers see the rest
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
}

}  // namespace
