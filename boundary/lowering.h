// How a whole argument or result crosses the boundary: integers as C scalars,
// booleans as int8_t, objects as handles, a string as a buffer of its raw UTF-8
// bytes, every other value as a buffer holding exactly one encoded value.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <type_traits>

#include "codec.h"

namespace velmora::ffi {

// A buffer handed to the library as an argument. It is released on scope exit,
// unless its shape is invalid, in which case nothing is released and decoding
// fails with the reason.
class IncomingBuffer {
 public:
  explicit IncomingBuffer(ByteBuffer buffer) noexcept : buffer_(buffer), shape_error_(buffer_shape_error(buffer)) {}
  IncomingBuffer(const IncomingBuffer&) = delete;
  IncomingBuffer(IncomingBuffer&& other) noexcept
      : buffer_(std::exchange(other.buffer_, ByteBuffer{})), shape_error_(other.shape_error_) {}
  IncomingBuffer& operator=(const IncomingBuffer&) = delete;
  ~IncomingBuffer() {
    if (shape_error_.empty()) buffer_release(buffer_);
  }
  std::span<const uint8_t> bytes() const {
    if (!shape_error_.empty()) throw DecodeError(std::string(shape_error_));
    return buffer_bytes(buffer_);
  }

 private:
  ByteBuffer buffer_;
  std::string_view shape_error_;
};

// Values encoded into a buffer of their own.
template <class T>
struct Lowering {
  using c_type = ByteBuffer;
  using Held = IncomingBuffer;
  static constexpr std::string_view c_name = "VelmoraByteBuffer";
  static ByteBuffer lower(const T& value) { return encode_to_buffer(value); }
  static Held hold(ByteBuffer raw) noexcept { return Held(raw); }
  static T lift(Held& held) { return decode_whole<T>(held.bytes()); }
};

// A string at top level is its raw bytes; the caller guarantees UTF-8.
template <>
struct Lowering<std::string> {
  using c_type = ByteBuffer;
  using Held = IncomingBuffer;
  static constexpr std::string_view c_name = "VelmoraByteBuffer";
  static ByteBuffer lower(const std::string& value) { return buffer_copy(value); }
  static Held hold(ByteBuffer raw) noexcept { return Held(raw); }
  static std::string lift(Held& held) {
    auto bytes = held.bytes();
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
};

template <class T>
struct ScalarLowering {
  using c_type = T;
  using Held = T;
  static T lower(T value) noexcept { return value; }
  static Held hold(T raw) noexcept { return raw; }
  static T lift(Held& held) noexcept { return held; }
};

template <>
struct Lowering<uint8_t> : ScalarLowering<uint8_t> {
  static constexpr std::string_view c_name = "uint8_t";
};
template <>
struct Lowering<uint16_t> : ScalarLowering<uint16_t> {
  static constexpr std::string_view c_name = "uint16_t";
};
template <>
struct Lowering<uint32_t> : ScalarLowering<uint32_t> {
  static constexpr std::string_view c_name = "uint32_t";
};
template <>
struct Lowering<uint64_t> : ScalarLowering<uint64_t> {
  static constexpr std::string_view c_name = "uint64_t";
};

template <>
struct Lowering<bool> {
  using c_type = int8_t;
  using Held = int8_t;
  static constexpr std::string_view c_name = "int8_t";
  static int8_t lower(bool value) noexcept { return value ? 1 : 0; }
  static Held hold(int8_t raw) noexcept { return raw; }
  static bool lift(Held& held) { return bool_from_byte(static_cast<uint8_t>(held)); }
};

template <ObjectType T>
struct Lowering<Ref<T>> {
  using c_type = uint64_t;
  using Held = Ref<T>;
  static constexpr std::string_view c_name = "VelmoraObjectHandle";
  static uint64_t lower(Ref<T> value) noexcept { return to_handle(std::move(value)); }
  static Held hold(uint64_t raw) noexcept { return adopt_handle<T>(raw); }
  static Ref<T> lift(Held& held) noexcept { return std::move(held); }
};

// What an operation returns: a value, a value or a declared error, or nothing.
template <class R>
struct ResultShape {
  using value_type = R;
  using error_type = void;
};
template <class T, class E>
struct ResultShape<std::expected<T, E>> {
  using value_type = T;
  using error_type = E;
};

template <class R>
using result_value_t = typename ResultShape<R>::value_type;
template <class R>
using result_error_t = typename ResultShape<R>::error_type;

template <class T>
struct ResultLowering {
  using c_type = typename Lowering<T>::c_type;
  static constexpr std::string_view c_name = Lowering<T>::c_name;
};
template <>
struct ResultLowering<void> {
  using c_type = void;
  static constexpr std::string_view c_name = "void";
};

template <class R>
using c_result_of_t = typename ResultLowering<result_value_t<R>>::c_type;

}  // namespace velmora::ffi
