// The error helpers of the SDK: bounded response bodies and the access-denied mapping.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sdk/src/error.h"

namespace velmora::sdk {
namespace {

std::vector<uint8_t> bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

TEST(BoundedBody, DecodesLossilyThenCutsOnACharacterBoundary) {
  const std::string a4093(4093, 'a'), a4094(4094, 'a'), a4095(4095, 'a'), a4096(4096, 'a');
  const std::string replacement = "\xEF\xBF\xBD";
  std::string replacements_1365;
  for (int i = 0; i < 1365; ++i) replacements_1365 += replacement;

  struct Case {
    std::string name;
    std::string body;
    std::string expected;
  } cases[] = {
      {"empty", "", ""},
      {"4096 ASCII bytes", a4096, a4096},
      {"4097 ASCII bytes", a4096 + "b", a4096},
      {"4095 ASCII bytes and a two-byte character", a4095 + "\xC3\xA9", a4095},
      {"4094 ASCII bytes and a two-byte character", a4094 + "\xC3\xA9", a4094 + "\xC3\xA9"},
      {"4094 ASCII bytes and a four-byte character", a4094 + "\xF0\x9F\x98\x80", a4094},
      {"an invalid byte whose replacement just fits", a4093 + "\xFF", a4093 + replacement},
      {"an invalid byte whose replacement goes over", a4094 + "\xFF", a4094},
      {"invalid bytes only", std::string(2000, '\xFF'), replacements_1365},
      {"a truncated sequence at the end", "ok\xE2\x82", "ok" + replacement},
  };
  for (const auto& c : cases) EXPECT_EQ(bounded_body(bytes(c.body)), c.expected) << c.name;
}

TEST(DenyPoolAccess, OnlyAForbiddenStatusBecomesPoolAccessDenied) {
  const std::string ns = "builds";
  const sdk_error::PoolAccessDenied denied{"create pool", "builds", 403, "no"};
  struct Case {
    SdkError error;
    SdkError expected;
  } cases[] = {
      {sdk_error::Configuration{"c"}, sdk_error::Configuration{"c"}},
      {sdk_error::InvalidResourceName{"f", "v", "r"}, sdk_error::InvalidResourceName{"f", "v", "r"}},
      {sdk_error::Transport{"t"}, sdk_error::Transport{"t"}},
      {sdk_error::Token{"k"}, sdk_error::Token{"k"}},
      {sdk_error::Body{"b"}, sdk_error::Body{"b"}},
      {sdk_error::Status{"create pool", 403, "no"}, denied},
      {sdk_error::Status{"create pool", 404, "gone"}, sdk_error::Status{"create pool", 404, "gone"}},
      {sdk_error::Status{"create pool", 401, "who"}, sdk_error::Status{"create pool", 401, "who"}},
      {sdk_error::SignedServiceUrlsUnavailable{}, sdk_error::SignedServiceUrlsUnavailable{}},
      {sdk_error::UnknownService{"db", {"http"}}, sdk_error::UnknownService{"db", {"http"}}},
      {sdk_error::InvalidServicePath{"/.."}, sdk_error::InvalidServicePath{"/.."}},
      {sdk_error::ClaimFailed{"Failed", "{}"}, sdk_error::ClaimFailed{"Failed", "{}"}},
      {sdk_error::ClaimTimeout{}, sdk_error::ClaimTimeout{}},
      {sdk_error::PoolAccessDenied{"delete pool", "other", 403, "x"},
       sdk_error::PoolAccessDenied{"delete pool", "other", 403, "x"}},
  };
  for (const auto& c : cases) {
    const SdkError::Variant& got = deny_pool_access(c.error, ns);
    EXPECT_EQ(got, static_cast<const SdkError::Variant&>(c.expected)) << "variant " << c.error.index() + 1;
  }
}

}  // namespace
}  // namespace velmora::sdk
