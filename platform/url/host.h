// The URL Standard's host parser and host serializer.
#pragma once

#include <expected>
#include <string>
#include <string_view>

#include "platform/url/url.h"

namespace velmora::url {

struct Host {
  HostKind kind = HostKind::none;
  std::string serialized;  // IPv6 in brackets, IPv4 dotted, domains in ASCII
};

// Parses input (not empty) as the host of a URL; is_opaque for non-special
// URLs, whose hosts are kept as written apart from percent-encoding.
std::expected<Host, UrlError> parse_host(std::string_view input, bool is_opaque);

}  // namespace velmora::url
