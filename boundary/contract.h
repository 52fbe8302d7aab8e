#pragma once

#include <cstdint>

namespace velmora::ffi {

// Identifies the calling contract as a whole (buffer layout, status codes,
// handle and future rules); bindings generated for another value do not fit.
inline constexpr uint32_t kContractVersion = 30;

}  // namespace velmora::ffi
