#include "sdk/src/access_token_provider.h"

#include "boundary/async_export.h"

namespace velmora::sdk {
namespace {

std::atomic<const VelmoraAccessTokenProviderCallbackTable*> registered_table{nullptr};

class ForeignAccessTokenProvider final
    : public ffi::ForeignObject<AccessTokenProvider, &access_token_provider_callback_table> {
 public:
  using ForeignObject::ForeignObject;

  async::Task<std::expected<std::string, AccessTokenProviderError>> get_access_token(
      bool force_refresh) const override {
    const auto& callbacks = table();
    auto outcome = co_await ffi::ForeignCall([&](auto completion, uint64_t data, VelmoraDroppedCallback* dropped) {
      callbacks.get_access_token(handle(), force_refresh ? 1 : 0, completion, data, dropped);
    });
    // The token is a string at top level: its raw bytes, taken as UTF-8.
    co_return ffi::interpret_foreign<std::string, AccessTokenProviderError>(
        outcome, "AccessTokenProvider.get_access_token", [](std::span<const uint8_t> bytes) {
          return std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        });
  }
};

}  // namespace

const VelmoraAccessTokenProviderCallbackTable* access_token_provider_callback_table() noexcept {
  return registered_table.load(std::memory_order_acquire);
}

ffi::Ref<AccessTokenProvider> make_foreign_object(std::type_identity<AccessTokenProvider>, uint64_t handle) {
  return ffi::make_ref<ForeignAccessTokenProvider>(handle);
}

VELMORA_EXPORT_CALLBACK_TABLE(velmora_sdk, accesstokenprovider, VelmoraAccessTokenProviderCallbackTable,
                              registered_table)
VELMORA_EXPORT_OBJECT(velmora_sdk, AccessTokenProvider, accesstokenprovider)
VELMORA_EXPORT_ASYNC_METHOD(velmora_sdk, AccessTokenProvider, accesstokenprovider, get_access_token,
                            "A bearer token; force_refresh is set after the gateway refused the previous one.",
                            "force_refresh")

}  // namespace velmora::sdk
