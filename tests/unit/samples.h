// Sample values of every record and enum of both components, with every
// optional field present, for tests that go through each declared type.
#pragma once

#include <tuple>

#include "schema/claim.h"
#include "schema/json.h"
#include "schema/sandbox.h"
#include "schema/schema_error.h"
#include "schema/warmpool.h"
#include "sdk/src/error.h"
#include "sdk/src/status.h"
#include "sdk/src/types.h"

namespace velmora::testing {

inline ffi::Ref<schema::PreservedJson> sample_json(nlohmann::json value = {{"key", "value"}}) {
  return *schema::PreservedJson::from_tree(std::move(value));
}

inline schema::VmTemplate full_vm_template() {
  using namespace schema;
  return VmTemplate{
      "registry.example/ubuntu:24.04",
      std::vector<std::string>{"/sbin/init", "--verbose"},
      RuntimeKind::Gvisor,
      "gvisor",
      StringMap{{"disk", "ssd"}, {"zone", "b"}},
      std::vector{sample_json({{"key", "a"}}), sample_json({{"effect", "NoSchedule"}})},
      ImagePullPolicy::IfNotPresent,
      "pull-secret",
      4,
      "8Gi",
      Firmware::Efi,
      true,
      sample_json({{"readiness", {{"tcp", 22}}}}),
      std::vector{SandboxService{"ssh", 22, ServiceProtocol::TCP}, SandboxService{"dns", 53, ServiceProtocol::UDP}},
      OidcConfig{"oidc-secret", "https://auth.example/token", "arn:aws:iam::1:role/x", "eu-west-1", 300},
  };
}

inline sdk::Pool full_pool() {
  using namespace schema;
  return sdk::Pool{"kavri.velmora.dev/v1alpha1",
                   "KavriSandboxWarmPool",
                   sdk::ResourceMetadata{"builds", "builds", StringMap{{"team", "ci"}}, "2026-12-01T10:00:00Z"},
                   KavriSandboxWarmPoolSpec{3, SandboxTemplateRef{"ubuntu"}, WarmPoolAutoscaling{1, 2, 5}, 600},
                   KavriSandboxWarmPoolStatus{3, 2, "app=builds"}};
}

inline sdk::Claim full_claim() {
  using namespace schema;
  return sdk::Claim{
      "kavri.velmora.dev/v1alpha1", "KavriSandboxClaim",
      sdk::ResourceMetadata{"builds", "claim-brave-otter", std::nullopt, std::nullopt},
      ClaimSpec{SandboxTemplateRef{"ubuntu"}, "builds", 900, ClaimLifecycle{"2026-12-01T11:00:00Z", "Delete", true},
                60},
      KavriSandboxClaimStatus{"Bound",
                              std::vector{KavriSandboxClaimCondition{"Ready", "True", "Bound", "ok", "2026-12-01T10:01:00Z"}},
                              KavriSandboxClaimSandbox{"sandbox-1", "sandbox-1-svc"}}};
}

inline sdk::Sandbox full_sandbox() { return sdk::Sandbox{"builds", "claim-brave-otter", "sandbox-1", {"http", "ssh"}}; }

// One sample per declared record and enum of both components.
inline auto all_samples() {
  using namespace schema;
  using namespace sdk;
  return std::tuple{
      // schema component
      RuntimeKind::Macos, ImagePullPolicy::Never, Firmware::Bios, ServiceProtocol::UDP,
      SandboxService{"http", 65535, std::nullopt}, full_vm_template(), VmTemplate{.container_disk_image = "minimal"},
      OidcConfig{"s", "https://t", std::nullopt, std::nullopt, std::nullopt}, SandboxTemplateRef{"ubuntu"},
      KavriSandboxTemplateSpec{full_vm_template()}, KavriSandboxSpec{VmTemplate{.container_disk_image = "image"}},
      KavriSandboxStatus{"Running", "kubevirt", true, "vm-1", "svc", "started", "2026-12-01", "uid-1"},
      KavriSandboxWarmPoolSpec{0, SandboxTemplateRef{"t"}, std::nullopt, std::nullopt},
      WarmPoolAutoscaling{1, std::nullopt, 9}, KavriSandboxWarmPoolStatus{},
      full_claim().spec, ClaimLifecycle{}, full_claim().status.value(),
      KavriSandboxClaimCondition{"Ready", std::nullopt, std::nullopt, "m", std::nullopt},
      KavriSandboxClaimSandbox{"sandbox-1", std::nullopt},
      SchemaBuildError{schema_build_error::MissingRequiredField{"VmTemplate", "container_disk_image"}},
      JsonValueError{json_value_error::Invalid{"value must be a JSON object"}},
      // SDK component
      full_pool().metadata, full_pool(), full_claim(),
      Template{"kavri.velmora.dev/v1alpha1", "KavriSandboxTemplate", ResourceMetadata{"ns", "t", {}, {}},
               KavriSandboxTemplateSpec{full_vm_template()}},
      full_sandbox(), Namespace{"builds", "Active", "2026-12-01T10:00:00Z", StringMap{{"a", "b"}}},
      SignedServiceUrl{"0b5c1e4e-3f1a-4c57-9d8e-4d6a2b1c0f00", "builds", "claim-brave-otter", "sandbox-1", "http",
                       "preview", "https://gw.example/s/abc", "2026-12-01T10:00:00Z", "2026-12-01T11:00:00Z",
                       std::nullopt},
      UserApiKey{"k1", "client-1", "ci", {"pools:read", "claims:write"}},
      NewUserApiKey{"client-1", "secret", "https://auth.example/token", "ci", {}},
      CreateTemplateRequest{"ns", "t", KavriSandboxTemplateSpec{VmTemplate{.container_disk_image = "image"}}},
      CreatePoolRequest{"builds", full_pool().spec},
      CreateClaimRequest{full_pool(), full_claim().spec, "claim-explicit"},
      CreateSignedServiceUrlRequest{full_sandbox(), "http", "preview", 3600},
      CreateUserApiKeyRequest{"ci", {"pools:read"}},
      HttpHeader{"accept", "application/json"},
      HttpRequest{"POST", "https://gw.example/api", {{"a", "1"}, {"a", "2"}}, std::vector<uint8_t>{0, 255, 10}, 60,
                  1 << 20},
      HttpResponse{204, {}, {}},
      VelmoraConfiguration{"https://gw.example", "https://auth.example/token",
                           ffi::make_ref<VelmoraCredentials>("id", "secret"), 1000, 10, 500, 120},
      VelmoraTokenProviderConfiguration{"https://gw.example", 1, 1, UINT64_MAX, UINT32_MAX},
      PoolDisplayStatus{PoolDisplayStatusKind::Terminating, "Terminating", "#d29922"},
      PoolDisplayStatusKind::ScaledToZero,
      SdkError{sdk_error::Configuration{"base_url must be a valid URL: empty host"}},
      SdkError{sdk_error::InvalidResourceName{"namespace", "Bad", "must contain only lowercase ASCII letters, digits, and hyphens"}},
      SdkError{sdk_error::Status{"create pool", 409, "exists"}},
      SdkError{sdk_error::UnknownService{"db", {"http", "ssh"}}},
      SdkError{sdk_error::ClaimTimeout{}},
      SdkError{sdk_error::PoolAccessDenied{"create pool", "builds", 403, "denied"}},
      SdkBuildError{sdk_build_error::MissingRequiredField{"HttpRequest", "headers"}},
      HttpError{http_error::Transport{"connection refused"}},
      AccessTokenProviderError{access_token_provider_error::Failed{"offline"}},
  };
}

}  // namespace velmora::testing
