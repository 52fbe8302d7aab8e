// Module error: the SDK's error vocabulary.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "boundary/declare.h"

namespace velmora::sdk {

namespace sdk_error {
struct Configuration {
  std::string reason;
  bool operator==(const Configuration&) const = default;
};
struct InvalidResourceName {
  std::string field;
  std::string value;
  std::string reason;
  bool operator==(const InvalidResourceName&) const = default;
};
struct Transport {
  std::string reason;
  bool operator==(const Transport&) const = default;
};
struct Token {
  std::string reason;
  bool operator==(const Token&) const = default;
};
struct Body {
  std::string reason;
  bool operator==(const Body&) const = default;
};
struct Status {
  std::string operation;
  uint16_t status = 0;
  std::string body;
  bool operator==(const Status&) const = default;
};
struct SignedServiceUrlsUnavailable {
  bool operator==(const SignedServiceUrlsUnavailable&) const = default;
};
struct UnknownService {
  std::string requested;
  std::vector<std::string> available;
  bool operator==(const UnknownService&) const = default;
};
struct InvalidServicePath {
  std::string path;
  bool operator==(const InvalidServicePath&) const = default;
};
struct ClaimFailed {
  std::string phase;
  std::string status;
  bool operator==(const ClaimFailed&) const = default;
};
struct ClaimTimeout {
  bool operator==(const ClaimTimeout&) const = default;
};
struct PoolAccessDenied {
  std::string operation;
  std::string namespace_;
  uint16_t status = 0;
  std::string body;
  bool operator==(const PoolAccessDenied&) const = default;
};

VELMORA_ERROR_VARIANT(Configuration, "Configuration",
                      "Invalid client configuration, or the built-in HTTP client could not be set up.",
                      VELMORA_FIELD(reason))
VELMORA_ERROR_VARIANT(InvalidResourceName, "InvalidResourceName",
                      "A name failed validation before any request was sent.", VELMORA_FIELD(field),
                      VELMORA_FIELD(value), VELMORA_FIELD(reason))
VELMORA_ERROR_VARIANT(Transport, "Transport", "The HTTP request could not be carried out.", VELMORA_FIELD(reason))
VELMORA_ERROR_VARIANT(Token, "Token", "No usable access token could be obtained.", VELMORA_FIELD(reason))
VELMORA_ERROR_VARIANT(Body, "Body", "A body could not be written or read as the expected JSON.",
                      VELMORA_FIELD(reason))
VELMORA_ERROR_VARIANT(Status, "Status", "The gateway answered with a status the operation does not accept.",
                      VELMORA_FIELD(operation), VELMORA_FIELD(status), VELMORA_FIELD(body))
VELMORA_ERROR_VARIANT(SignedServiceUrlsUnavailable, "SignedServiceUrlsUnavailable",
                      "The gateway offers no signed service URLs.")
VELMORA_ERROR_VARIANT(UnknownService, "UnknownService", "The sandbox exposes no service of that name.",
                      VELMORA_FIELD(requested), VELMORA_FIELD(available))
VELMORA_ERROR_VARIANT(InvalidServicePath, "InvalidServicePath", "A service path failed the path rules.",
                      VELMORA_FIELD(path))
VELMORA_ERROR_VARIANT(ClaimFailed, "ClaimFailed", "A claim reached a failed phase while being waited for.",
                      VELMORA_FIELD(phase), VELMORA_FIELD(status))
VELMORA_ERROR_VARIANT(ClaimTimeout, "ClaimTimeout", "A claim was not bound within the poll limit.")
VELMORA_ERROR_VARIANT(PoolAccessDenied, "PoolAccessDenied", "A namespace-scoped operation was refused with 403.",
                      VELMORA_FIELD(operation), VELMORA_FIELD_AS(namespace_, "namespace"), VELMORA_FIELD(status),
                      VELMORA_FIELD(body))
}  // namespace sdk_error

// The error of every client operation and constructor.
struct SdkError
    : std::variant<sdk_error::Configuration, sdk_error::InvalidResourceName, sdk_error::Transport, sdk_error::Token,
                   sdk_error::Body, sdk_error::Status, sdk_error::SignedServiceUrlsUnavailable,
                   sdk_error::UnknownService, sdk_error::InvalidServicePath, sdk_error::ClaimFailed,
                   sdk_error::ClaimTimeout, sdk_error::PoolAccessDenied> {
  using Variant = std::variant<sdk_error::Configuration, sdk_error::InvalidResourceName, sdk_error::Transport,
                               sdk_error::Token, sdk_error::Body, sdk_error::Status,
                               sdk_error::SignedServiceUrlsUnavailable, sdk_error::UnknownService,
                               sdk_error::InvalidServicePath, sdk_error::ClaimFailed, sdk_error::ClaimTimeout,
                               sdk_error::PoolAccessDenied>;
  using Variant::Variant;
};
VELMORA_ERROR_ENUM(velmora_sdk, error, SdkError, "The error of every client operation and constructor.")

// The most bytes of a response body that a Status or PoolAccessDenied carries.
inline constexpr std::size_t kBoundedBodyBytes = 4096;

// A response body as text: decoded as UTF-8 with each invalid sequence
// replaced by U+FFFD, then cut to its longest prefix of whole characters
// within kBoundedBodyBytes. Nothing marks the cut.
std::string bounded_body(std::span<const uint8_t> body);

// A Status error with status 403 becomes PoolAccessDenied in namespace_, with
// the operation and body of the status error; every other error is returned as it is.
SdkError deny_pool_access(SdkError error, std::string_view namespace_);

namespace sdk_build_error {
struct MissingRequiredField {
  std::string record_type;
  std::string field;
  bool operator==(const MissingRequiredField&) const = default;
};
VELMORA_ERROR_VARIANT(MissingRequiredField, "MissingRequiredField",
                      "build was called before a required field was set.", VELMORA_FIELD(record_type),
                      VELMORA_FIELD(field))
}  // namespace sdk_build_error

struct SdkBuildError : std::variant<sdk_build_error::MissingRequiredField> {
  using Variant = std::variant<sdk_build_error::MissingRequiredField>;
  using Variant::Variant;

  // The field of record_type named field (its declared name) was never set.
  static SdkBuildError missing(std::string record_type, std::string field) {
    return sdk_build_error::MissingRequiredField{std::move(record_type), std::move(field)};
  }
};
VELMORA_ERROR_ENUM(velmora_sdk, error, SdkBuildError, "Why an SDK builder could not build its record.")

namespace http_error {
struct Transport {
  std::string reason;
  bool operator==(const Transport&) const = default;
};
VELMORA_ERROR_VARIANT(Transport, "Transport", "The request could not be executed or its response not delivered.",
                      VELMORA_FIELD(reason))
}  // namespace http_error

// The failure of an HttpClient's execute.
struct HttpError : std::variant<http_error::Transport> {
  using Variant = std::variant<http_error::Transport>;
  using Variant::Variant;
};
VELMORA_ERROR_ENUM(velmora_sdk, error, HttpError, "The failure of an HttpClient's execute.")

namespace access_token_provider_error {
struct Failed {
  std::string reason;
  bool operator==(const Failed&) const = default;
};
VELMORA_ERROR_VARIANT(Failed, "Failed", "The provider could not supply a token.", VELMORA_FIELD(reason))
}  // namespace access_token_provider_error

// The failure of an AccessTokenProvider's get_access_token.
struct AccessTokenProviderError : std::variant<access_token_provider_error::Failed> {
  using Variant = std::variant<access_token_provider_error::Failed>;
  using Variant::Variant;
};
VELMORA_ERROR_ENUM(velmora_sdk, error, AccessTokenProviderError, "The failure of an AccessTokenProvider.")

}  // namespace velmora::sdk
