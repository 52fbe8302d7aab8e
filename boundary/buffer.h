// Library-owned byte buffers and call status helpers shared by every export.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "velmora_sdk_frame.h"

namespace velmora::ffi {

using ByteBuffer = VelmoraByteBuffer;
using BorrowedBytes = VelmoraBorrowedBytes;
using CallStatus = VelmoraCallStatus;

// Data value of an empty buffer made by the library; never dereferenced.
inline uint8_t* placeholder_data() noexcept { return reinterpret_cast<uint8_t*>(std::uintptr_t{1}); }

// A new buffer holding a copy of bytes (capacity = len = bytes.size()).
ByteBuffer buffer_copy(std::span<const uint8_t> bytes);
inline ByteBuffer buffer_copy(std::string_view text) {
  return buffer_copy(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// Why the buffer's shape is invalid, or an empty view when it is a valid buffer.
std::string_view buffer_shape_error(const ByteBuffer& buffer) noexcept;

// Releases a buffer whose shape is valid.
void buffer_release(const ByteBuffer& buffer) noexcept;

inline std::span<const uint8_t> buffer_bytes(const ByteBuffer& buffer) noexcept {
  return buffer.len == 0 ? std::span<const uint8_t>{} : std::span<const uint8_t>(buffer.data, buffer.len);
}

// Owns a buffer handed to the library and releases it on scope exit.
class OwnedBuffer {
 public:
  explicit OwnedBuffer(ByteBuffer buffer) noexcept : buffer_(buffer) {}
  OwnedBuffer(const OwnedBuffer&) = delete;
  OwnedBuffer& operator=(const OwnedBuffer&) = delete;
  ~OwnedBuffer() { buffer_release(buffer_); }
  std::span<const uint8_t> bytes() const noexcept { return buffer_bytes(buffer_); }

 private:
  ByteBuffer buffer_;
};

// Marks a failed call: code UnexpectedError and the message as error_buf.
void fail_unexpected(CallStatus* status, std::string_view message) noexcept;
// Marks a failed call with a declared error already encoded into error_buf.
void fail_declared(CallStatus* status, ByteBuffer encoded_error) noexcept;

}  // namespace velmora::ffi
