// UTF-8 validation with precise error positions, and lossy decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velmora::text {

struct Utf8Error {
  std::size_t valid_up_to;               // bytes before the bad sequence
  std::optional<std::size_t> error_len;  // length of the bad sequence; empty when the input ends inside one
};

// The first invalid sequence of bytes, or nothing when all of bytes is UTF-8.
// The sequence length is that of the maximal prefix of a valid character
// (so one U+FFFD replaces it in lossy decoding).
std::optional<Utf8Error> validate_utf8(std::span<const uint8_t> bytes) noexcept;

// "invalid utf-8 sequence of N bytes from index I" or
// "incomplete utf-8 byte sequence from index I".
std::string describe(const Utf8Error& error);

// Decodes bytes as UTF-8, replacing each invalid sequence with U+FFFD.
std::string decode_utf8_lossy(std::span<const uint8_t> bytes);

}  // namespace velmora::text
