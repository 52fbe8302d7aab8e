// Module warmpool: JSON forms and builders of the warm-pool records.
#include "schema/warmpool.h"

#include "boundary/builder_export.h"
#include "platform/json/forms_impl.h"

VELMORA_JSON_FORMS(velmora::schema::KavriSandboxWarmPoolSpec)
VELMORA_JSON_FORMS(velmora::schema::WarmPoolAutoscaling)
VELMORA_JSON_FORMS(velmora::schema::KavriSandboxWarmPoolStatus)

namespace velmora::schema {

VELMORA_EXPORT_BUILDER(velmora_sdk_schema, KavriSandboxWarmPoolSpecBuilder, kavrisandboxwarmpoolspecbuilder, replicas,
                       sandbox_template_ref, autoscaling, ttl_seconds_after_created)
VELMORA_EXPORT_BUILDER(velmora_sdk_schema, WarmPoolAutoscalingBuilder, warmpoolautoscalingbuilder, min_pool_size,
                       initial_pool_size, max_pool_size)

}  // namespace velmora::schema
