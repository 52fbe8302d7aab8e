// A URL parsed and serialized by the WHATWG URL Standard (the basic URL parser
// and the URL serializer), with the few setters the SDK forms routes with.
//
// Input is UTF-8; invalid sequences are read as U+FFFD. Hosts of special URLs
// go through UTS 46 (libidn2); other hosts are kept opaque.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

namespace velmora::url {

enum class UrlError : uint8_t {
  relative_without_base,
  relative_with_opaque_base,
  empty_host,
  invalid_port,
  invalid_ipv4,
  invalid_ipv6,
  invalid_host_character,
  invalid_domain_character,
  invalid_domain,
  opaque_path,
  dot_segment,
};

// A short text for error, such as "invalid port number".
std::string_view message(UrlError error);

enum class HostKind : uint8_t { none, domain, ipv4, ipv6, opaque, empty };

// The port of a special scheme when none is written: http 80, https 443, ws 80,
// wss 443, ftp 21; nothing for any other scheme (file included).
std::optional<uint16_t> default_port(std::string_view scheme);

class Url {
 public:
  // Parses input on its own, or against base when given.
  static std::expected<Url, UrlError> parse(std::string_view input, const Url* base = nullptr);
  static std::expected<Url, UrlError> parse(std::string_view input, const Url& base) { return parse(input, &base); }

  // The serialization ("href").
  std::string href() const;

  // The parts as the URL Standard's API shows them.
  std::string protocol() const;  // scheme + ":"
  std::string_view username() const { return username_; }
  std::string_view password() const { return password_; }
  std::string host() const;  // hostname, then ":" and the port when there is one
  std::string_view hostname() const { return host_; }
  std::string port() const;  // "" without an explicit port
  std::string_view pathname() const { return path_; }
  std::string search() const;  // "" or "?" + query
  std::string hash() const;    // "" or "#" + fragment

  // The record's parts.
  std::string_view scheme() const { return scheme_; }  // lower case, without ":"
  HostKind host_kind() const { return host_kind_; }
  bool has_host() const { return host_kind_ != HostKind::none; }
  std::optional<uint16_t> port_number() const { return port_; }
  // The explicit port, else the scheme's default: the port of the origin.
  std::optional<uint16_t> port_or_default() const { return port_ ? port_ : default_port(scheme_); }
  bool has_opaque_path() const { return opaque_path_; }
  bool is_special() const { return special_; }
  std::optional<std::string_view> query() const;
  std::optional<std::string_view> fragment() const;

  // The pathname setter: parses value as a path (dot segments resolved,
  // characters outside the path set percent-encoded). No effect on a URL with
  // an opaque path.
  void set_pathname(std::string_view value);
  // The search setter: "" removes the query; else one leading "?" is dropped
  // and the rest becomes the query, percent-encoded.
  void set_search(std::string_view value);
  // Sets the query to value (percent-encoded as the search setter does) even
  // when value is empty, which leaves the URL ending in "?".
  void set_query(std::string_view value);
  void clear_query() { query_.reset(); }
  void clear_fragment() { fragment_.reset(); }

  // Appends segment as one more path segment, with every byte of the
  // component percent-encode set ("/" and "%" included) encoded, so it can
  // never add or remove segments. Fails on a URL with an opaque path, and for
  // "." and "..", which no encoding keeps from being read as dot segments.
  std::expected<void, UrlError> append_path_segment(std::string_view segment);
  // Appends key=value to the query in application/x-www-form-urlencoded
  // form, after a "&" when the query is not empty.
  void append_query_pair(std::string_view key, std::string_view value);

 private:
  friend class Parser;
  Url() = default;

  std::string scheme_;
  std::string username_;
  std::string password_;
  std::string host_;  // serialized: IPv6 in brackets; empty for none and empty
  std::string path_;  // serialized: "/" before each segment, or the opaque path
  std::optional<std::string> query_;
  std::optional<std::string> fragment_;
  std::optional<uint16_t> port_;
  HostKind host_kind_ = HostKind::none;
  bool special_ = false;
  bool opaque_path_ = false;
};

}  // namespace velmora::url
