// A foreign caller's view of the wire format, written independently of the
// library's own codec so that ABI tests check the bytes, not the code.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "velmora_sdk.h"

namespace wire {

using Bytes = std::vector<uint8_t>;

// Appends big-endian values; chainable.
struct Out {
  Bytes bytes;
  Out& u8(uint8_t v) {
    bytes.push_back(v);
    return *this;
  }
  Out& u16(uint16_t v) { return be(v, 2); }
  Out& u32(uint32_t v) { return be(v, 4); }
  Out& u64(uint64_t v) { return be(v, 8); }
  Out& i32(int32_t v) { return be(static_cast<uint32_t>(v), 4); }
  Out& str(std::string_view s) {
    u32(static_cast<uint32_t>(s.size()));
    bytes.insert(bytes.end(), s.begin(), s.end());
    return *this;
  }
  Out& raw(const Bytes& b) {
    bytes.insert(bytes.end(), b.begin(), b.end());
    return *this;
  }
  Out& none() { return u8(0); }
  Out& some() { return u8(1); }

 private:
  Out& be(uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return *this;
  }
};

// Reads big-endian values; throws on a short read.
struct In {
  const uint8_t* p;
  size_t left;
  explicit In(const Bytes& b) : p(b.data()), left(b.size()) {}
  uint8_t u8() { return static_cast<uint8_t>(be(1)); }
  uint16_t u16() { return static_cast<uint16_t>(be(2)); }
  uint32_t u32() { return static_cast<uint32_t>(be(4)); }
  uint64_t u64() { return be(8); }
  int32_t i32() { return static_cast<int32_t>(u32()); }
  std::string str() {
    uint32_t n = u32();
    need(n);
    std::string s(reinterpret_cast<const char*>(p), n);
    p += n;
    left -= n;
    return s;
  }
  bool done() const { return left == 0; }
  // The bytes not read yet, left in place.
  Bytes rest() const { return Bytes(p, p + left); }

 private:
  void need(size_t n) {
    if (left < n) throw std::runtime_error("short read");
  }
  uint64_t be(int n) {
    need(static_cast<size_t>(n));
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    p += n;
    left -= static_cast<size_t>(n);
    return v;
  }
};

inline VelmoraCallStatus fresh_status() { return VelmoraCallStatus{VELMORA_CALL_SUCCESS, {0, 0, nullptr}}; }

// A library buffer holding a copy of bytes, made as a foreign caller makes it.
inline VelmoraByteBuffer to_buffer(const Bytes& bytes) {
  VelmoraCallStatus status = fresh_status();
  VelmoraBorrowedBytes borrowed{static_cast<int32_t>(bytes.size()), bytes.data()};
  VelmoraByteBuffer buffer = ffi_velmora_sdk_buffer_from_bytes(borrowed, &status);
  if (status.code != VELMORA_CALL_SUCCESS) throw std::runtime_error("buffer_from_bytes failed");
  return buffer;
}
inline VelmoraByteBuffer to_buffer(std::string_view text) { return to_buffer(Bytes(text.begin(), text.end())); }

// Copies a returned buffer out and frees it.
inline Bytes take(VelmoraByteBuffer buffer) {
  Bytes out(buffer.data, buffer.data + buffer.len);
  VelmoraCallStatus status = fresh_status();
  ffi_velmora_sdk_buffer_free(buffer, &status);
  if (status.code != VELMORA_CALL_SUCCESS) throw std::runtime_error("buffer_free failed");
  return out;
}
inline std::string take_text(VelmoraByteBuffer buffer) {
  Bytes b = take(buffer);
  return std::string(b.begin(), b.end());
}

// The outcome of a call as code and error bytes; frees error_buf.
struct Outcome {
  int8_t code;
  Bytes error;
  std::string message() const { return std::string(error.begin(), error.end()); }
};
inline Outcome outcome(VelmoraCallStatus& status) {
  Outcome o{status.code, {}};
  if (status.code != VELMORA_CALL_SUCCESS) o.error = take(status.error_buf);
  return o;
}

}  // namespace wire
