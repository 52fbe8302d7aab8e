#include "codec.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "platform/text/utf8.h"

namespace velmora::ffi {

Writer::~Writer() { std::free(data_); }

void Writer::count(std::size_t n) {
  if (n > kMaxEncodedCount) throw EncodeError("value too long to encode: " + std::to_string(n) + " elements or bytes");
  i32(static_cast<int32_t>(n));
}

void Writer::grow(std::size_t n) {
  std::size_t cap = std::max<std::size_t>({64, cap_ * 2, len_ + n});
  auto* data = static_cast<uint8_t*>(std::realloc(data_, cap));
  if (data == nullptr) throw std::bad_alloc();
  data_ = data;
  cap_ = cap;
}

ByteBuffer Writer::release() noexcept {
  if (data_ == nullptr) return ByteBuffer{0, 0, placeholder_data()};
  ByteBuffer out{cap_, len_, data_};
  data_ = nullptr;
  len_ = cap_ = 0;
  return out;
}

void Reader::negative_count() { throw DecodeError("out of range integral type conversion attempted"); }

void Reader::finish() const {
  if (left_ != 0) throw DecodeError("junk data left in buffer after lifting (count: " + std::to_string(left_) + ")");
}

void Reader::not_enough(std::size_t n) const {
  throw DecodeError("not enough bytes remaining in buffer (" + std::to_string(left_) + " < " + std::to_string(n) + ")");
}

bool bool_from_byte(uint8_t byte) {
  if (byte > 1) throw DecodeError("unexpected byte for Boolean");
  return byte == 1;
}

void require_utf8_slow(std::span<const uint8_t> bytes) {
  if (auto error = text::validate_utf8(bytes)) throw DecodeError(text::describe(*error));
}

void invalid_enum_value(std::string_view enum_name, int32_t number) {
  throw DecodeError("Invalid " + std::string(enum_name) + " enum value: " + std::to_string(number));
}

}  // namespace velmora::ffi
