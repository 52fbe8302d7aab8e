#include "routes.h"

#include <optional>

namespace velmora::sdk {
namespace {

using url::Url;

// The reasons of InvalidResourceName, as callers see them.
constexpr std::string_view kEmpty = "must not be empty";
constexpr std::string_view kLabelTooLong = "must be at most 63 bytes";
constexpr std::string_view kLeadingHyphen = "must not start with a hyphen";
constexpr std::string_view kTrailingHyphen = "must not end with a hyphen";
constexpr std::string_view kLabelCharacters = "must contain only lowercase ASCII letters, digits, and hyphens";
constexpr std::string_view kClaimTooLong = "must be at most 128 bytes";
constexpr std::string_view kClaimCharacters =
    "must contain only ASCII letters, digits, periods, underscores, tildes, and hyphens";
constexpr std::string_view kNotUuid = "must be a UUID";
constexpr std::string_view kDotSegment = "must not be \".\" or \"..\"";
constexpr std::string_view kNoSegments = "base_url cannot be used for user API key routes";

sdk_error::InvalidResourceName invalid_name(std::string_view field, std::string_view value, std::string_view reason) {
  return {std::string(field), std::string(value), std::string(reason)};
}

bool is_ascii_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (is_ascii_digit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_uuid(std::string_view id) {
  if (id.size() != 36) return false;
  for (std::size_t i = 0; i < id.size(); ++i) {
    const bool hyphen_place = i == 8 || i == 13 || i == 18 || i == 23;
    if (hyphen_place ? id[i] != '-' : hex_value(id[i]) < 0) return false;
  }
  return true;
}

std::expected<Url, SdkError> item(const Url& base_url, std::string_view namespace_, std::string_view name,
                                  std::string (*collection)(std::string_view)) {
  if (auto valid = validate_dns_label_for("namespace", namespace_); !valid) return std::unexpected(valid.error());
  if (auto valid = validate_dns_label_for("name", name); !valid) return std::unexpected(valid.error());
  return route(base_url, collection(namespace_) + "/" + std::string(name));
}

bool has_control_byte(std::string_view text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) < 32 || c == 127) return true;
  return false;
}

bool has_dot_segment(std::string_view text) {
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = text.find('/', start);
    const std::string_view piece = text.substr(start, slash == std::string_view::npos ? slash : slash - start);
    if (piece == "." || piece == "..") return true;
    if (slash == std::string_view::npos) return false;
    start = slash + 1;
  }
}

// Whether text begins with a URL scheme and ":", as the URL parser reads it
// (after leading spaces; control bytes are refused before this is asked).
// Every text that parses as an absolute URL does, and so does one that would
// if its host or port were valid, such as "http://evil:99999/".
bool reads_as_absolute_url(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (text.empty() || !is_ascii_alpha(text.front())) return false;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ':') return true;
    if (!is_ascii_alpha(c) && !is_ascii_digit(c) && c != '+' && c != '-' && c != '.') return false;
  }
  return false;
}

// One level of percent-decoding, or nothing when a "%" is not followed by two
// hex digits or decodes to a control byte (or, in a path, to "/" or "\").
std::optional<std::string> decode_once(std::string_view text, bool is_path) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = hex_value(text[i + 1]);
    const int low = hex_value(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    const int byte = high * 16 + low;
    if (byte < 32 || byte == 127) return std::nullopt;
    if (is_path && (byte == '/' || byte == '\\')) return std::nullopt;
    decoded.push_back(static_cast<char>(byte));
    i += 2;
  }
  return decoded;
}

}  // namespace

std::string resource_prefix() { return "api/k8s/apis/" + std::string(kApiGroup) + "/v1alpha1/namespaces/"; }
std::string warm_pool_collection(std::string_view namespace_) {
  return resource_prefix() + std::string(namespace_) + "/kavrisandboxwarmpools";
}
std::string claim_collection(std::string_view namespace_) {
  return resource_prefix() + std::string(namespace_) + "/kavrisandboxclaims";
}
std::string template_collection(std::string_view namespace_) {
  return resource_prefix() + std::string(namespace_) + "/kavrisandboxtemplates";
}
std::string namespace_item(std::string_view namespace_) {
  return std::string(kNamespaceCollection) + "/" + std::string(namespace_);
}
std::string signed_service_urls_of(std::string_view namespace_) {
  return "api/signed-service-urls/" + std::string(namespace_);
}

Url route(const Url& base_url, std::string_view path) {
  std::string_view base_path = base_url.pathname();
  while (!base_path.empty() && base_path.back() == '/') base_path.remove_suffix(1);
  std::string joined;
  joined.reserve(base_path.size() + 1 + path.size());
  joined += base_path;
  joined.push_back('/');
  joined += path;
  Url routed = base_url;
  routed.set_pathname(joined);
  routed.clear_query();
  routed.clear_fragment();
  return routed;
}

std::expected<void, SdkError> validate_dns_label_for(std::string_view field, std::string_view value) {
  if (value.empty()) return std::unexpected(invalid_name(field, value, kEmpty));
  if (value.size() >= 64) return std::unexpected(invalid_name(field, value, kLabelTooLong));
  if (value.front() == '-') return std::unexpected(invalid_name(field, value, kLeadingHyphen));
  if (value.back() == '-') return std::unexpected(invalid_name(field, value, kTrailingHyphen));
  for (char c : value) {
    if (!(c >= 'a' && c <= 'z') && !is_ascii_digit(c) && c != '-')
      return std::unexpected(invalid_name(field, value, kLabelCharacters));
  }
  return {};
}

std::expected<Url, SdkError> pool_item(const Url& base_url, std::string_view namespace_, std::string_view name) {
  return item(base_url, namespace_, name, warm_pool_collection);
}

std::expected<Url, SdkError> claim_item(const Url& base_url, std::string_view namespace_, std::string_view name) {
  return item(base_url, namespace_, name, claim_collection);
}

std::expected<Url, SdkError> template_item(const Url& base_url, std::string_view namespace_, std::string_view name) {
  return item(base_url, namespace_, name, template_collection);
}

std::expected<Url, SdkError> user_key_item(const Url& base_url, std::string_view id) {
  Url routed = route(base_url, kUserKeyCollection);
  auto appended = routed.append_path_segment(id);
  if (appended) return routed;
  if (appended.error() == url::UrlError::dot_segment) {
    // "." and ".." would address the collection or its parent once the URL
    // is read again, whatever their encoding.
    return std::unexpected(invalid_name("id", id, kDotSegment));
  }
  return std::unexpected(sdk_error::Configuration{std::string(kNoSegments)});
}

std::expected<void, SdkError> validate_signed_service_url_claim(std::string_view claim) {
  if (claim.empty()) return std::unexpected(invalid_name("claim", claim, kEmpty));
  if (claim.size() > 128) return std::unexpected(invalid_name("claim", claim, kClaimTooLong));
  for (char c : claim) {
    if (!is_ascii_alpha(c) && !is_ascii_digit(c) && c != '.' && c != '_' && c != '~' && c != '-')
      return std::unexpected(invalid_name("claim", claim, kClaimCharacters));
  }
  return {};
}

std::expected<Url, SdkError> signed_service_url_list(const Url& base_url, std::string_view namespace_,
                                                     std::string_view claim) {
  if (auto valid = validate_signed_service_url_claim(claim); !valid) return std::unexpected(valid.error());
  if (auto valid = validate_dns_label_for("namespace", namespace_); !valid) return std::unexpected(valid.error());
  Url routed = route(base_url, signed_service_urls_of(namespace_));
  routed.append_query_pair("claim", claim);
  return routed;
}

std::expected<Url, SdkError> signed_service_url_item(const Url& base_url, std::string_view namespace_,
                                                     std::string_view id) {
  if (auto valid = validate_dns_label_for("namespace", namespace_); !valid) return std::unexpected(valid.error());
  if (!is_uuid(id)) return std::unexpected(invalid_name("id", id, kNotUuid));
  return route(base_url, signed_service_urls_of(namespace_) + "/" + std::string(id));
}

std::expected<Url, SdkError> service_url(const Url& base_url, std::string_view namespace_, std::string_view service,
                                         std::string_view path) {
  if (auto valid = validate_dns_label_for("namespace", namespace_); !valid) return std::unexpected(valid.error());
  if (auto valid = validate_dns_label_for("service", service); !valid) return std::unexpected(valid.error());
  const auto invalid_path = [&] { return std::unexpected(sdk_error::InvalidServicePath{std::string(path)}); };
  if (path.empty() || path.front() != '/') return invalid_path();
  if (path != "/" && path.starts_with("//")) return invalid_path();
  if (path.find_first_of("#\\") != std::string_view::npos) return invalid_path();

  const std::size_t question = path.find('?');
  const std::string_view path_part = path.substr(0, question);
  if (!is_safe_service_component(path_part, true)) return invalid_path();
  std::optional<std::string_view> query_part;
  if (question != std::string_view::npos) {
    query_part = path.substr(question + 1);
    if (!is_safe_service_component(*query_part, false)) return invalid_path();
  }

  std::string relative = "api/svc/";
  relative += namespace_;
  relative.push_back('/');
  relative += service;
  relative += path_part;
  Url routed = route(base_url, relative);
  if (query_part) routed.set_query(*query_part);
  return routed;
}

bool is_safe_service_component(std::string_view component, bool is_path) {
  std::string current(component);
  for (int pass = 1;; ++pass) {
    if (has_control_byte(current)) return false;
    if (is_path) {
      if (current.empty()) return true;
      if (has_dot_segment(current)) return false;
      if (current.front() == '/' && reads_as_absolute_url(std::string_view(current).substr(1))) return false;
    }
    if (current.find('%') == std::string::npos) return true;
    // Still encoded after seven levels of decoding: refused.
    if (pass == 8) return false;
    std::optional<std::string> decoded = decode_once(current, is_path);
    if (!decoded) return false;
    current = std::move(*decoded);
  }
}

}  // namespace velmora::sdk
