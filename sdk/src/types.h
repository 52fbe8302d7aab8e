// Module types: the resource envelopes, the gateway's records, the request,
// HTTP and configuration records, and the credentials object.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "boundary/builder.h"
#include "boundary/declare.h"
#include "boundary/object.h"
#include "schema/claim.h"
#include "schema/sandbox.h"
#include "schema/warmpool.h"
#include "sdk/src/error.h"

namespace velmora::sdk {

using StringMap = std::map<std::string, std::string>;

struct ResourceMetadata {
  std::string namespace_;
  std::string name;
  std::optional<StringMap> labels;
  std::optional<std::string> creation_timestamp;
  bool operator==(const ResourceMetadata&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, ResourceMetadata, "The metadata of a custom resource.",
               VELMORA_FIELD_AS(namespace_, "namespace").json("namespace"), VELMORA_FIELD(name).json("name"),
               VELMORA_FIELD(labels).json("labels").null_when_absent(),
               VELMORA_FIELD(creation_timestamp).json("creationTimestamp"))

struct Template {
  std::string api_version;
  std::string kind;
  ResourceMetadata metadata;
  schema::KavriSandboxTemplateSpec spec;
  bool operator==(const Template&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, Template, "A sandbox template resource, exactly as the cluster API returns it.",
               VELMORA_FIELD(api_version).json("apiVersion"), VELMORA_FIELD(kind).json("kind"),
               VELMORA_FIELD(metadata).json("metadata"), VELMORA_FIELD(spec).json("spec"))

struct Pool {
  std::string api_version;
  std::string kind;
  ResourceMetadata metadata;
  schema::KavriSandboxWarmPoolSpec spec;
  std::optional<schema::KavriSandboxWarmPoolStatus> status;
  bool operator==(const Pool&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, Pool, "A warm-pool resource, exactly as the cluster API returns it.",
               VELMORA_FIELD(api_version).json("apiVersion"), VELMORA_FIELD(kind).json("kind"),
               VELMORA_FIELD(metadata).json("metadata"), VELMORA_FIELD(spec).json("spec"),
               VELMORA_FIELD(status).json("status").null_when_absent())

struct Claim {
  std::string api_version;
  std::string kind;
  ResourceMetadata metadata;
  schema::ClaimSpec spec;
  std::optional<schema::KavriSandboxClaimStatus> status;
  bool operator==(const Claim&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, Claim, "A claim resource: the lease of one sandbox out of a warm pool.",
               VELMORA_FIELD(api_version).json("apiVersion"), VELMORA_FIELD(kind).json("kind"),
               VELMORA_FIELD(metadata).json("metadata"), VELMORA_FIELD(spec).json("spec"),
               VELMORA_FIELD(status).json("status").null_when_absent())

// The list envelope of templates, pools and claims: {"items": [...]}; other
// members are ignored.
template <class Resource>
struct ResourceList {
  std::vector<Resource> items;
};
template <class Resource>
constexpr auto velmora_describe(std::type_identity<ResourceList<Resource>>) {
  using Self = ResourceList<Resource>;
  return ffi::record_info(ffi::ItemNames{"", "", "ResourceList", ""}, VELMORA_FIELD(items).json("items"));
}

struct Namespace {
  std::string name;
  std::string status;
  std::string created_at;
  std::optional<StringMap> labels;
  bool operator==(const Namespace&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, Namespace, "A gateway namespace.", VELMORA_FIELD(name).json("name"),
               VELMORA_FIELD(status).json("status"), VELMORA_FIELD(created_at).json("createdAt"),
               VELMORA_FIELD(labels).json("labels"))

// Made by waiting for a claim; never read from JSON.
struct Sandbox {
  std::string namespace_;
  std::string claim;
  std::string name;
  std::vector<std::string> services;
  bool operator==(const Sandbox&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, Sandbox, "The sandbox bound to a claim, with the names of its services.",
               VELMORA_FIELD_AS(namespace_, "namespace"), VELMORA_FIELD(claim), VELMORA_FIELD(name),
               VELMORA_FIELD(services))

struct SignedServiceUrl {
  std::string id;
  std::string namespace_;
  std::string claim;
  std::string sandbox;
  std::string service;
  std::optional<std::string> label;
  std::string url;
  std::string created_at;
  std::string expires_at;
  std::optional<std::string> revoked_at;
  bool operator==(const SignedServiceUrl&) const = default;
};
// Its JSON keys are those of the gateway's answer, whose "logicalService"
// is the record's service; the gateway's JSON reads straight into it.
VELMORA_RECORD(velmora_sdk, types, SignedServiceUrl, "A signed URL that reaches one service of a bound sandbox.",
               VELMORA_FIELD(id).json("id"), VELMORA_FIELD_AS(namespace_, "namespace").json("namespace"),
               VELMORA_FIELD(claim).json("claim"), VELMORA_FIELD(sandbox).json("sandbox"),
               VELMORA_FIELD(service).json("logicalService"), VELMORA_FIELD(label).json("label"),
               VELMORA_FIELD(url).json("url"), VELMORA_FIELD(created_at).json("createdAt"),
               VELMORA_FIELD(expires_at).json("expiresAt"), VELMORA_FIELD(revoked_at).json("revokedAt"))

// One signed URL as the gateway sends it, for creating and listing them.
using SignedServiceUrlResponse = SignedServiceUrl;

struct UserApiKey {
  std::string id;
  std::string client_id;
  std::string name;
  std::vector<std::string> scope;
  bool operator==(const UserApiKey&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, UserApiKey, "A user API key as listed, without its secret.",
               VELMORA_FIELD(id).json("id"), VELMORA_FIELD(client_id).json("client_id"),
               VELMORA_FIELD(name).json("name"), VELMORA_FIELD(scope).json("scope").empty_if_missing())

struct NewUserApiKey {
  std::string client_id;
  std::string client_secret;
  std::string token_url;
  std::string name;
  std::vector<std::string> scope;
  bool operator==(const NewUserApiKey&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, NewUserApiKey,
               "A newly created user API key with its secret and the token URL to use it with.",
               VELMORA_FIELD(client_id).json("client_id"), VELMORA_FIELD(client_secret).json("client_secret"),
               VELMORA_FIELD(token_url).json("token_url"), VELMORA_FIELD(name).json("name"),
               VELMORA_FIELD(scope).json("scope"))

// The answer that lists user API keys: {"keys": [...]}; other members are ignored.
struct ListUserApiKeysResponse {
  std::vector<UserApiKey> keys;
};
VELMORA_INTERNAL_RECORD(ListUserApiKeysResponse, VELMORA_FIELD(keys).json("keys"))

struct CreateTemplateRequest {
  std::string namespace_;
  std::string name;
  schema::KavriSandboxTemplateSpec spec;
  bool operator==(const CreateTemplateRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, CreateTemplateRequest, "What create_template and reconcile_template make.",
               VELMORA_FIELD_AS(namespace_, "namespace"), VELMORA_FIELD(name), VELMORA_FIELD(spec))

struct CreatePoolRequest {
  std::string namespace_;
  schema::KavriSandboxWarmPoolSpec spec;
  bool operator==(const CreatePoolRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, CreatePoolRequest, "What create_pool and reconcile_pool make.",
               VELMORA_FIELD_AS(namespace_, "namespace"), VELMORA_FIELD(spec))

struct CreateClaimRequest {
  Pool pool;
  std::optional<schema::ClaimSpec> spec;
  std::optional<std::string> name;
  bool operator==(const CreateClaimRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, CreateClaimRequest, "What create_claim leases a sandbox from.",
               VELMORA_FIELD(pool), VELMORA_FIELD(spec),
               VELMORA_FIELD(name)
                   .defaults_absent()
                   .documented("An explicit claim name, used verbatim after DNS-label validation; "
                               "a random name is generated when absent."))

struct CreateSignedServiceUrlRequest {
  Sandbox sandbox;
  std::string service;
  std::optional<std::string> label;
  uint32_t expires_in_seconds = 0;
  bool operator==(const CreateSignedServiceUrlRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, CreateSignedServiceUrlRequest, "What create_signed_service_url signs.",
               VELMORA_FIELD(sandbox), VELMORA_FIELD(service), VELMORA_FIELD(label),
               VELMORA_FIELD(expires_in_seconds))

struct CreateUserApiKeyRequest {
  std::string name;
  std::vector<std::string> scope;
  bool operator==(const CreateUserApiKeyRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, CreateUserApiKeyRequest, "What create_user_api_key makes.",
               VELMORA_FIELD(name).json("name"), VELMORA_FIELD(scope).json("scope"))

struct HttpHeader {
  std::string name;
  std::string value;
  bool operator==(const HttpHeader&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, HttpHeader, "One HTTP header; names may repeat.", VELMORA_FIELD(name),
               VELMORA_FIELD(value))

struct HttpRequest {
  std::string method;
  std::string url;
  std::vector<HttpHeader> headers;
  std::optional<std::vector<uint8_t>> body;
  std::optional<uint64_t> timeout_secs;
  std::optional<uint64_t> max_response_bytes;
  bool operator==(const HttpRequest&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, HttpRequest, "One HTTP request, as handed to an HttpClient.",
               VELMORA_FIELD(method), VELMORA_FIELD(url), VELMORA_FIELD(headers), VELMORA_FIELD(body),
               VELMORA_FIELD(timeout_secs)
                   .defaults_absent()
                   .documented("A timeout for this request in seconds; the built-in client's default is 30."),
               VELMORA_FIELD(max_response_bytes)
                   .defaults_absent()
                   .documented("The most body bytes delivered; a larger body fails the exchange. "
                               "Unbounded when absent."))

struct HttpResponse {
  uint16_t status = 0;
  std::vector<HttpHeader> headers;
  std::vector<uint8_t> body;
  bool operator==(const HttpResponse&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, HttpResponse, "One HTTP response, whatever its status.", VELMORA_FIELD(status),
               VELMORA_FIELD(headers), VELMORA_FIELD(body))

// A client id and secret, stored unchanged. Immutable and shared.
class VelmoraCredentials final : public ffi::Object {
 public:
  VelmoraCredentials(std::string client_id, std::string client_secret)
      : client_id_(std::move(client_id)), client_secret_(std::move(client_secret)) {}
  const std::string& client_id() const noexcept { return client_id_; }
  const std::string& client_secret() const noexcept { return client_secret_; }

 private:
  const std::string client_id_;
  const std::string client_secret_;
};
VELMORA_OBJECT(velmora_sdk, types, VelmoraCredentials, "The client id and secret of the client-credentials grant.")

struct VelmoraConfiguration {
  std::string base_url;
  std::string token_url;
  ffi::Ref<VelmoraCredentials> credentials;
  uint64_t pool_poll_interval_ms = 0;
  uint32_t pool_poll_limit = 0;
  uint64_t claim_poll_interval_ms = 0;
  uint32_t claim_poll_limit = 0;
  bool operator==(const VelmoraConfiguration&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, VelmoraConfiguration,
               "The configuration of a client that fetches its tokens with client credentials.",
               VELMORA_FIELD(base_url), VELMORA_FIELD(token_url), VELMORA_FIELD(credentials),
               VELMORA_FIELD(pool_poll_interval_ms), VELMORA_FIELD(pool_poll_limit),
               VELMORA_FIELD(claim_poll_interval_ms), VELMORA_FIELD(claim_poll_limit))

struct VelmoraTokenProviderConfiguration {
  std::string base_url;
  uint64_t pool_poll_interval_ms = 0;
  uint32_t pool_poll_limit = 0;
  uint64_t claim_poll_interval_ms = 0;
  uint32_t claim_poll_limit = 0;
  bool operator==(const VelmoraTokenProviderConfiguration&) const = default;
};
VELMORA_RECORD(velmora_sdk, types, VelmoraTokenProviderConfiguration,
               "The configuration of a client whose tokens come from elsewhere.", VELMORA_FIELD(base_url),
               VELMORA_FIELD(pool_poll_interval_ms), VELMORA_FIELD(pool_poll_limit),
               VELMORA_FIELD(claim_poll_interval_ms), VELMORA_FIELD(claim_poll_limit))

// The builders: one slot per field, every setter a new builder; build names
// the first required (non-optional) field left unset.
using TemplateBuilder = ffi::RecordBuilder<Template, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, TemplateBuilder,
               "Builds a Template; api_version, kind, metadata and spec are required and have no defaults.")

using CreateTemplateRequestBuilder = ffi::RecordBuilder<CreateTemplateRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, CreateTemplateRequestBuilder,
               "Builds a CreateTemplateRequest; namespace, name and spec are required.")

using CreatePoolRequestBuilder = ffi::RecordBuilder<CreatePoolRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, CreatePoolRequestBuilder,
               "Builds a CreatePoolRequest; namespace and spec are required.")

using CreateClaimRequestBuilder = ffi::RecordBuilder<CreateClaimRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, CreateClaimRequestBuilder,
               "Builds a CreateClaimRequest; pool is required, spec and name are optional.")

using CreateSignedServiceUrlRequestBuilder = ffi::RecordBuilder<CreateSignedServiceUrlRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, CreateSignedServiceUrlRequestBuilder,
               "Builds a CreateSignedServiceUrlRequest; sandbox, service and expires_in_seconds are required.")

using CreateUserApiKeyRequestBuilder = ffi::RecordBuilder<CreateUserApiKeyRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, CreateUserApiKeyRequestBuilder,
               "Builds a CreateUserApiKeyRequest; name and scope are required.")

using HttpRequestBuilder = ffi::RecordBuilder<HttpRequest, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, HttpRequestBuilder,
               "Builds an HttpRequest; method, url and headers are required, headers even when empty.")

using VelmoraTokenProviderConfigurationBuilder = ffi::RecordBuilder<VelmoraTokenProviderConfiguration, SdkBuildError>;
VELMORA_OBJECT(velmora_sdk, types, VelmoraTokenProviderConfigurationBuilder,
               "Builds a VelmoraTokenProviderConfiguration; every field is required and has no default.")

}  // namespace velmora::sdk
