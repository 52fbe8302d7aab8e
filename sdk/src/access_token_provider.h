// AccessTokenProvider: supplies bearer tokens on demand; implemented by the caller.
#pragma once

#include <atomic>
#include <expected>
#include <string>

#include "boundary/foreign_call.h"
#include "boundary/object.h"
#include "platform/async/task.h"
#include "sdk/src/error.h"

namespace velmora::sdk {

class AccessTokenProvider : public ffi::Object {
 public:
  // force_refresh is true only when the gateway refused the previous token.
  virtual async::Task<std::expected<std::string, AccessTokenProviderError>> get_access_token(
      bool force_refresh) const = 0;
};
VELMORA_CALLBACK_INTERFACE(velmora_sdk, transport, AccessTokenProvider,
                           "Supplies bearer tokens on demand; implemented by the caller.")

// Wraps the caller's AccessTokenProvider named by an odd handle; releases it once.
ffi::Ref<AccessTokenProvider> make_foreign_object(std::type_identity<AccessTokenProvider>, uint64_t handle);

const VelmoraAccessTokenProviderCallbackTable* access_token_provider_callback_table() noexcept;

}  // namespace velmora::sdk
