// The frame functions of both components: buffers and the contract version.
// Both prefixes share one implementation, and so one allocator.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

#include "buffer.h"
#include "contract.h"

namespace velmora::ffi {
namespace {

constexpr uint64_t kMaxBufferSize = uint64_t{1} << 63;

ByteBuffer alloc_buffer(uint64_t size, CallStatus* status) noexcept {
  if (size >= kMaxBufferSize) {
    fail_unexpected(status, "buffer size too large");
    return {};
  }
  if (size == 0) return ByteBuffer{0, 0, placeholder_data()};
  auto* data = static_cast<uint8_t*>(std::calloc(size, 1));
  if (data == nullptr) std::abort();  // out of memory ends the process
  return ByteBuffer{size, size, data};
}

ByteBuffer buffer_from_bytes(BorrowedBytes bytes, CallStatus* status) noexcept {
  if (bytes.len < 0 && bytes.data != nullptr) {
    fail_unexpected(status, "borrowed bytes with negative length");
    return {};
  }
  if (bytes.len != 0 && bytes.data == nullptr) {
    fail_unexpected(status, "null borrowed bytes with non-zero length");
    return {};
  }
  if (bytes.len == 0) return ByteBuffer{0, 0, placeholder_data()};
  auto size = static_cast<std::size_t>(bytes.len);
  auto* data = static_cast<uint8_t*>(std::malloc(size));
  if (data == nullptr) std::abort();
  std::memcpy(data, bytes.data, size);
  return ByteBuffer{size, size, data};
}

void free_buffer(ByteBuffer buffer, CallStatus* status) noexcept {
  if (auto error = buffer_shape_error(buffer); !error.empty()) {
    fail_unexpected(status, error);
    return;
  }
  buffer_release(buffer);
}

ByteBuffer reserve_buffer(ByteBuffer buffer, uint64_t additional, CallStatus* status) noexcept {
  if (auto error = buffer_shape_error(buffer); !error.empty()) {
    fail_unexpected(status, error);
    return {};
  }
  if (additional > kMaxBufferSize - 1 - buffer.len) {
    buffer_release(buffer);
    fail_unexpected(status, "buffer size overflows");
    return {};
  }
  uint64_t needed = buffer.len + additional;
  if (needed <= buffer.capacity) return buffer;
  // Doubling keeps a sequence of small reserves linear overall.
  uint64_t capacity = std::max(needed, std::min(buffer.capacity * 2, kMaxBufferSize - 1));
  uint8_t* old = buffer.capacity == 0 ? nullptr : buffer.data;
  auto* data = static_cast<uint8_t*>(std::realloc(old, capacity));
  if (data == nullptr) std::abort();
  return ByteBuffer{capacity, buffer.len, data};
}

}  // namespace
}  // namespace velmora::ffi

#define VELMORA_FRAME_EXPORTS(PREFIX)                                                                \
  extern "C" VELMORA_API VelmoraByteBuffer PREFIX##buffer_alloc(uint64_t size,                      \
                                                                VelmoraCallStatus* status) noexcept { \
    return ::velmora::ffi::alloc_buffer(size, status);                                              \
  }                                                                                                  \
  extern "C" VELMORA_API VelmoraByteBuffer PREFIX##buffer_from_bytes(                               \
      VelmoraBorrowedBytes bytes, VelmoraCallStatus* status) noexcept {                             \
    return ::velmora::ffi::buffer_from_bytes(bytes, status);                                         \
  }                                                                                                  \
  extern "C" VELMORA_API void PREFIX##buffer_free(VelmoraByteBuffer buffer,                         \
                                                  VelmoraCallStatus* status) noexcept {             \
    ::velmora::ffi::free_buffer(buffer, status);                                                     \
  }                                                                                                  \
  extern "C" VELMORA_API VelmoraByteBuffer PREFIX##buffer_reserve(                                  \
      VelmoraByteBuffer buffer, uint64_t additional, VelmoraCallStatus* status) noexcept {          \
    return ::velmora::ffi::reserve_buffer(buffer, additional, status);                               \
  }                                                                                                  \
  extern "C" VELMORA_API uint32_t PREFIX##contract_version(void) noexcept {                         \
    return ::velmora::ffi::kContractVersion;                                                         \
  }

VELMORA_FRAME_EXPORTS(ffi_velmora_sdk_)
VELMORA_FRAME_EXPORTS(ffi_velmora_sdk_schema_)
