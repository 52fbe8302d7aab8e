#include "sdk/src/http_client.h"

#include "boundary/async_export.h"

namespace velmora::sdk {
namespace {

std::atomic<const VelmoraHttpClientCallbackTable*> registered_table{nullptr};

class ForeignHttpClient final : public ffi::ForeignObject<HttpClient, &http_client_callback_table> {
 public:
  using ForeignObject::ForeignObject;

  async::Task<std::expected<HttpResponse, HttpError>> execute(HttpRequest request) const override {
    const auto& callbacks = table();
    auto outcome = co_await ffi::ForeignCall([&](auto completion, uint64_t data, VelmoraDroppedCallback* dropped) {
      callbacks.execute(handle(), ffi::encode_to_buffer(request), completion, data, dropped);
    });
    co_return ffi::interpret_foreign<HttpResponse, HttpError>(
        outcome, "HttpClient.execute", [](std::span<const uint8_t> bytes) { return ffi::decode_whole<HttpResponse>(bytes); });
  }
};

}  // namespace

const VelmoraHttpClientCallbackTable* http_client_callback_table() noexcept {
  return registered_table.load(std::memory_order_acquire);
}

ffi::Ref<HttpClient> make_foreign_object(std::type_identity<HttpClient>, uint64_t handle) {
  return ffi::make_ref<ForeignHttpClient>(handle);
}

VELMORA_EXPORT_CALLBACK_TABLE(velmora_sdk, httpclient, VelmoraHttpClientCallbackTable, registered_table)
VELMORA_EXPORT_OBJECT(velmora_sdk, HttpClient, httpclient)
VELMORA_EXPORT_ASYNC_METHOD(velmora_sdk, HttpClient, httpclient, execute,
                            "Carries out one HTTP exchange; any answer is a response, whatever its status.",
                            "request")

}  // namespace velmora::sdk
