// The URL Standard's domain to ASCII, with UTS 46 processing by libidn2.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::url {

// domain (valid UTF-8) in ASCII: lower-cased when it is ASCII already, else
// mapped, normalized, checked and Punycode-encoded label by label. Nothing
// when UTS 46 refuses it or the result is empty. Forbidden code points are
// the host parser's business.
std::optional<std::string> domain_to_ascii(std::string_view domain);

}  // namespace velmora::url
