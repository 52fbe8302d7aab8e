// The eight SDK builders through the public header.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "builders.h"
#include "velmora_sdk.h"
#include "wire.h"

namespace {

using testing_builders::Builder;
using testing_builders::bytes;
using testing_builders::scalar;
using testing_builders::text;
using wire::Bytes;

#define SDK_BUILDER(LOWER)                                                                                    \
  Builder {                                                                                                  \
    bind_velmora_sdk_fn_constructor_##LOWER##_new, bind_velmora_sdk_fn_method_##LOWER##_build,                \
        bind_velmora_sdk_fn_clone_##LOWER, bind_velmora_sdk_fn_free_##LOWER                                   \
  }

// Argument values in boundary encoding.
const Bytes kMetadata = wire::Out().str("ns").str("t").none().none().bytes;
const Bytes kTemplateSpec = wire::Out().str("img").raw(Bytes(14, 0)).bytes;
const Bytes kPoolSpec = wire::Out().u32(1).str("tpl").none().none().bytes;
const Bytes kPool = wire::Out().str("v").str("KavriSandboxWarmPool").raw(kMetadata).raw(kPoolSpec).none().bytes;
const Bytes kSandbox = wire::Out().str("ns").str("claim-a").str("sb-1").u32(1).str("http").bytes;
const Bytes kNoHeaders = wire::Out().u32(0).bytes;

TEST(SdkBuilders, BuildNamesTheFirstMissingFieldInOrder) {
  const testing_builders::OrderCase cases[] = {
      {"Template", SDK_BUILDER(templatebuilder),
       {{"api_version", text(bind_velmora_sdk_fn_method_templatebuilder_api_version, "v")},
        {"kind", text(bind_velmora_sdk_fn_method_templatebuilder_kind, "KavriSandboxTemplate")},
        {"metadata", bytes(bind_velmora_sdk_fn_method_templatebuilder_metadata, kMetadata)},
        {"spec", bytes(bind_velmora_sdk_fn_method_templatebuilder_spec, kTemplateSpec)}}},
      {"CreateTemplateRequest", SDK_BUILDER(createtemplaterequestbuilder),
       {{"namespace", text(bind_velmora_sdk_fn_method_createtemplaterequestbuilder_namespace, "ns")},
        {"name", text(bind_velmora_sdk_fn_method_createtemplaterequestbuilder_name, "t")},
        {"spec", bytes(bind_velmora_sdk_fn_method_createtemplaterequestbuilder_spec, kTemplateSpec)}}},
      {"CreatePoolRequest", SDK_BUILDER(createpoolrequestbuilder),
       {{"namespace", text(bind_velmora_sdk_fn_method_createpoolrequestbuilder_namespace, "ns")},
        {"spec", bytes(bind_velmora_sdk_fn_method_createpoolrequestbuilder_spec, kPoolSpec)}}},
      {"CreateClaimRequest", SDK_BUILDER(createclaimrequestbuilder),
       {{"pool", bytes(bind_velmora_sdk_fn_method_createclaimrequestbuilder_pool, kPool)}}},
      {"CreateSignedServiceUrlRequest", SDK_BUILDER(createsignedserviceurlrequestbuilder),
       {{"sandbox", bytes(bind_velmora_sdk_fn_method_createsignedserviceurlrequestbuilder_sandbox, kSandbox)},
        {"service", text(bind_velmora_sdk_fn_method_createsignedserviceurlrequestbuilder_service, "http")},
        {"expires_in_seconds",
         scalar<uint32_t>(bind_velmora_sdk_fn_method_createsignedserviceurlrequestbuilder_expires_in_seconds, 0)}}},
      {"CreateUserApiKeyRequest", SDK_BUILDER(createuserapikeyrequestbuilder),
       {{"name", text(bind_velmora_sdk_fn_method_createuserapikeyrequestbuilder_name, "ci")},
        {"scope", bytes(bind_velmora_sdk_fn_method_createuserapikeyrequestbuilder_scope, wire::Out().u32(0).bytes)}}},
      {"HttpRequest", SDK_BUILDER(httprequestbuilder),
       {{"method", text(bind_velmora_sdk_fn_method_httprequestbuilder_method, "GET")},
        {"url", text(bind_velmora_sdk_fn_method_httprequestbuilder_url, "https://gw.example/")},
        {"headers", bytes(bind_velmora_sdk_fn_method_httprequestbuilder_headers, kNoHeaders)}}},
      {"VelmoraTokenProviderConfiguration", SDK_BUILDER(velmoratokenproviderconfigurationbuilder),
       {{"base_url", text(bind_velmora_sdk_fn_method_velmoratokenproviderconfigurationbuilder_base_url, "https://gw")},
        {"pool_poll_interval_ms",
         scalar<uint64_t>(bind_velmora_sdk_fn_method_velmoratokenproviderconfigurationbuilder_pool_poll_interval_ms, 0)},
        {"pool_poll_limit",
         scalar<uint32_t>(bind_velmora_sdk_fn_method_velmoratokenproviderconfigurationbuilder_pool_poll_limit, 0)},
        {"claim_poll_interval_ms",
         scalar<uint64_t>(bind_velmora_sdk_fn_method_velmoratokenproviderconfigurationbuilder_claim_poll_interval_ms, 0)},
        {"claim_poll_limit",
         scalar<uint32_t>(bind_velmora_sdk_fn_method_velmoratokenproviderconfigurationbuilder_claim_poll_limit, 0)}}},
  };
  for (const auto& c : cases) testing_builders::check_required_order(c);
}

// An HttpRequest result, field by field.
struct Request {
  std::string method, url;
  std::vector<std::pair<std::string, std::string>> headers;
  std::optional<Bytes> body;
  std::optional<uint64_t> timeout_secs, max_response_bytes;
  bool operator==(const Request&) const = default;
};

Request decode_request(const Bytes& built) {
  wire::In in(built);
  Request r{in.str(), in.str(), {}, {}, {}, {}};
  for (uint32_t n = in.u32(); n > 0; --n) {
    std::string name = in.str();
    r.headers.emplace_back(name, in.str());
  }
  r.body = testing_builders::optional<Bytes>(in, [](wire::In& i) {
    Bytes b(i.u32());
    for (auto& byte : b) byte = i.u8();
    return b;
  });
  r.timeout_secs = testing_builders::optional<uint64_t>(in, [](wire::In& i) { return i.u64(); });
  r.max_response_bytes = testing_builders::optional<uint64_t>(in, [](wire::In& i) { return i.u64(); });
  EXPECT_TRUE(in.done());
  return r;
}

TEST(SdkBuilders, SettersLeaveTheirReceiverUnchanged) {
  const Builder http = SDK_BUILDER(httprequestbuilder);
  using testing_builders::derive;
  uint64_t b0 = testing_builders::apply(
      text(bind_velmora_sdk_fn_method_httprequestbuilder_url, "https://gw.example/"),
      testing_builders::apply(text(bind_velmora_sdk_fn_method_httprequestbuilder_method, "POST"), http.make()));
  uint64_t b1 = derive(http, bytes(bind_velmora_sdk_fn_method_httprequestbuilder_headers, kNoHeaders), b0);
  uint64_t b2 = derive(http, scalar<uint64_t>(bind_velmora_sdk_fn_method_httprequestbuilder_timeout_secs, 5), b1);
  uint64_t b3 = derive(http,
                       bytes(bind_velmora_sdk_fn_method_httprequestbuilder_headers,
                             wire::Out().u32(2).str("a").str("1").str("a").str("2").bytes),
                       b1);
  uint64_t b4 = derive(http, bytes(bind_velmora_sdk_fn_method_httprequestbuilder_body, Bytes{0, 0, 0, 2, 0xFF, 0x00}), b2);
  uint64_t b5 = derive(http, scalar<uint64_t>(bind_velmora_sdk_fn_method_httprequestbuilder_max_response_bytes, 0), b4);

  const Request plain{"POST", "https://gw.example/", {}, std::nullopt, std::nullopt, std::nullopt};
  Request timed = plain;
  timed.timeout_secs = 5;
  Request headed = plain;
  headed.headers = {{"a", "1"}, {"a", "2"}};
  Request with_body = timed;
  with_body.body = Bytes{0xFF, 0x00};
  Request capped = with_body;
  capped.max_response_bytes = 0;

  EXPECT_EQ(http.outcome(b0), "missing HttpRequest.headers");
  EXPECT_EQ(decode_request(http.build_ok(b1)), plain);
  EXPECT_EQ(decode_request(http.build_ok(b2)), timed);
  EXPECT_EQ(decode_request(http.build_ok(b3)), headed);
  EXPECT_EQ(decode_request(http.build_ok(b4)), with_body);
  EXPECT_EQ(decode_request(http.build_ok(b5)), capped);
  EXPECT_EQ(decode_request(http.build_ok(b1)), plain);
  EXPECT_EQ(http.outcome(b0), "missing HttpRequest.headers");
  for (uint64_t b : {b0, b1, b2, b3, b4, b5}) http.release(b);
}

TEST(SdkBuilders, AClaimRequestNeedsOnlyItsPool) {
  const Builder claim = SDK_BUILDER(createclaimrequestbuilder);
  uint64_t b = testing_builders::apply(bytes(bind_velmora_sdk_fn_method_createclaimrequestbuilder_pool, kPool),
                                       claim.make());
  EXPECT_EQ(claim.build_ok(b), wire::Out().raw(kPool).none().none().bytes);  // spec and name absent
  uint64_t named = testing_builders::derive(
      claim, text(bind_velmora_sdk_fn_method_createclaimrequestbuilder_name, "claim-explicit"), b);
  EXPECT_EQ(claim.build_ok(named), wire::Out().raw(kPool).none().some().str("claim-explicit").bytes);
  EXPECT_EQ(claim.build_ok(b), wire::Out().raw(kPool).none().none().bytes);
  claim.release(b);
  claim.release(named);
}

}  // namespace
