// The byte encoding of values that cross the boundary: big-endian integers,
// 4-byte signed lengths and counts, 1-byte optional tags and booleans, enums as
// 1-based 4-byte variant numbers followed by their fields, objects as 8-byte
// handles. Codec<T> writes and reads one value nested inside others.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "buffer.h"
#include "declare.h"
#include "object.h"

namespace velmora::ffi {

// Bytes a foreign caller wrote could not be decoded; what() is the description
// that goes after "Failed to convert arg '<name>':\n".
class DecodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value too long for the encoding's 2^31 - 1 limit on lengths and counts.
class EncodeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr std::size_t kMaxEncodedCount = 0x7FFFFFFF;

// A growing byte sequence that is handed over as a ByteBuffer when done.
class Writer {
 public:
  Writer() = default;
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  ~Writer();

  void u8(uint8_t v) { put(&v, 1); }
  void u16(uint16_t v) { put_be(v); }
  void u32(uint32_t v) { put_be(v); }
  void u64(uint64_t v) { put_be(v); }
  void i32(int32_t v) { put_be(static_cast<uint32_t>(v)); }
  // A length or count, refused above the encoding's limit.
  void count(std::size_t n);
  void bytes(std::span<const uint8_t> b) { put(b.data(), b.size()); }
  void bytes(std::string_view s) { put(s.data(), s.size()); }

  std::size_t size() const noexcept { return len_; }
  // Hands the bytes over; the writer is empty afterwards.
  ByteBuffer release() noexcept;

 private:
  template <class U>
  void put_be(U v) {
    if constexpr (sizeof(U) > 1) v = std::byteswap(v);
    put(&v, sizeof(U));
  }
  void put(const void* p, std::size_t n) {
    if (cap_ - len_ < n) grow(n);
    if (n != 0) std::memcpy(data_ + len_, p, n);
    len_ += n;
  }
  void grow(std::size_t n);

  uint8_t* data_ = nullptr;
  std::size_t len_ = 0;
  std::size_t cap_ = 0;
};

// A cursor over bytes that checks before every read that enough remain.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> bytes) noexcept : p_(bytes.data()), left_(bytes.size()) {}

  uint8_t u8() { return get_be<uint8_t>(); }
  uint16_t u16() { return get_be<uint16_t>(); }
  uint32_t u32() { return get_be<uint32_t>(); }
  uint64_t u64() { return get_be<uint64_t>(); }
  int32_t i32() { return static_cast<int32_t>(get_be<uint32_t>()); }
  // A length or count: a signed 32-bit value whose sign bit must be clear.
  std::size_t count() {
    int32_t n = i32();
    if (n < 0) negative_count();
    return static_cast<std::size_t>(n);
  }
  std::span<const uint8_t> take(std::size_t n) {
    need(n);
    std::span<const uint8_t> out(p_, n);
    p_ += n;
    left_ -= n;
    return out;
  }

  std::size_t remaining() const noexcept { return left_; }
  // Whole-buffer decoding: nothing may follow the value.
  void finish() const;

 private:
  void need(std::size_t n) const {
    if (left_ < n) not_enough(n);
  }
  [[noreturn]] void not_enough(std::size_t n) const;
  [[noreturn]] static void negative_count();
  template <class U>
  U get_be() {
    need(sizeof(U));
    U v;
    std::memcpy(&v, p_, sizeof(U));
    p_ += sizeof(U);
    left_ -= sizeof(U);
    if constexpr (sizeof(U) > 1) return std::byteswap(v);
    return v;
  }

  const uint8_t* p_;
  std::size_t left_;
};

template <class T>
struct Codec;  // write(Writer&, const T&) and read(Reader&) for each value kind

template <>
struct Codec<uint8_t> {
  static void write(Writer& w, uint8_t v) { w.u8(v); }
  static uint8_t read(Reader& r) { return r.u8(); }
};
template <>
struct Codec<uint16_t> {
  static void write(Writer& w, uint16_t v) { w.u16(v); }
  static uint16_t read(Reader& r) { return r.u16(); }
};
template <>
struct Codec<uint32_t> {
  static void write(Writer& w, uint32_t v) { w.u32(v); }
  static uint32_t read(Reader& r) { return r.u32(); }
};
template <>
struct Codec<uint64_t> {
  static void write(Writer& w, uint64_t v) { w.u64(v); }
  static uint64_t read(Reader& r) { return r.u64(); }
};

bool bool_from_byte(uint8_t byte);

template <>
struct Codec<bool> {
  static void write(Writer& w, bool v) { w.u8(v ? 1 : 0); }
  static bool read(Reader& r) { return bool_from_byte(r.u8()); }
};

// Throws DecodeError with the validator's description unless bytes are UTF-8.
void require_utf8_slow(std::span<const uint8_t> bytes);
inline void require_utf8(std::span<const uint8_t> bytes) {
  // Most strings on the wire are short and ASCII: check that inline first,
  // eight bytes at a time (the last word may overlap the one before it).
  const uint8_t* p = bytes.data();
  std::size_t n = bytes.size();
  uint64_t high = 0;
  if (n >= 8) {
    for (std::size_t i = 0; i + 8 <= n; i += 8) {
      uint64_t word;
      std::memcpy(&word, p + i, 8);
      high |= word;
    }
    uint64_t last;
    std::memcpy(&last, p + n - 8, 8);
    high |= last;
  } else {
    for (std::size_t i = 0; i < n; ++i) high |= p[i];
  }
  if (high & 0x8080808080808080ULL) require_utf8_slow(bytes);
}

template <>
struct Codec<std::string> {
  static void write(Writer& w, const std::string& v) {
    w.count(v.size());
    w.bytes(v);
  }
  static std::string read(Reader& r) {
    auto bytes = r.take(r.count());
    require_utf8(bytes);
    return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  }
};

// Byte sequences: the count, then the bytes.
template <>
struct Codec<std::vector<uint8_t>> {
  static void write(Writer& w, const std::vector<uint8_t>& v) {
    w.count(v.size());
    w.bytes(v);
  }
  static std::vector<uint8_t> read(Reader& r) {
    auto bytes = r.take(r.count());
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }
};

template <class T>
struct Codec<std::optional<T>> {
  static void write(Writer& w, const std::optional<T>& v) {
    w.u8(v ? 1 : 0);
    if (v) Codec<T>::write(w, *v);
  }
  static std::optional<T> read(Reader& r) {
    switch (r.u8()) {
      case 0:
        return std::nullopt;
      case 1:
        return Codec<T>::read(r);
      default:
        throw DecodeError("unexpected tag byte for Option");
    }
  }
};

template <class T>
struct Codec<std::vector<T>> {
  static void write(Writer& w, const std::vector<T>& v) {
    w.count(v.size());
    for (const auto& e : v) Codec<T>::write(w, e);
  }
  static std::vector<T> read(Reader& r) {
    // No reserve from the declared count: a count larger than the bytes that
    // follow must fail on the missing bytes, not allocate for them.
    std::size_t n = r.count();
    std::vector<T> out;
    for (std::size_t i = 0; i < n; ++i) out.push_back(Codec<T>::read(r));
    return out;
  }
};

template <>
struct Codec<std::map<std::string, std::string>> {
  using Map = std::map<std::string, std::string>;
  static void write(Writer& w, const Map& v) {
    w.count(v.size());
    for (const auto& [key, value] : v) {
      Codec<std::string>::write(w, key);
      Codec<std::string>::write(w, value);
    }
  }
  static Map read(Reader& r) {
    std::size_t n = r.count();
    Map out;
    for (std::size_t i = 0; i < n; ++i) {
      std::string key = Codec<std::string>::read(r);
      std::string value = Codec<std::string>::read(r);
      // Keys usually arrive sorted, so the end is the likely place; a repeated key replaces.
      if (out.empty() || out.rbegin()->first < key) {
        out.emplace_hint(out.end(), std::move(key), std::move(value));
        continue;
      }
      auto hint = out.lower_bound(key);
      if (hint != out.end() && hint->first == key) {
        hint->second = std::move(value);
      } else {
        out.emplace_hint(hint, std::move(key), std::move(value));
      }
    }
    return out;
  }
};

// An object inside a value: its handle, carrying one reference.
template <ObjectType T>
struct Codec<Ref<T>> {
  static void write(Writer& w, const Ref<T>& v) {
    Ref<T> copy = v;
    w.u64(to_handle(std::move(copy)));
  }
  static Ref<T> read(Reader& r) { return adopt_handle<T>(r.u64()); }
};

template <RecordType T>
struct Codec<T> {
  static void write(Writer& w, const T& v) {
    for_each_field<T>([&](const auto& f) {
      using V = typename std::remove_cvref_t<decltype(f)>::value_type;
      Codec<V>::write(w, v.*(f.member));
    });
  }
  // Fields are read straight into the aggregate, in declared order (braces
  // sequence the reads); declarations list every member in member order.
  static T read(Reader& r) { return read_fields(r, std::make_index_sequence<info_of<T>.field_count>{}); }

 private:
  static_assert(aggregate_arity_v<T> == info_of<T>.field_count, "a declaration lists every member of its record");
  template <std::size_t... I>
  static T read_fields(Reader& r, std::index_sequence<I...>) {
    return T{Codec<typename std::tuple_element_t<I, decltype(info_of<T>.fields)>::value_type>::read(r)...};
  }
};

[[noreturn]] void invalid_enum_value(std::string_view enum_name, int32_t number);

template <EnumType T>
struct Codec<T> {
  static constexpr auto count = info_of<T>.variants.size();
  static void write(Writer& w, T v) { w.i32(static_cast<int32_t>(v)); }
  static T read(Reader& r) {
    int32_t n = r.i32();
    if (n < 1 || static_cast<std::size_t>(n) > count) invalid_enum_value(info_of<T>.names.name, n);
    return static_cast<T>(n);
  }
};

template <ErrorEnumType E>
struct Codec<E> {
  using Variant = error_variant_t<E>;
  static constexpr auto count = std::variant_size_v<Variant>;

  static void write(Writer& w, const E& v) {
    w.i32(static_cast<int32_t>(v.index() + 1));
    std::visit([&](const auto& alt) { Codec<std::remove_cvref_t<decltype(alt)>>::write(w, alt); },
               static_cast<const Variant&>(v));
  }
  static E read(Reader& r) {
    int32_t n = r.i32();
    if (n < 1 || static_cast<std::size_t>(n) > count) invalid_enum_value(info_of<E>.names.name, n);
    return read_variant(r, static_cast<std::size_t>(n - 1), std::make_index_sequence<count>{});
  }

 private:
  template <std::size_t... I>
  static E read_variant(Reader& r, std::size_t index, std::index_sequence<I...>) {
    using Reader_ = E (*)(Reader&);
    static constexpr Reader_ readers[] = {
        [](Reader& rr) -> E { return E{Codec<std::variant_alternative_t<I, Variant>>::read(rr)}; }...};
    return readers[index](r);
  }
};

// Encodes one value into a new buffer of its own (whole-value form).
template <class T>
ByteBuffer encode_to_buffer(const T& value) {
  Writer w;
  Codec<T>::write(w, value);
  return w.release();
}

// Decodes exactly one value from bytes; anything left over fails.
template <class T>
T decode_whole(std::span<const uint8_t> bytes) {
  Reader r(bytes);
  T value = Codec<T>::read(r);
  r.finish();
  return value;
}

}  // namespace velmora::ffi
