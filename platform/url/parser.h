// The URL Standard's basic URL parser, shared by Url::parse and the setters.
#pragma once

#include <expected>
#include <optional>
#include <string_view>

#include "platform/url/url.h"

namespace velmora::url {

// The states a setter may start the parser in.
enum class StateOverride : uint8_t { path_start, query };

// Parses input into url (against base when given), or, with a state override,
// into the part of url that the state stands for.
std::expected<void, UrlError> basic_parse(std::string_view input, const Url* base, Url& url,
                                          std::optional<StateOverride> state_override);

}  // namespace velmora::url
