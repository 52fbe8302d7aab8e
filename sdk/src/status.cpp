#include "sdk/src/status.h"

#include "boundary/export.h"

namespace velmora::sdk {
namespace {

PoolDisplayStatus display_status(PoolDisplayStatusKind kind, std::string label, std::string indicator) {
  return PoolDisplayStatus{kind, std::move(label), std::move(indicator)};
}

}  // namespace

PoolDisplayStatus healthy_pool_display_status() {
  return display_status(PoolDisplayStatusKind::Healthy, "Healthy", "#2ea043");
}
PoolDisplayStatus removed_pool_display_status() {
  return display_status(PoolDisplayStatusKind::Removed, "Removed", "#8b949e");
}
PoolDisplayStatus terminating_pool_display_status() {
  return display_status(PoolDisplayStatusKind::Terminating, "Terminating", "#d29922");
}
PoolDisplayStatus unknown_pool_display_status() {
  return display_status(PoolDisplayStatusKind::Unknown, "Unknown", "#d29922");
}

PoolDisplayStatus pool_display_status(const Pool& pool) {
  if (pool.spec.replicas == 0) return display_status(PoolDisplayStatusKind::ScaledToZero, "Scaled to zero", "#a371f7");
  if (!pool.status) return unknown_pool_display_status();
  return healthy_pool_display_status();
}

VELMORA_EXPORT_FUNCTION(velmora_sdk, status, pool_display_status, &pool_display_status,
                        "The status of a pool: ScaledToZero without replicas, Unknown without a status, else "
                        "Healthy.",
                        "pool")
VELMORA_EXPORT_FUNCTION(velmora_sdk, status, healthy_pool_display_status, &healthy_pool_display_status,
                        "The status of a healthy pool.")
VELMORA_EXPORT_FUNCTION(velmora_sdk, status, removed_pool_display_status, &removed_pool_display_status,
                        "The status of a pool that was removed.")
VELMORA_EXPORT_FUNCTION(velmora_sdk, status, terminating_pool_display_status, &terminating_pool_display_status,
                        "The status of a pool being torn down.")
VELMORA_EXPORT_FUNCTION(velmora_sdk, status, unknown_pool_display_status, &unknown_pool_display_status,
                        "The status of a pool whose state cannot be told.")

}  // namespace velmora::sdk
