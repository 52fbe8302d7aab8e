// Module sandbox: the template specification and the sandbox records.
#pragma once

#include <optional>
#include <string>

#include "boundary/declare.h"
#include "schema/common.h"

namespace velmora::schema {

struct KavriSandboxTemplateSpec {
  VmTemplate vm_template;
  bool operator==(const KavriSandboxTemplateSpec&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, sandbox, KavriSandboxTemplateSpec, "The spec of a template resource.",
               VELMORA_FIELD(vm_template).json("vmTemplate"))

using KavriSandboxTemplateSpecBuilder = ffi::RecordBuilder<KavriSandboxTemplateSpec, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, sandbox, KavriSandboxTemplateSpecBuilder,
               "Builds a KavriSandboxTemplateSpec; vm_template is required.")

// Part of the interface only: passed across, never produced or read as JSON.
struct KavriSandboxSpec {
  VmTemplate vm_template;
  bool operator==(const KavriSandboxSpec&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, sandbox, KavriSandboxSpec, "The spec of a sandbox.", VELMORA_FIELD(vm_template))

struct KavriSandboxStatus {
  std::optional<std::string> phase;
  std::optional<std::string> runtime;
  std::optional<bool> ready;
  std::optional<std::string> vm_name;
  std::optional<std::string> service;
  std::optional<std::string> message;
  std::optional<std::string> reset_issued_at;
  std::optional<std::string> reset_vmi_uid;
  bool operator==(const KavriSandboxStatus&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, sandbox, KavriSandboxStatus, "The status of a sandbox.", VELMORA_FIELD(phase),
               VELMORA_FIELD(runtime), VELMORA_FIELD(ready), VELMORA_FIELD(vm_name), VELMORA_FIELD(service),
               VELMORA_FIELD(message), VELMORA_FIELD(reset_issued_at), VELMORA_FIELD(reset_vmi_uid))

}  // namespace velmora::schema
