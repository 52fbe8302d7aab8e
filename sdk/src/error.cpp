#include "sdk/src/error.h"

#include <algorithm>

#include "platform/text/utf8.h"

namespace velmora::sdk {
namespace {

constexpr uint16_t kForbidden = 403;

bool is_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string bounded_body(std::span<const uint8_t> body) {
  // Decoding never shortens text, and a character is at most 4 bytes, so the
  // bound is decided within the first kBoundedBodyBytes + 3 bytes: a large body
  // is not decoded whole only to be cut.
  std::string text = text::decode_utf8_lossy(body.first(std::min(body.size(), kBoundedBodyBytes + 3)));
  if (text.size() <= kBoundedBodyBytes) return text;
  // The text is UTF-8 now, so a character starts at the first byte that is
  // not a continuation byte; a character straddling the bound is dropped whole.
  std::size_t cut = kBoundedBodyBytes;
  while (cut > 0 && is_continuation(text[cut])) --cut;
  text.resize(cut);
  return text;
}

SdkError deny_pool_access(SdkError error, std::string_view namespace_) {
  auto* status = std::get_if<sdk_error::Status>(&error);
  if (status == nullptr || status->status != kForbidden) return error;
  return sdk_error::PoolAccessDenied{std::move(status->operation), std::string(namespace_), kForbidden,
                                     std::move(status->body)};
}

}  // namespace velmora::sdk
