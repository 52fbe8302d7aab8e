#include <gtest/gtest.h>

#include "platform/text/utf8.h"

namespace velmora::text {
namespace {

std::span<const uint8_t> bytes_of(std::string_view s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

TEST(Utf8, ErrorsNameTheBadSequenceAndWhereItStarts) {
  struct Case {
    std::string_view input;
    std::string expected;  // empty: valid
  } cases[] = {
      {"", ""},
      {"plain ascii, longer than eight bytes", ""},
      {"\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", ""},
      {"ab\x80", "invalid utf-8 sequence of 1 bytes from index 2"},
      {"\xC0\xAF", "invalid utf-8 sequence of 1 bytes from index 0"},            // overlong
      {"\xED\xA0\x80", "invalid utf-8 sequence of 1 bytes from index 0"},        // surrogate
      {"\xF4\x90\x80\x80", "invalid utf-8 sequence of 1 bytes from index 0"},    // above U+10FFFF
      {"x\xE2\x82x", "invalid utf-8 sequence of 2 bytes from index 1"},
      {"\xF0\x9F\x98x", "invalid utf-8 sequence of 3 bytes from index 0"},
      {"12345678\xE2\x82", "incomplete utf-8 byte sequence from index 8"},
      {"\xF0", "incomplete utf-8 byte sequence from index 0"},
  };
  for (const auto& c : cases) {
    auto error = validate_utf8(bytes_of(c.input));
    EXPECT_EQ(error ? describe(*error) : "", c.expected) << c.input;
  }
}

TEST(Utf8, LossyDecodingReplacesEachBadSequenceOnce) {
  struct Case {
    std::string_view input;
    std::string_view expected;
  } cases[] = {
      {"ok", "ok"},
      {"a\x80" "b", "a\xEF\xBF\xBD" "b"},
      {"\xE2\x82x", "\xEF\xBF\xBDx"},
      {"\xF0\x9F\x98", "\xEF\xBF\xBD"},
      {"\xFF\xFF", "\xEF\xBF\xBD\xEF\xBF\xBD"},
  };
  for (const auto& c : cases) EXPECT_EQ(decode_utf8_lossy(bytes_of(c.input)), c.expected);
}

}  // namespace
}  // namespace velmora::text
