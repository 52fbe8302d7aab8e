// Reading a text through both JSON readers, as one comparable outcome.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/json/json.h"

namespace velmora::testing {

// "ok " and the value written back as JSON, or "error " and the message. Both
// readers (the fast one with its fallback, and the located one alone) must
// give the same outcome.
template <class T>
std::string read_outcome(std::string_view text) {
  auto describe = [](const std::expected<T, json::JsonError>& read) {
    if (!read) return "error " + read.error().message;
    auto written = json::write_json(*read);
    return written ? "ok " + *written : "unwritable " + written.error().message;
  };
  std::string fast = describe(json::read_json<T>(text));
  std::string located = describe(json::read_json_located<T>(text));
  EXPECT_EQ(fast, located) << "the two readers differ on " << text;
  return fast;
}

}  // namespace velmora::testing
