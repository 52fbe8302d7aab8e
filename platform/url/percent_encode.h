// The URL Standard's percent-encode sets, percent-encoding and -decoding, and
// the application/x-www-form-urlencoded serializer.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace velmora::url {

// A set of bytes that are written as %XX. Every set holds the C0 controls and
// every byte above 0x7E, so encoding UTF-8 byte by byte gives the same result
// as encoding whole code points.
class EncodeSet {
 public:
  constexpr bool contains(uint8_t byte) const { return (bits_[byte >> 6] >> (byte & 63)) & 1; }

  constexpr EncodeSet with(std::initializer_list<char> bytes) const {
    EncodeSet result = *this;
    for (char c : bytes) {
      const auto b = static_cast<uint8_t>(c);
      result.bits_[b >> 6] |= uint64_t{1} << (b & 63);
    }
    return result;
  }

  static constexpr EncodeSet c0_control() {
    EncodeSet set;
    set.bits_[0] = 0xFFFFFFFFu;                     // 0x00 to 0x1F
    set.bits_[1] = uint64_t{1} << 63;               // 0x7F
    set.bits_[2] = set.bits_[3] = ~uint64_t{0};     // 0x80 to 0xFF
    return set;
  }

 private:
  std::array<uint64_t, 4> bits_{};
};

inline constexpr EncodeSet kC0ControlSet = EncodeSet::c0_control();
inline constexpr EncodeSet kFragmentSet = kC0ControlSet.with({' ', '"', '<', '>', '`'});
inline constexpr EncodeSet kQuerySet = kC0ControlSet.with({' ', '"', '#', '<', '>'});
inline constexpr EncodeSet kSpecialQuerySet = kQuerySet.with({'\''});
inline constexpr EncodeSet kPathSet = kQuerySet.with({'?', '^', '`', '{', '}'});
inline constexpr EncodeSet kUserinfoSet = kPathSet.with({'/', ':', ';', '=', '@', '[', '\\', ']', '|'});
inline constexpr EncodeSet kComponentSet = kUserinfoSet.with({'$', '%', '&', '+', ','});
inline constexpr EncodeSet kFormSet = kComponentSet.with({'!', '\'', '(', ')', '~'});

// Appends byte to out, as %XX (upper-case hex) when set holds it.
inline void percent_encode_byte(uint8_t byte, const EncodeSet& set, std::string& out) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  if (set.contains(byte)) {
    const char encoded[3] = {'%', kHex[byte >> 4], kHex[byte & 15]};
    out.append(encoded, 3);
  } else {
    out.push_back(static_cast<char>(byte));
  }
}

// Appends input to out with every byte of set percent-encoded.
void percent_encode(std::string_view input, const EncodeSet& set, std::string& out);

// Bytes of input with each "%" and two hex digits replaced by that byte; any
// other "%" is kept as it is.
std::string percent_decode(std::string_view input);

// Appends input in application/x-www-form-urlencoded form: space as "+", the
// form set percent-encoded.
void form_urlencode(std::string_view input, std::string& out);

}  // namespace velmora::url
