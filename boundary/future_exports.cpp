// The future functions of both components, one set per kind of result.
#include <typeinfo>

#include "boundary/future.h"

namespace velmora::ffi {
namespace {

template <class C>
C complete_future(uint64_t handle, CallStatus* status) noexcept {
  // A suffix that does not match the method is reported instead of misread.
  auto* future = dynamic_cast<FutureOf<C>*>(future_from_handle(handle));
  if (future == nullptr) {
    fail_unexpected(status, "the future's result type does not match this complete function");
    if constexpr (!std::is_void_v<C>) return {};
    else return;
  }
  return future->complete(status);
}

}  // namespace
}  // namespace velmora::ffi

#define VELMORA_FUTURE_FUNCTIONS(PREFIX, SUFFIX, CTYPE)                                                        \
  extern "C" VELMORA_API void PREFIX##future_poll_##SUFFIX(uint64_t handle, VelmoraContinuationCallback callback,  \
                                                           uint64_t callback_data) noexcept {                    \
    ::velmora::ffi::future_from_handle(handle)->poll(callback, callback_data);                                  \
  }                                                                                                              \
  extern "C" VELMORA_API CTYPE PREFIX##future_complete_##SUFFIX(uint64_t handle,                                \
                                                                VelmoraCallStatus* status) noexcept {           \
    return ::velmora::ffi::complete_future<CTYPE>(handle, status);                                              \
  }                                                                                                              \
  extern "C" VELMORA_API void PREFIX##future_cancel_##SUFFIX(uint64_t handle) noexcept {                        \
    ::velmora::ffi::future_from_handle(handle)->cancel();                                                       \
  }                                                                                                              \
  extern "C" VELMORA_API void PREFIX##future_free_##SUFFIX(uint64_t handle) noexcept {                          \
    ::velmora::ffi::future_from_handle(handle)->free();                                                         \
  }                                                                                                              \
  VELMORA_LIST_EXPORT(PREFIX##future_poll_##SUFFIX, "void",                                                      \
                      (std::array{::velmora::ffi::CParam{"VelmoraFutureHandle", "handle"},                       \
                                  ::velmora::ffi::CParam{"VelmoraContinuationCallback", "callback"},             \
                                  ::velmora::ffi::CParam{"uint64_t", "callback_data"}}),                         \
                      false, nullptr)                                                                                     \
  VELMORA_LIST_EXPORT(PREFIX##future_complete_##SUFFIX, #CTYPE,                                                  \
                      (std::array{::velmora::ffi::CParam{"VelmoraFutureHandle", "handle"}}), true, nullptr)               \
  VELMORA_LIST_EXPORT(PREFIX##future_cancel_##SUFFIX, "void",                                                    \
                      (std::array{::velmora::ffi::CParam{"VelmoraFutureHandle", "handle"}}), false, nullptr)              \
  VELMORA_LIST_EXPORT(PREFIX##future_free_##SUFFIX, "void",                                                      \
                      (std::array{::velmora::ffi::CParam{"VelmoraFutureHandle", "handle"}}), false, nullptr)

#define VELMORA_FUTURE_FUNCTION_SETS(PREFIX)              \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, u8, uint8_t)           \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, i8, int8_t)            \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, u16, uint16_t)         \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, i16, int16_t)          \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, u32, uint32_t)         \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, i32, int32_t)          \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, u64, uint64_t)         \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, i64, int64_t)          \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, f32, float)            \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, f64, double)           \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, buffer, VelmoraByteBuffer) \
  VELMORA_FUTURE_FUNCTIONS(PREFIX, void, void)

VELMORA_FUTURE_FUNCTION_SETS(ffi_velmora_sdk_)
VELMORA_FUTURE_FUNCTION_SETS(ffi_velmora_sdk_schema_)
