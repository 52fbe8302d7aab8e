#include "url.h"

#include "platform/url/parser.h"
#include "platform/url/percent_encode.h"

namespace velmora::url {

std::string_view message(UrlError error) {
  switch (error) {
    case UrlError::relative_without_base: return "relative URL without a base";
    case UrlError::relative_with_opaque_base: return "relative URL with a base that has an opaque path";
    case UrlError::empty_host: return "empty host";
    case UrlError::invalid_port: return "invalid port number";
    case UrlError::invalid_ipv4: return "invalid IPv4 address";
    case UrlError::invalid_ipv6: return "invalid IPv6 address";
    case UrlError::invalid_host_character: return "invalid host character";
    case UrlError::invalid_domain_character: return "invalid domain character";
    case UrlError::invalid_domain: return "invalid international domain name";
    case UrlError::opaque_path: return "URL cannot take path segments";
    case UrlError::dot_segment: return "path segment is a dot segment";
  }
  return "invalid URL";
}

std::optional<uint16_t> default_port(std::string_view scheme) {
  if (scheme == "http" || scheme == "ws") return 80;
  if (scheme == "https" || scheme == "wss") return 443;
  if (scheme == "ftp") return 21;
  return std::nullopt;
}

std::expected<Url, UrlError> Url::parse(std::string_view input, const Url* base) {
  Url url;
  if (auto parsed = basic_parse(input, base, url, std::nullopt); !parsed) return std::unexpected(parsed.error());
  return url;
}

std::string Url::href() const {
  std::string out;
  out.reserve(scheme_.size() + username_.size() + password_.size() + host_.size() + path_.size() +
              (query_ ? query_->size() : 0) + (fragment_ ? fragment_->size() : 0) + 16);
  out += scheme_;
  out.push_back(':');
  if (has_host()) {
    out += "//";
    if (!username_.empty() || !password_.empty()) {
      out += username_;
      if (!password_.empty()) {
        out.push_back(':');
        out += password_;
      }
      out.push_back('@');
    }
    out += host_;
    if (port_) {
      out.push_back(':');
      out += std::to_string(*port_);
    }
  } else if (!opaque_path_ && path_.starts_with("//")) {
    // Without "/." the first empty segment would read back as a host.
    out += "/.";
  }
  out += path_;
  if (query_) {
    out.push_back('?');
    out += *query_;
  }
  if (fragment_) {
    out.push_back('#');
    out += *fragment_;
  }
  return out;
}

std::string Url::protocol() const { return scheme_ + ":"; }

std::string Url::host() const {
  if (!port_) return host_;
  return host_ + ":" + std::to_string(*port_);
}

std::string Url::port() const { return port_ ? std::to_string(*port_) : std::string(); }

std::string Url::search() const { return query_ && !query_->empty() ? "?" + *query_ : std::string(); }

std::string Url::hash() const { return fragment_ && !fragment_->empty() ? "#" + *fragment_ : std::string(); }

std::optional<std::string_view> Url::query() const {
  if (!query_) return std::nullopt;
  return std::string_view(*query_);
}

std::optional<std::string_view> Url::fragment() const {
  if (!fragment_) return std::nullopt;
  return std::string_view(*fragment_);
}

void Url::set_pathname(std::string_view value) {
  if (opaque_path_) return;
  path_.clear();
  // Parsing from the path start state cannot fail.
  (void)basic_parse(value, nullptr, *this, StateOverride::path_start);
}

void Url::set_search(std::string_view value) {
  if (value.empty()) {
    query_.reset();
    return;
  }
  if (value.front() == '?') value.remove_prefix(1);
  set_query(value);
}

void Url::set_query(std::string_view value) {
  query_.emplace();
  // Parsing from the query state cannot fail.
  (void)basic_parse(value, nullptr, *this, StateOverride::query);
}

std::expected<void, UrlError> Url::append_path_segment(std::string_view segment) {
  if (opaque_path_) return std::unexpected(UrlError::opaque_path);
  if (segment == "." || segment == "..") return std::unexpected(UrlError::dot_segment);
  path_.push_back('/');
  percent_encode(segment, kComponentSet, path_);
  return {};
}

void Url::append_query_pair(std::string_view key, std::string_view value) {
  if (!query_)
    query_.emplace();
  else if (!query_->empty())
    query_->push_back('&');
  form_urlencode(key, *query_);
  query_->push_back('=');
  form_urlencode(value, *query_);
}

}  // namespace velmora::url
