// Module warmpool: a warm pool's spec and status records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "boundary/declare.h"
#include "schema/common.h"

namespace velmora::schema {

struct WarmPoolAutoscaling {
  std::optional<uint32_t> min_pool_size;
  std::optional<uint32_t> initial_pool_size;
  std::optional<uint32_t> max_pool_size;
  bool operator==(const WarmPoolAutoscaling&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, warmpool, WarmPoolAutoscaling, "Bounds for scaling a warm pool.",
               VELMORA_FIELD(min_pool_size).json("minPoolSize"),
               VELMORA_FIELD(initial_pool_size).json("initialPoolSize"),
               VELMORA_FIELD(max_pool_size).json("maxPoolSize"))

struct KavriSandboxWarmPoolSpec {
  uint32_t replicas = 0;
  SandboxTemplateRef sandbox_template_ref;
  std::optional<WarmPoolAutoscaling> autoscaling;
  std::optional<uint32_t> ttl_seconds_after_created;
  bool operator==(const KavriSandboxWarmPoolSpec&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, warmpool, KavriSandboxWarmPoolSpec, "The spec of a warm-pool resource.",
               VELMORA_FIELD(replicas).json("replicas"),
               VELMORA_FIELD(sandbox_template_ref).json("sandboxTemplateRef"),
               VELMORA_FIELD(autoscaling).json("autoscaling"),
               VELMORA_FIELD(ttl_seconds_after_created).json("ttlSecondsAfterCreated").defaults_absent())

using KavriSandboxWarmPoolSpecBuilder = ffi::RecordBuilder<KavriSandboxWarmPoolSpec, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, warmpool, KavriSandboxWarmPoolSpecBuilder,
               "Builds a KavriSandboxWarmPoolSpec; replicas and sandbox_template_ref are required.")

using WarmPoolAutoscalingBuilder = ffi::RecordBuilder<WarmPoolAutoscaling, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, warmpool, WarmPoolAutoscalingBuilder,
               "Builds a WarmPoolAutoscaling; every field is optional.")

struct KavriSandboxWarmPoolStatus {
  std::optional<uint32_t> replicas;
  std::optional<uint32_t> ready_replicas;
  std::optional<std::string> selector;
  bool operator==(const KavriSandboxWarmPoolStatus&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, warmpool, KavriSandboxWarmPoolStatus, "The status the cluster reports on a warm pool.",
               VELMORA_FIELD(replicas).json("replicas"), VELMORA_FIELD(ready_replicas).json("readyReplicas"),
               VELMORA_FIELD(selector).json("selector"))

}  // namespace velmora::schema
