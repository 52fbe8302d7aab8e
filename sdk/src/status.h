// Module status: the short status a user interface shows for a warm pool.
#pragma once

#include <cstdint>
#include <string>

#include "boundary/declare.h"
#include "sdk/src/types.h"

namespace velmora::sdk {

enum class PoolDisplayStatusKind : uint32_t { Healthy = 1, ScaledToZero, Removed, Terminating, Unknown };
VELMORA_ENUM(velmora_sdk, status, PoolDisplayStatusKind, "The category of a pool's display status.",
             VELMORA_ENUM_VARIANT(Healthy), VELMORA_ENUM_VARIANT(ScaledToZero), VELMORA_ENUM_VARIANT(Removed),
             VELMORA_ENUM_VARIANT(Terminating), VELMORA_ENUM_VARIANT(Unknown))

struct PoolDisplayStatus {
  PoolDisplayStatusKind kind = PoolDisplayStatusKind::Unknown;
  std::string label;
  std::string indicator;  // "#" and six lowercase hex digits
  bool operator==(const PoolDisplayStatus&) const = default;
};
VELMORA_RECORD(velmora_sdk, status, PoolDisplayStatus, "A pool's status as a user interface shows it.",
               VELMORA_FIELD(kind), VELMORA_FIELD(label), VELMORA_FIELD(indicator))

// ScaledToZero when the pool's spec asks for no replicas, else Unknown without a
// status, else Healthy. Nothing else of the pool is consulted.
PoolDisplayStatus pool_display_status(const Pool& pool);
PoolDisplayStatus healthy_pool_display_status();
PoolDisplayStatus removed_pool_display_status();
PoolDisplayStatus terminating_pool_display_status();
PoolDisplayStatus unknown_pool_display_status();

}  // namespace velmora::sdk
