#include "buffer.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace velmora::ffi {

ByteBuffer buffer_copy(std::span<const uint8_t> bytes) {
  if (bytes.empty()) return ByteBuffer{0, 0, placeholder_data()};
  auto* data = static_cast<uint8_t*>(std::malloc(bytes.size()));
  if (data == nullptr) throw std::bad_alloc();
  std::memcpy(data, bytes.data(), bytes.size());
  return ByteBuffer{bytes.size(), bytes.size(), data};
}

std::string_view buffer_shape_error(const ByteBuffer& buffer) noexcept {
  if (buffer.data == nullptr && buffer.capacity != 0) return "null buffer with non-zero capacity";
  if (buffer.data == nullptr && buffer.len != 0) return "null buffer with non-zero length";
  if (buffer.len > buffer.capacity) return "buffer length exceeds its capacity";
  return {};
}

void buffer_release(const ByteBuffer& buffer) noexcept {
  if (buffer.capacity != 0) std::free(buffer.data);
}

void fail_unexpected(CallStatus* status, std::string_view message) noexcept {
  status->code = VELMORA_CALL_UNEXPECTED_ERROR;
  status->error_buf = ByteBuffer{0, 0, nullptr};
  try {
    status->error_buf = buffer_copy(message);
  } catch (...) {
    // The message is lost; the code still reports the failure.
  }
}

void fail_declared(CallStatus* status, ByteBuffer encoded_error) noexcept {
  status->code = VELMORA_CALL_ERROR;
  status->error_buf = encoded_error;
}

}  // namespace velmora::ffi
