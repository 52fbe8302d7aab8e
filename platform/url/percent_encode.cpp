#include "percent_encode.h"

namespace velmora::url {
namespace {

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void percent_encode(std::string_view input, const EncodeSet& set, std::string& out) {
  for (char c : input) percent_encode_byte(static_cast<uint8_t>(c), set, out);
}

std::string percent_decode(std::string_view input) {
  std::string out;
  out.reserve(input.size());
  for (std::size_t i = 0; i < input.size(); ++i) {
    if (input[i] == '%' && i + 2 < input.size()) {
      const int high = hex_value(input[i + 1]);
      const int low = hex_value(input[i + 2]);
      if (high >= 0 && low >= 0) {
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    out.push_back(input[i]);
  }
  return out;
}

void form_urlencode(std::string_view input, std::string& out) {
  for (char c : input) {
    if (c == ' ')
      out.push_back('+');
    else
      percent_encode_byte(static_cast<uint8_t>(c), kFormSet, out);
  }
}

}  // namespace velmora::url
