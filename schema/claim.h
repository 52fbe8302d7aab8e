// Module claim: a claim's spec record, its lifecycle, and the status reported on it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "boundary/declare.h"
#include "schema/common.h"

namespace velmora::schema {

struct ClaimLifecycle {
  std::optional<std::string> shutdown_time;
  std::optional<std::string> shutdown_policy;
  std::optional<bool> auto_renew;
  bool operator==(const ClaimLifecycle&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, claim, ClaimLifecycle,
               "The lease settings of a claim; shutdown_time is the absolute expiry of the lease.",
               VELMORA_FIELD(shutdown_time).json("shutdownTime"),
               VELMORA_FIELD(shutdown_policy).json("shutdownPolicy"), VELMORA_FIELD(auto_renew).json("autoRenew"))

struct ClaimSpec {
  SandboxTemplateRef sandbox_template_ref;
  std::optional<std::string> warmpool;
  std::optional<uint32_t> bind_deadline;
  std::optional<ClaimLifecycle> lifecycle;
  std::optional<uint32_t> ttl_seconds_after_created;
  bool operator==(const ClaimSpec&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, claim, ClaimSpec, "The spec of a claim resource.",
               VELMORA_FIELD(sandbox_template_ref).json("sandboxTemplateRef"),
               VELMORA_FIELD(warmpool).json("warmpool"), VELMORA_FIELD(bind_deadline).json("bindDeadline"),
               VELMORA_FIELD(lifecycle).json("lifecycle"),
               VELMORA_FIELD(ttl_seconds_after_created).json("ttlSecondsAfterCreated").defaults_absent())

struct KavriSandboxClaimCondition {
  std::optional<std::string> type_;
  std::optional<std::string> status;
  std::optional<std::string> reason;
  std::optional<std::string> message;
  std::optional<std::string> last_transition_time;
  bool operator==(const KavriSandboxClaimCondition&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, claim, KavriSandboxClaimCondition, "One condition reported on a claim.",
               VELMORA_FIELD(type_).json("type"), VELMORA_FIELD(status).json("status"),
               VELMORA_FIELD(reason).json("reason"), VELMORA_FIELD(message).json("message"),
               VELMORA_FIELD(last_transition_time).json("lastTransitionTime"))

struct KavriSandboxClaimSandbox {
  std::optional<std::string> name;
  std::optional<std::string> service;
  bool operator==(const KavriSandboxClaimSandbox&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, claim, KavriSandboxClaimSandbox, "The sandbox bound to a claim.",
               VELMORA_FIELD(name).json("name"), VELMORA_FIELD(service).json("service"))

struct KavriSandboxClaimStatus {
  std::optional<std::string> phase;
  std::optional<std::vector<KavriSandboxClaimCondition>> conditions;
  std::optional<KavriSandboxClaimSandbox> sandbox;
  bool operator==(const KavriSandboxClaimStatus&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, claim, KavriSandboxClaimStatus, "The status the pool operator reports on a claim.",
               VELMORA_FIELD(phase).json("phase"), VELMORA_FIELD(conditions).json("conditions"),
               VELMORA_FIELD(sandbox).json("sandbox"))

}  // namespace velmora::schema
