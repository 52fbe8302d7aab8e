// Module routes: the gateway routes under a client's base_url, and the
// validation of every name and path that enters one. Names are checked before
// any route is formed; a failure names the offending input.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "platform/url/url.h"
#include "sdk/src/error.h"

namespace velmora::sdk {

// The API group of the custom resources, fixed at build time.
inline constexpr std::string_view kApiGroup = VELMORA_API_GROUP;

// Route texts, relative to base_url; the names in them are validated by the
// caller before a route is formed from them.
std::string resource_prefix();  // "api/k8s/apis/" + API group + "/v1alpha1/namespaces/"
std::string warm_pool_collection(std::string_view namespace_);
std::string claim_collection(std::string_view namespace_);
std::string template_collection(std::string_view namespace_);
inline constexpr std::string_view kNamespaceCollection = "api/namespaces";
std::string namespace_item(std::string_view namespace_);
std::string signed_service_urls_of(std::string_view namespace_);
inline constexpr std::string_view kUserKeyCollection = "api/user-keys";

// base_url with its path replaced by its own path (trailing "/" removed), "/"
// and path, through the pathname setter; query and fragment removed.
url::Url route(const url::Url& base_url, std::string_view path);

// A DNS label: 1 to 63 bytes of "a"-"z", "0"-"9" and "-", no hyphen first or
// last. Fails with InvalidResourceName { field, value, reason }.
std::expected<void, SdkError> validate_dns_label_for(std::string_view field, std::string_view value);

std::expected<url::Url, SdkError> pool_item(const url::Url& base_url, std::string_view namespace_,
                                            std::string_view name);
std::expected<url::Url, SdkError> claim_item(const url::Url& base_url, std::string_view namespace_,
                                             std::string_view name);
std::expected<url::Url, SdkError> template_item(const url::Url& base_url, std::string_view namespace_,
                                                std::string_view name);

// "api/user-keys" with id appended as one encoded segment ("/" becomes %2F).
std::expected<url::Url, SdkError> user_key_item(const url::Url& base_url, std::string_view id);

std::expected<void, SdkError> validate_signed_service_url_claim(std::string_view claim);
std::expected<url::Url, SdkError> signed_service_url_list(const url::Url& base_url, std::string_view namespace_,
                                                          std::string_view claim);
std::expected<url::Url, SdkError> signed_service_url_item(const url::Url& base_url, std::string_view namespace_,
                                                          std::string_view id);

// The service proxy URL "api/svc/" + namespace + "/" + service + path, with
// the query of path. InvalidServicePath carries path exactly as given.
std::expected<url::Url, SdkError> service_url(const url::Url& base_url, std::string_view namespace_,
                                              std::string_view service, std::string_view path);

// Whether a service path part (is_path) or query part stays free of control
// bytes, dot segments, encoded separators and absolute URLs after every level
// of percent-decoding, up to seven levels deep.
bool is_safe_service_component(std::string_view component, bool is_path);

}  // namespace velmora::sdk
