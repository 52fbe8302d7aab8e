// HttpClient: the one interface every HTTP exchange goes through, implemented
// by the built-in client or by the foreign caller.
#pragma once

#include <atomic>
#include <expected>

#include "boundary/foreign_call.h"
#include "boundary/object.h"
#include "platform/async/task.h"
#include "sdk/src/error.h"
#include "sdk/src/types.h"

namespace velmora::sdk {

class HttpClient : public ffi::Object {
 public:
  // Carries out one exchange. Any answer is a response, whatever its status;
  // only a failure to carry the exchange out is an HttpError.
  virtual async::Task<std::expected<HttpResponse, HttpError>> execute(HttpRequest request) const = 0;
};
VELMORA_CALLBACK_INTERFACE(velmora_sdk, transport, HttpClient,
                           "Carries out HTTP exchanges; implemented by the built-in client or by the caller.")

// Wraps the caller's HttpClient named by an odd handle; releases it once.
ffi::Ref<HttpClient> make_foreign_object(std::type_identity<HttpClient>, uint64_t handle);

// The registered table, or null before registration.
const VelmoraHttpClientCallbackTable* http_client_callback_table() noexcept;

}  // namespace velmora::sdk
