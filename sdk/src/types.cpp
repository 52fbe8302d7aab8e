// Module types: the credentials object, the builders, and the JSON forms of
// the records that travel to or from the gateway.
#include "sdk/src/types.h"

#include "boundary/builder_export.h"
#include "platform/json/forms_impl.h"

// Envelopes are written as request bodies and value trees, and read as single
// objects and inside lists; the gateway records are only read.
VELMORA_JSON_FORMS(velmora::sdk::Template)
VELMORA_JSON_FORMS(velmora::sdk::Pool)
VELMORA_JSON_FORMS(velmora::sdk::Claim)
VELMORA_JSON_FORMS(velmora::sdk::ResourceList<velmora::sdk::Template>)
VELMORA_JSON_FORMS(velmora::sdk::ResourceList<velmora::sdk::Pool>)
VELMORA_JSON_FORMS(velmora::sdk::ResourceList<velmora::sdk::Claim>)
VELMORA_JSON_FORMS(velmora::sdk::Namespace)
VELMORA_JSON_FORMS(std::vector<velmora::sdk::Namespace>)
VELMORA_JSON_FORMS(velmora::sdk::SignedServiceUrl)
VELMORA_JSON_FORMS(std::vector<velmora::sdk::SignedServiceUrl>)
VELMORA_JSON_FORMS(velmora::sdk::ListUserApiKeysResponse)
VELMORA_JSON_FORMS(velmora::sdk::NewUserApiKey)
VELMORA_JSON_FORMS(velmora::sdk::CreateUserApiKeyRequest)

namespace velmora::sdk {
namespace {

ffi::Ref<VelmoraCredentials> new_credentials(std::string client_id, std::string client_secret) {
  return ffi::make_ref<VelmoraCredentials>(std::move(client_id), std::move(client_secret));
}

}  // namespace

VELMORA_EXPORT_OBJECT(velmora_sdk, VelmoraCredentials, velmoracredentials)
VELMORA_EXPORT_CONSTRUCTOR(velmora_sdk, VelmoraCredentials, velmoracredentials, new, &new_credentials,
                           "Stores a client id and secret for the client-credentials grant.", "client_id",
                           "client_secret")

VELMORA_EXPORT_BUILDER(velmora_sdk, TemplateBuilder, templatebuilder, api_version, kind, metadata, spec)
VELMORA_EXPORT_BUILDER(velmora_sdk, CreateTemplateRequestBuilder, createtemplaterequestbuilder, namespace, name, spec)
VELMORA_EXPORT_BUILDER(velmora_sdk, CreatePoolRequestBuilder, createpoolrequestbuilder, namespace, spec)
VELMORA_EXPORT_BUILDER(velmora_sdk, CreateClaimRequestBuilder, createclaimrequestbuilder, pool, spec, name)
VELMORA_EXPORT_BUILDER(velmora_sdk, CreateSignedServiceUrlRequestBuilder, createsignedserviceurlrequestbuilder, sandbox,
                       service, label, expires_in_seconds)
VELMORA_EXPORT_BUILDER(velmora_sdk, CreateUserApiKeyRequestBuilder, createuserapikeyrequestbuilder, name, scope)
VELMORA_EXPORT_BUILDER(velmora_sdk, HttpRequestBuilder, httprequestbuilder, method, url, headers, body, timeout_secs,
                       max_response_bytes)
VELMORA_EXPORT_BUILDER(velmora_sdk, VelmoraTokenProviderConfigurationBuilder, velmoratokenproviderconfigurationbuilder,
                       base_url, pool_poll_interval_ms, pool_poll_limit, claim_poll_interval_ms, claim_poll_limit)

}  // namespace velmora::sdk
