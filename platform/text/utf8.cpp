#include "utf8.h"

#include <cstring>

namespace velmora::text {
namespace {

constexpr bool is_continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// Checks the character starting at bytes[i]; returns its length, or the error.
// Mirrors the usual strict decoder: the second byte's range depends on the
// first, so that overlong forms, surrogates and values above U+10FFFF fail
// after one byte.
struct Step {
  std::size_t len;
  bool ok;
  bool incomplete;
};

Step step(std::span<const uint8_t> bytes, std::size_t i) {
  const uint8_t first = bytes[i];
  const std::size_t left = bytes.size() - i;
  if (first < 0x80) return {1, true, false};
  auto at = [&](std::size_t k) -> int { return k < left ? bytes[i + k] : -1; };
  if (first >= 0xC2 && first <= 0xDF) {
    int b1 = at(1);
    if (b1 < 0) return {0, false, true};
    if (!is_continuation(static_cast<uint8_t>(b1))) return {1, false, false};
    return {2, true, false};
  }
  if (first >= 0xE0 && first <= 0xEF) {
    int b1 = at(1);
    if (b1 < 0) return {0, false, true};
    bool second_ok = (first == 0xE0)   ? (b1 >= 0xA0 && b1 <= 0xBF)
                     : (first == 0xED) ? (b1 >= 0x80 && b1 <= 0x9F)
                                       : (b1 >= 0x80 && b1 <= 0xBF);
    if (!second_ok) return {1, false, false};
    int b2 = at(2);
    if (b2 < 0) return {0, false, true};
    if (!is_continuation(static_cast<uint8_t>(b2))) return {2, false, false};
    return {3, true, false};
  }
  if (first >= 0xF0 && first <= 0xF4) {
    int b1 = at(1);
    if (b1 < 0) return {0, false, true};
    bool second_ok = (first == 0xF0)   ? (b1 >= 0x90 && b1 <= 0xBF)
                     : (first == 0xF4) ? (b1 >= 0x80 && b1 <= 0x8F)
                                       : (b1 >= 0x80 && b1 <= 0xBF);
    if (!second_ok) return {1, false, false};
    int b2 = at(2);
    if (b2 < 0) return {0, false, true};
    if (!is_continuation(static_cast<uint8_t>(b2))) return {2, false, false};
    int b3 = at(3);
    if (b3 < 0) return {0, false, true};
    if (!is_continuation(static_cast<uint8_t>(b3))) return {3, false, false};
    return {4, true, false};
  }
  return {1, false, false};
}

}  // namespace

std::optional<Utf8Error> validate_utf8(std::span<const uint8_t> bytes) noexcept {
  std::size_t i = 0;
  while (i < bytes.size()) {
    // Fast path over ASCII, eight bytes at a time, then byte by byte.
    while (i + 8 <= bytes.size()) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if (word & 0x8080808080808080ULL) break;
      i += 8;
    }
    while (i < bytes.size() && bytes[i] < 0x80) ++i;
    if (i >= bytes.size()) break;
    Step s = step(bytes, i);
    if (!s.ok) {
      if (s.incomplete) return Utf8Error{i, std::nullopt};
      return Utf8Error{i, s.len};
    }
    i += s.len;
  }
  return std::nullopt;
}

std::string describe(const Utf8Error& error) {
  if (error.error_len) {
    return "invalid utf-8 sequence of " + std::to_string(*error.error_len) + " bytes from index " +
           std::to_string(error.valid_up_to);
  }
  return "incomplete utf-8 byte sequence from index " + std::to_string(error.valid_up_to);
}

std::string decode_utf8_lossy(std::span<const uint8_t> bytes) {
  static constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(bytes.size());
  while (!bytes.empty()) {
    auto error = validate_utf8(bytes);
    if (!error) {
      out.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
      break;
    }
    out.append(reinterpret_cast<const char*>(bytes.data()), error->valid_up_to);
    out.append(kReplacement);
    std::size_t skip = error->valid_up_to + error->error_len.value_or(bytes.size() - error->valid_up_to);
    bytes = bytes.subspan(skip);
  }
  return out;
}

}  // namespace velmora::text
