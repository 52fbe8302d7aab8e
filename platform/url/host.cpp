#include "host.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/text/utf8.h"
#include "platform/url/idna.h"
#include "platform/url/percent_encode.h"

namespace velmora::url {
namespace {

bool is_forbidden_host_byte(uint8_t c) {
  switch (c) {
    case 0x00: case '\t': case '\n': case '\r': case ' ': case '#': case '/': case ':': case '<': case '>':
    case '?': case '@': case '[': case '\\': case ']': case '^': case '|':
      return true;
    default:
      return false;
  }
}

bool is_forbidden_domain_byte(uint8_t c) {
  return is_forbidden_host_byte(c) || c <= 0x1F || c == '%' || c == 0x7F;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
  if (is_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// An IPv4 number: decimal, octal after "0", hex after "0x". Values beyond
// 2^32 are held at 2^32 + 1, which every caller refuses.
std::optional<uint64_t> parse_ipv4_number(std::string_view input) {
  if (input.empty()) return std::nullopt;
  unsigned radix = 10;
  if (input.size() >= 2 && input[0] == '0' && (input[1] == 'x' || input[1] == 'X')) {
    input.remove_prefix(2);
    radix = 16;
  } else if (input.size() >= 2 && input[0] == '0') {
    input.remove_prefix(1);
    radix = 8;
  }
  constexpr uint64_t kCap = (uint64_t{1} << 32) + 1;
  uint64_t value = 0;
  for (char c : input) {
    const int digit = hex_digit(c);
    if (digit < 0 || static_cast<unsigned>(digit) >= radix) return std::nullopt;
    value = value * radix + static_cast<unsigned>(digit);
    if (value > kCap) value = kCap;
  }
  return value;
}

bool ends_in_a_number(std::string_view input) {
  if (!input.empty() && input.back() == '.') {
    input.remove_suffix(1);
    if (input.empty()) return false;  // "." alone: one empty part
  }
  const std::size_t dot = input.rfind('.');
  const std::string_view last = dot == std::string_view::npos ? input : input.substr(dot + 1);
  if (last.empty()) return false;
  bool all_digits = true;
  for (char c : last) all_digits = all_digits && is_digit(c);
  return all_digits || parse_ipv4_number(last).has_value();
}

std::expected<Host, UrlError> parse_ipv4(std::string_view input) {
  if (!input.empty() && input.back() == '.') input.remove_suffix(1);
  std::array<uint64_t, 4> numbers{};
  std::size_t count = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = input.find('.', start);
    if (count == 4) return std::unexpected(UrlError::invalid_ipv4);
    const auto number = parse_ipv4_number(input.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (!number) return std::unexpected(UrlError::invalid_ipv4);
    numbers[count++] = *number;
    if (dot == std::string_view::npos) break;
    start = dot + 1;
  }
  for (std::size_t i = 0; i + 1 < count; ++i)
    if (numbers[i] > 255) return std::unexpected(UrlError::invalid_ipv4);
  if (numbers[count - 1] >= (uint64_t{1} << (8 * (5 - count)))) return std::unexpected(UrlError::invalid_ipv4);
  uint64_t address = numbers[count - 1];
  for (std::size_t i = 0; i + 1 < count; ++i) address += numbers[i] << (8 * (3 - i));

  Host host{HostKind::ipv4, {}};
  for (int shift = 24; shift >= 0; shift -= 8) {
    host.serialized += std::to_string((address >> shift) & 0xFF);
    if (shift) host.serialized.push_back('.');
  }
  return host;
}

std::optional<std::array<uint16_t, 8>> parse_ipv6_pieces(std::string_view input) {
  std::array<uint16_t, 8> address{};
  std::size_t piece = 0;
  std::optional<std::size_t> compress;
  std::size_t p = 0;
  const std::size_t n = input.size();
  auto at = [&](std::size_t i) -> int { return i < n ? static_cast<unsigned char>(input[i]) : -1; };

  if (at(p) == ':') {
    if (at(p + 1) != ':') return std::nullopt;
    p += 2;
    compress = ++piece;
  }
  while (at(p) != -1) {
    if (piece == 8) return std::nullopt;
    if (at(p) == ':') {
      if (compress) return std::nullopt;
      ++p;
      compress = ++piece;
      continue;
    }
    unsigned value = 0;
    std::size_t length = 0;
    while (length < 4 && at(p) != -1 && hex_digit(static_cast<char>(at(p))) >= 0) {
      value = value * 16 + static_cast<unsigned>(hex_digit(static_cast<char>(at(p))));
      ++p;
      ++length;
    }
    if (at(p) == '.') {
      if (length == 0) return std::nullopt;
      p -= length;
      if (piece > 6) return std::nullopt;
      int numbers_seen = 0;
      while (at(p) != -1) {
        int ipv4_piece = -1;
        if (numbers_seen > 0) {
          if (at(p) == '.' && numbers_seen < 4)
            ++p;
          else
            return std::nullopt;
        }
        if (at(p) == -1 || !is_digit(static_cast<char>(at(p)))) return std::nullopt;
        while (at(p) != -1 && is_digit(static_cast<char>(at(p)))) {
          const int number = at(p) - '0';
          if (ipv4_piece == -1)
            ipv4_piece = number;
          else if (ipv4_piece == 0)
            return std::nullopt;
          else
            ipv4_piece = ipv4_piece * 10 + number;
          if (ipv4_piece > 255) return std::nullopt;
          ++p;
        }
        address[piece] = static_cast<uint16_t>(address[piece] * 0x100 + ipv4_piece);
        ++numbers_seen;
        if (numbers_seen == 2 || numbers_seen == 4) ++piece;
      }
      if (numbers_seen != 4) return std::nullopt;
      break;
    }
    if (at(p) == ':') {
      ++p;
      if (at(p) == -1) return std::nullopt;
    } else if (at(p) != -1) {
      return std::nullopt;
    }
    address[piece++] = static_cast<uint16_t>(value);
  }
  if (compress) {
    std::size_t swaps = piece - *compress;
    piece = 7;
    while (piece != 0 && swaps > 0) {
      std::swap(address[piece], address[*compress + swaps - 1]);
      --piece;
      --swaps;
    }
  } else if (piece != 8) {
    return std::nullopt;
  }
  return address;
}

std::string serialize_ipv6(const std::array<uint16_t, 8>& address) {
  // The first longest run of two or more zero pieces becomes "::".
  std::size_t best_start = 8, best_len = 1;
  for (std::size_t i = 0; i < 8;) {
    if (address[i] != 0) {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < 8 && address[j] == 0) ++j;
    if (j - i > best_len) {
      best_start = i;
      best_len = j - i;
    }
    i = j;
  }
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out = "[";
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == best_start) {
      out += i == 0 ? "::" : ":";
      i += best_len - 1;
      continue;
    }
    bool leading = true;
    for (int shift = 12; shift >= 0; shift -= 4) {
      const unsigned digit = (address[i] >> shift) & 0xF;
      if (leading && digit == 0 && shift != 0) continue;
      leading = false;
      out.push_back(kHex[digit]);
    }
    if (i != 7) out.push_back(':');
  }
  out.push_back(']');
  return out;
}

std::expected<Host, UrlError> parse_opaque_host(std::string_view input) {
  Host host{HostKind::opaque, {}};
  for (char c : input) {
    if (is_forbidden_host_byte(static_cast<uint8_t>(c))) return std::unexpected(UrlError::invalid_host_character);
  }
  percent_encode(input, kC0ControlSet, host.serialized);
  if (host.serialized.empty()) host.kind = HostKind::empty;
  return host;
}

}  // namespace

std::expected<Host, UrlError> parse_host(std::string_view input, bool is_opaque) {
  if (!input.empty() && input.front() == '[') {
    if (input.back() != ']' || input.size() < 2) return std::unexpected(UrlError::invalid_ipv6);
    const auto address = parse_ipv6_pieces(input.substr(1, input.size() - 2));
    if (!address) return std::unexpected(UrlError::invalid_ipv6);
    return Host{HostKind::ipv6, serialize_ipv6(*address)};
  }
  if (is_opaque) return parse_opaque_host(input);

  std::string decoded = percent_decode(input);
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(decoded.data()), decoded.size());
  if (text::validate_utf8(bytes)) decoded = text::decode_utf8_lossy(bytes);

  std::optional<std::string> ascii = domain_to_ascii(decoded);
  if (!ascii) return std::unexpected(UrlError::invalid_domain);
  for (char c : *ascii) {
    if (is_forbidden_domain_byte(static_cast<uint8_t>(c))) return std::unexpected(UrlError::invalid_domain_character);
  }
  if (ends_in_a_number(*ascii)) return parse_ipv4(*ascii);
  return Host{HostKind::domain, std::move(*ascii)};
}

}  // namespace velmora::url
