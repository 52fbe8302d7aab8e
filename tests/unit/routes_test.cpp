// Gateway routes and the validation of names and service paths.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "sdk/src/routes.h"

namespace velmora::sdk {
namespace {

using url::Url;

Url parse(std::string_view text) {
  auto url = Url::parse(text);
  EXPECT_TRUE(url.has_value()) << text;
  return url.value_or(*Url::parse("https://unused.example"));
}

std::string group() { return std::string(kApiGroup); }

// The reason of an InvalidResourceName with the given field, or a note that
// the error was something else.
std::string reason_for(const SdkError& error, std::string_view field) {
  const auto* invalid = std::get_if<sdk_error::InvalidResourceName>(&error);
  if (!invalid) return "<not InvalidResourceName>";
  if (invalid->field != field) return "<field " + invalid->field + ">";
  return invalid->reason;
}

TEST(Route, JoinsUnderTheBasePath) {
  struct Case {
    const char* base;
    const char* path;
    const char* href;
  };
  const Case cases[] = {
      {"https://gw.example", "api/x", "https://gw.example/api/x"},
      {"https://gw.example/", "api/x", "https://gw.example/api/x"},
      {"https://gw.example/prefix", "api/x", "https://gw.example/prefix/api/x"},
      {"https://gw.example/prefix/", "api/x", "https://gw.example/prefix/api/x"},
      {"https://gw.example/prefix//", "api/x", "https://gw.example/prefix/api/x"},
      {"https://gw.example", "", "https://gw.example/"},
      {"https://gw.example/prefix/", "", "https://gw.example/prefix/"},
      // Scheme, credentials, host and port stay; query and fragment go.
      {"https://u:p@gw.example:8443/p?token=1#top", "api/x", "https://u:p@gw.example:8443/p/api/x"},
      // The pathname setter encodes what the path set holds.
      {"http://gw.example", "api/a b{c}", "http://gw.example/api/a%20b%7Bc%7D"},
  };
  for (const Case& c : cases) EXPECT_EQ(route(parse(c.base), c.path).href(), c.href) << c.base << " + " << c.path;
}

TEST(Validation, DnsLabelRulesInOrder) {
  struct Case {
    std::string value;
    const char* reason;  // nullptr: accepted
  };
  const Case cases[] = {
      {"a", nullptr},
      {"0abc", nullptr},
      {"web-1", nullptr},
      {std::string(63, 'a'), nullptr},
      {"", "must not be empty"},
      {std::string(64, 'a'), "must be at most 63 bytes"},
      {std::string(64, '-'), "must be at most 63 bytes"},  // length before hyphens
      {"-a", "must not start with a hyphen"},
      {"-", "must not start with a hyphen"},
      {"-A", "must not start with a hyphen"},  // hyphen before characters
      {"a-", "must not end with a hyphen"},
      {"A-", "must not end with a hyphen"},
      {"Abc", "must contain only lowercase ASCII letters, digits, and hyphens"},
      {"a.b", "must contain only lowercase ASCII letters, digits, and hyphens"},
      {"a_b", "must contain only lowercase ASCII letters, digits, and hyphens"},
      {"caf\xC3\xA9", "must contain only lowercase ASCII letters, digits, and hyphens"},
  };
  for (const Case& c : cases) {
    const auto result = validate_dns_label_for("pool name", c.value);
    if (!c.reason) {
      EXPECT_TRUE(result.has_value()) << c.value;
      continue;
    }
    ASSERT_FALSE(result.has_value()) << c.value;
    EXPECT_EQ(result.error(), SdkError(sdk_error::InvalidResourceName{"pool name", c.value, c.reason}));
  }
}

TEST(Validation, SignedServiceUrlClaimRulesInOrder) {
  const char* kChars = "must contain only ASCII letters, digits, periods, underscores, tildes, and hyphens";
  struct Case {
    std::string claim;
    const char* reason;
  };
  const Case cases[] = {
      {"aZ0.~_-", nullptr},
      {std::string(128, 'c'), nullptr},
      {"", "must not be empty"},
      {std::string(129, 'c'), "must be at most 128 bytes"},
      {std::string(129, '/'), "must be at most 128 bytes"},
      {"a/b", kChars},
      {"a b", kChars},
      {"a%2e", kChars},
  };
  for (const Case& c : cases) {
    const auto result = validate_signed_service_url_claim(c.claim);
    if (!c.reason) {
      EXPECT_TRUE(result.has_value()) << c.claim;
      continue;
    }
    ASSERT_FALSE(result.has_value()) << c.claim;
    EXPECT_EQ(result.error(), SdkError(sdk_error::InvalidResourceName{"claim", c.claim, c.reason}));
  }
}

TEST(Validation, SignedServiceUrlIdMustBeAUuid) {
  const Url base = parse("https://gw.example");
  struct Case {
    const char* id;
    bool accepted;
  };
  const Case cases[] = {
      {"0f8fad5b-d9cb-469f-a165-70867728950e", true},
      {"0F8FAD5B-D9CB-469F-A165-70867728950E", true},
      {"{0f8fad5b-d9cb-469f-a165-70867728950e}", false},
      {"0f8fad5bd9cb469fa16570867728950e", false},
      {"0f8fad5b-d9cb-469f-a165-70867728950", false},    // 35 bytes
      {"0f8fad5b-d9cb-469f-a16570867728950e-", false},   // hyphen out of place
      {"0f8fad5b-d9cb-469f-a165-70867728950g", false},   // not hex
      {"0f8fad5b-d9cb-469f-a165-70867728950e/", false},  // 37 bytes
  };
  for (const Case& c : cases) {
    const auto url = signed_service_url_item(base, "team", c.id);
    if (c.accepted) {
      ASSERT_TRUE(url.has_value()) << c.id;
      EXPECT_EQ(url->href(), std::string("https://gw.example/api/signed-service-urls/team/") + c.id);
    } else {
      ASSERT_FALSE(url.has_value()) << c.id;
      EXPECT_EQ(url.error(), SdkError(sdk_error::InvalidResourceName{"id", c.id, "must be a UUID"}));
    }
  }
}

TEST(Routes, ItemRoutesCheckNamespaceThenName) {
  const Url base = parse("https://gw.example/gw");
  const std::string prefix = "https://gw.example/gw/api/k8s/apis/" + group() + "/v1alpha1/namespaces/team/";
  EXPECT_EQ(pool_item(base, "team", "pool-1")->href(), prefix + "kavrisandboxwarmpools/pool-1");
  EXPECT_EQ(claim_item(base, "team", "claim-1")->href(), prefix + "kavrisandboxclaims/claim-1");
  EXPECT_EQ(template_item(base, "team", "tpl-1")->href(), prefix + "kavrisandboxtemplates/tpl-1");

  EXPECT_EQ(reason_for(pool_item(base, "Team", "Bad_Name").error(), "namespace"),
            "must contain only lowercase ASCII letters, digits, and hyphens");
  EXPECT_EQ(reason_for(claim_item(base, "team", "").error(), "name"), "must not be empty");
  EXPECT_EQ(reason_for(template_item(base, "team", "x-").error(), "name"), "must not end with a hyphen");
}

TEST(Routes, SignedServiceUrlListChecksClaimFirstAndFormEncodesIt) {
  const Url base = parse("https://gw.example/?session=1#x");
  const auto url = signed_service_url_list(base, "team", "claim.a~b");
  ASSERT_TRUE(url.has_value());
  EXPECT_EQ(url->href(), "https://gw.example/api/signed-service-urls/team?claim=claim.a%7Eb");

  // Both are wrong; the claim is examined before the namespace.
  EXPECT_EQ(reason_for(signed_service_url_list(base, "Team", "").error(), "claim"), "must not be empty");
  EXPECT_EQ(reason_for(signed_service_url_list(base, "Team", "c").error(), "namespace"),
            "must contain only lowercase ASCII letters, digits, and hyphens");
  EXPECT_EQ(reason_for(signed_service_url_item(base, "-team", "nope").error(), "namespace"),
            "must not start with a hyphen");
}

TEST(Routes, UserKeyIdIsOneEncodedSegment) {
  const Url base = parse("https://gw.example/gw/?token=1");
  struct Case {
    const char* id;
    const char* href;
  };
  const Case cases[] = {
      {"key-1", "https://gw.example/gw/api/user-keys/key-1"},
      {"a/b", "https://gw.example/gw/api/user-keys/a%2Fb"},
      {"../x", "https://gw.example/gw/api/user-keys/..%2Fx"},
      {"%2e%2e", "https://gw.example/gw/api/user-keys/%252e%252e"},
      {"a b?c#d", "https://gw.example/gw/api/user-keys/a%20b%3Fc%23d"},
      {"   ", "https://gw.example/gw/api/user-keys/%20%20%20"},
  };
  for (const Case& c : cases) {
    const auto url = user_key_item(base, c.id);
    ASSERT_TRUE(url.has_value()) << c.id;
    EXPECT_EQ(url->href(), c.href);
  }
}

// "." and ".." cannot be written as a segment that stays one: any reader of
// the URL takes them, encoded or not, as "this" and "parent".
TEST(Routes, UserKeyIdThatIsADotSegmentIsRefused) {
  const Url base = parse("https://gw.example");
  for (const char* id : {".", ".."}) {
    const auto url = user_key_item(base, id);
    ASSERT_FALSE(url.has_value()) << id;
    EXPECT_EQ(url.error(), SdkError(sdk_error::InvalidResourceName{"id", id, "must not be \".\" or \"..\""}));
  }
}

TEST(Routes, UserKeyItemNeedsABaseThatTakesSegments) {
  const auto url = user_key_item(parse("mailto:gateway@example.net"), "key-1");
  ASSERT_FALSE(url.has_value());
  EXPECT_EQ(url.error(), SdkError(sdk_error::Configuration{"base_url cannot be used for user API key routes"}));
}

TEST(ServiceUrl, PathRules) {
  const Url base = parse("https://gw.example/gw?token=1#frag");
  const std::string svc = "https://gw.example/gw/api/svc/team/sandbox-1-web";
  auto encoded = [](char c, int times) {
    // c percent-encoded times times over: %2e, %252e, %25252e, ...
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out = "%";
    for (int i = 1; i < times; ++i) out += "25";
    out += kHex[(c >> 4) & 0xF];
    out += kHex[c & 0xF];
    return out;
  };
  struct Case {
    std::string path;
    std::string href;  // empty: InvalidServicePath
  };
  const Case cases[] = {
      {"/", svc + "/"},
      {"/index.html", svc + "/index.html"},
      {"/a b", svc + "/a%20b"},
      {"/v1/models/m:predict", svc + "/v1/models/m:predict"},
      {"", ""},
      {"x", ""},
      {"//x", ""},
      {"/a#b", ""},
      {"/a\\b", ""},
      {"/a/../b", ""},
      {"/a/./b", ""},
      {"/%2e%2e/x", ""},
      {"/%2E./x", ""},
      {"/a%2fb", ""},
      {"/a%5Cb", ""},
      {"/%252e%252e/x", ""},  // refused in the second pass
      {"/v1:x", ""},
      {"/http%3a%2f%2fevil", ""},
      {"/%2568ttp:x", ""},  // absolute once decoded
      // Reads as an absolute URL though its port is out of range.
      {"/http://evil.example:99999/", ""},
      {"/a%0a", ""},
      {"/a%zz", ""},
      {"/a%4", ""},
      {"/files?path=%2fetc", svc + "/files?path=%2fetc"},
      {"/files?x=%00", ""},
      {"/files?x=%7f", ""},
      {"/a?b?c", svc + "/a?b?c"},
      {"/a?", svc + "/a?"},
      {"/a?x y'", svc + "/a?x%20y%27"},
      {"/" + encoded('A', 7), svc + "/" + encoded('A', 7)},
      {"/" + encoded('A', 8), ""},
      {"/" + encoded('.', 7) + encoded('.', 7) + "/x", ""},
      {"/" + encoded('.', 8) + encoded('.', 8) + "/x", ""},
  };
  for (const Case& c : cases) {
    const auto url = service_url(base, "team", "sandbox-1-web", c.path);
    if (!c.href.empty()) {
      ASSERT_TRUE(url.has_value()) << c.path;
      EXPECT_EQ(url->href(), c.href) << c.path;
    } else {
      ASSERT_FALSE(url.has_value()) << c.path;
      EXPECT_EQ(url.error(), SdkError(sdk_error::InvalidServicePath{c.path})) << c.path;
    }
  }
}

TEST(ServiceUrl, NamesAreCheckedBeforeThePath) {
  const Url base = parse("https://gw.example");
  EXPECT_EQ(reason_for(service_url(base, "Team", "Web", "").error(), "namespace"),
            "must contain only lowercase ASCII letters, digits, and hyphens");
  EXPECT_EQ(reason_for(service_url(base, "team", "", "").error(), "service"), "must not be empty");
}

TEST(ServiceUrl, SafeComponentJudgesQueryAndPathApart) {
  // A slash is fine in a query once decoded, not in a path.
  EXPECT_TRUE(is_safe_service_component("a=%2f", false));
  EXPECT_FALSE(is_safe_service_component("/a%2f", true));
  // Dot segments and absolute URLs matter only in paths.
  EXPECT_TRUE(is_safe_service_component("../x", false));
  EXPECT_TRUE(is_safe_service_component("http://x", false));
  EXPECT_TRUE(is_safe_service_component("", false));
  EXPECT_TRUE(is_safe_service_component("", true));
}

}  // namespace
}  // namespace velmora::sdk
