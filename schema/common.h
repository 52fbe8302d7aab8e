// Module common: the virtual-machine description and its parts.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "boundary/builder.h"
#include "boundary/declare.h"
#include "schema/json.h"
#include "schema/schema_error.h"

namespace velmora::schema {

using StringMap = std::map<std::string, std::string>;

enum class RuntimeKind : uint32_t { Kubevirt = 1, Macos, Gvisor };
VELMORA_ENUM(velmora_sdk_schema, common, RuntimeKind, "The virtualisation runtime of a sandbox.",
             VELMORA_ENUM_VARIANT(Kubevirt).as_json("kubevirt"), VELMORA_ENUM_VARIANT(Macos).as_json("macos"),
             VELMORA_ENUM_VARIANT(Gvisor).as_json("gvisor"))

enum class ImagePullPolicy : uint32_t { Always = 1, IfNotPresent, Never };
VELMORA_ENUM(velmora_sdk_schema, common, ImagePullPolicy, "When the disk image is pulled.",
             VELMORA_ENUM_VARIANT(Always).as_json("Always"),
             VELMORA_ENUM_VARIANT(IfNotPresent).as_json("IfNotPresent"),
             VELMORA_ENUM_VARIANT(Never).as_json("Never"))

enum class Firmware : uint32_t { Bios = 1, Efi };
VELMORA_ENUM(velmora_sdk_schema, common, Firmware, "The firmware the virtual machine boots with.",
             VELMORA_ENUM_VARIANT(Bios).as_json("bios"), VELMORA_ENUM_VARIANT(Efi).as_json("efi"))

enum class ServiceProtocol : uint32_t { TCP = 1, UDP };
VELMORA_ENUM(velmora_sdk_schema, common, ServiceProtocol, "The transport protocol of a sandbox service.",
             VELMORA_ENUM_VARIANT(TCP).as_json("TCP"), VELMORA_ENUM_VARIANT(UDP).as_json("UDP"))

struct SandboxService {
  std::string name;
  uint16_t target_port = 0;
  std::optional<ServiceProtocol> protocol;
  bool operator==(const SandboxService&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, common, SandboxService, "One network service of a sandbox.",
               VELMORA_FIELD(name).json("name"), VELMORA_FIELD(target_port).json("targetPort"),
               VELMORA_FIELD(protocol).json("protocol"))

struct OidcConfig {
  std::string credentials_secret;
  std::string token_url;
  std::optional<std::string> aws_role_arn;
  std::optional<std::string> aws_region;
  std::optional<uint32_t> refresh_interval_seconds;
  bool operator==(const OidcConfig&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, common, OidcConfig, "Token settings handed to the virtual machine.",
               VELMORA_FIELD(credentials_secret).json("credentialsSecret"),
               VELMORA_FIELD(token_url).json("tokenUrl"), VELMORA_FIELD(aws_role_arn).json("awsRoleArn"),
               VELMORA_FIELD(aws_region).json("awsRegion"),
               VELMORA_FIELD(refresh_interval_seconds).json("refreshIntervalSeconds"))

struct SandboxTemplateRef {
  std::string name;
  bool operator==(const SandboxTemplateRef&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, common, SandboxTemplateRef, "Names a template.", VELMORA_FIELD(name).json("name"))

struct VmTemplate {
  std::string container_disk_image;
  std::optional<std::vector<std::string>> command;
  std::optional<RuntimeKind> runtime;
  std::optional<std::string> runtime_class_name;
  std::optional<StringMap> node_selector;
  std::optional<std::vector<ffi::Ref<PreservedJson>>> tolerations;
  std::optional<ImagePullPolicy> image_pull_policy;
  std::optional<std::string> image_pull_secret;
  std::optional<uint32_t> cpu_cores;
  std::optional<std::string> memory;
  std::optional<Firmware> firmware;
  std::optional<bool> nested_virtualization;
  std::optional<ffi::Ref<PreservedJson>> probes;
  std::optional<std::vector<SandboxService>> services;
  std::optional<OidcConfig> oidc;
  bool operator==(const VmTemplate&) const = default;
};
VELMORA_RECORD(velmora_sdk_schema, common, VmTemplate, "The description of a sandbox virtual machine.",
               VELMORA_FIELD(container_disk_image).json("containerDiskImage"),
               VELMORA_FIELD(command).json("command"), VELMORA_FIELD(runtime).json("runtime"),
               VELMORA_FIELD(runtime_class_name).json("runtimeClassName"),
               VELMORA_FIELD(node_selector).json("nodeSelector"), VELMORA_FIELD(tolerations).json("tolerations"),
               VELMORA_FIELD(image_pull_policy).json("imagePullPolicy"),
               VELMORA_FIELD(image_pull_secret).json("imagePullSecret"), VELMORA_FIELD(cpu_cores).json("cpuCores"),
               VELMORA_FIELD(memory).json("memory"), VELMORA_FIELD(firmware).json("firmware"),
               VELMORA_FIELD(nested_virtualization).json("nestedVirtualization"),
               VELMORA_FIELD(probes).json("probes"), VELMORA_FIELD(services).json("services"),
               VELMORA_FIELD(oidc).json("oidc"))

using VmTemplateBuilder = ffi::RecordBuilder<VmTemplate, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, common, VmTemplateBuilder, "Builds a VmTemplate; container_disk_image is required.")

using SandboxServiceBuilder = ffi::RecordBuilder<SandboxService, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, common, SandboxServiceBuilder,
               "Builds a SandboxService; name and target_port are required.")

using SandboxTemplateRefBuilder = ffi::RecordBuilder<SandboxTemplateRef, SchemaBuildError>;
VELMORA_OBJECT(velmora_sdk_schema, common, SandboxTemplateRefBuilder, "Builds a SandboxTemplateRef; name is required.")

}  // namespace velmora::schema
