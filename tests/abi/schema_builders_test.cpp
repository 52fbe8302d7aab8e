// The six schema builders through the public header, as a foreign caller uses them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "builders.h"
#include "velmora_sdk.h"
#include "wire.h"

namespace {

using wire::Bytes;
using wire::fresh_status;
using testing_builders::Builder;
using testing_builders::Setter;

#define SCHEMA_BUILDER(LOWER)                                                                   \
  Builder {                                                                                    \
    bind_velmora_sdk_schema_fn_constructor_##LOWER##_new, bind_velmora_sdk_schema_fn_method_##LOWER##_build, \
        bind_velmora_sdk_schema_fn_clone_##LOWER, bind_velmora_sdk_schema_fn_free_##LOWER       \
  }

const Builder kVmTemplate = SCHEMA_BUILDER(vmtemplatebuilder);
const Builder kSandboxService = SCHEMA_BUILDER(sandboxservicebuilder);
const Builder kSandboxTemplateRef = SCHEMA_BUILDER(sandboxtemplaterefbuilder);
const Builder kTemplateSpec = SCHEMA_BUILDER(kavrisandboxtemplatespecbuilder);
const Builder kWarmPoolSpec = SCHEMA_BUILDER(kavrisandboxwarmpoolspecbuilder);
const Builder kAutoscaling = SCHEMA_BUILDER(warmpoolautoscalingbuilder);

// Setters by argument kind; each consumes the receiver's reference.
Setter text(uint64_t (*fn)(uint64_t, VelmoraByteBuffer, VelmoraCallStatus*), std::string value) {
  return [=](uint64_t self, VelmoraCallStatus* s) { return fn(self, wire::to_buffer(value), s); };
}
Setter bytes(uint64_t (*fn)(uint64_t, VelmoraByteBuffer, VelmoraCallStatus*), Bytes value) {
  return [=](uint64_t self, VelmoraCallStatus* s) { return fn(self, wire::to_buffer(value), s); };
}
template <class U>
Setter scalar(uint64_t (*fn)(uint64_t, U, VelmoraCallStatus*), U value) {
  return [=](uint64_t self, VelmoraCallStatus* s) { return fn(self, value, s); };
}

const Bytes kVmTemplateBytes = wire::Out().str("img").raw(Bytes(14, 0)).bytes;  // disk image, every option absent

TEST(SchemaBuilders, BuildNamesTheFirstMissingFieldInOrder) {
  const testing_builders::OrderCase cases[] = {
      {"VmTemplate", kVmTemplate,
       {{"container_disk_image", text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_container_disk_image, "img")}}},
      {"SandboxService", kSandboxService,
       {{"name", text(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_name, "ssh")},
        {"target_port", scalar<uint16_t>(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_target_port, 22)}}},
      {"SandboxTemplateRef", kSandboxTemplateRef,
       {{"name", text(bind_velmora_sdk_schema_fn_method_sandboxtemplaterefbuilder_name, "tpl")}}},
      {"KavriSandboxTemplateSpec", kTemplateSpec,
       {{"vm_template", bytes(bind_velmora_sdk_schema_fn_method_kavrisandboxtemplatespecbuilder_vm_template,
                              kVmTemplateBytes)}}},
      {"KavriSandboxWarmPoolSpec", kWarmPoolSpec,
       {{"replicas", scalar<uint32_t>(bind_velmora_sdk_schema_fn_method_kavrisandboxwarmpoolspecbuilder_replicas, 0)},
        {"sandbox_template_ref",
         bytes(bind_velmora_sdk_schema_fn_method_kavrisandboxwarmpoolspecbuilder_sandbox_template_ref,
               wire::Out().str("tpl").bytes)}}},
      {"WarmPoolAutoscaling", kAutoscaling, {}},
  };
  for (const auto& c : cases) testing_builders::check_required_order(c);
}

TEST(SchemaBuilders, EverySetterReachesItsField) {
  VelmoraCallStatus s = fresh_status();
  uint64_t probes = bind_velmora_sdk_schema_fn_constructor_preservedjson_from_json(wire::to_buffer(R"({"p":1})"), &s);
  uint64_t toleration = bind_velmora_sdk_schema_fn_constructor_preservedjson_from_json(wire::to_buffer("{}"), &s);
  ASSERT_EQ(s.code, VELMORA_CALL_SUCCESS);

  const Setter setters[] = {
      text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_container_disk_image, "img"),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_command, wire::Out().u32(2).str("sh").str("-c").bytes),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_runtime, wire::Out().i32(3).bytes),
      text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_runtime_class_name, "rc"),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_node_selector, wire::Out().u32(1).str("k").str("v").bytes),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_tolerations, wire::Out().u32(1).u64(toleration).bytes),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_image_pull_policy, wire::Out().i32(2).bytes),
      text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_image_pull_secret, "secret"),
      scalar<uint32_t>(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_cpu_cores, 4),
      text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_memory, "8Gi"),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_firmware, wire::Out().i32(2).bytes),
      scalar<int8_t>(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_nested_virtualization, 1),
      scalar<uint64_t>(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_probes, probes),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_services,
            wire::Out().u32(1).str("ssh").u16(22).some().i32(2).bytes),
      bytes(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_oidc,
            wire::Out().str("cs").str("tu").some().str("arn").none().some().u32(60).bytes),
  };
  uint64_t b = kVmTemplate.make();
  for (const auto& set : setters) b = testing_builders::apply(set, b);
  Bytes built = kVmTemplate.build_ok(b);
  kVmTemplate.release(b);

  testing_builders::VmTemplate vm = testing_builders::decode_vm_template(built);
  EXPECT_EQ(vm.image, "img");
  EXPECT_EQ(vm.command, (std::vector<std::string>{"sh", "-c"}));
  EXPECT_EQ(vm.runtime, 3);
  EXPECT_EQ(vm.runtime_class_name, "rc");
  EXPECT_EQ(vm.node_selector, (std::map<std::string, std::string>{{"k", "v"}}));
  ASSERT_TRUE(vm.tolerations);
  EXPECT_EQ(*vm.tolerations, std::vector<uint64_t>{toleration});  // the same object, one more reference
  EXPECT_EQ(vm.image_pull_policy, 2);
  EXPECT_EQ(vm.image_pull_secret, "secret");
  EXPECT_EQ(vm.cpu_cores, 4u);
  EXPECT_EQ(vm.memory, "8Gi");
  EXPECT_EQ(vm.firmware, 2);
  EXPECT_EQ(vm.nested_virtualization, 1);
  EXPECT_EQ(vm.probes, probes);
  EXPECT_EQ(vm.services_bytes, wire::Out().some().u32(1).str("ssh").u16(22).some().i32(2).bytes);
  EXPECT_EQ(vm.oidc_bytes, wire::Out().some().str("cs").str("tu").some().str("arn").none().some().u32(60).bytes);
  // The setters took the caller's references; the built record carries one to each value.
  for (uint64_t h : {toleration, probes}) bind_velmora_sdk_schema_fn_free_preservedjson(h, &s);
}

TEST(SchemaBuilders, APreservedValueOutlivesTheCallersHandle) {
  VelmoraCallStatus s = fresh_status();
  uint64_t probes = bind_velmora_sdk_schema_fn_constructor_preservedjson_from_json(
      wire::to_buffer(R"({"readiness": {"port": 22}})"), &s);
  uint64_t b = kVmTemplate.make();
  b = testing_builders::apply(text(bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_container_disk_image, "img"), b);
  b = bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_probes(
      b, bind_velmora_sdk_schema_fn_clone_preservedjson(probes, &s), &s);
  auto vm = testing_builders::decode_vm_template(kVmTemplate.build_ok(b));
  ASSERT_EQ(vm.probes, probes);  // the same object

  // The caller frees its own handle, then the builder: the record's reference keeps the value.
  bind_velmora_sdk_schema_fn_free_preservedjson(probes, &s);
  kVmTemplate.release(b);
  std::string text = wire::take_text(bind_velmora_sdk_schema_fn_method_preservedjson_to_json(*vm.probes, &s));
  EXPECT_EQ(text, R"({"readiness":{"port":22}})");
  EXPECT_EQ(s.code, VELMORA_CALL_SUCCESS);
}

std::string service(const Bytes& built) {
  wire::In in(built);
  std::string name = in.str();
  uint16_t port = in.u16();
  std::string out = name + ":" + std::to_string(port);
  if (in.u8() == 1) out += in.i32() == 1 ? "/TCP" : "/UDP";
  EXPECT_TRUE(in.done());
  return out;
}

TEST(SchemaBuilders, SettersLeaveTheirReceiverUnchanged) {
  auto name = text(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_name, "ssh");
  auto port = [](uint16_t p) { return scalar<uint16_t>(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_target_port, p); };
  auto udp = bytes(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_protocol, wire::Out().i32(2).bytes);

  uint64_t b0 = kSandboxService.make();
  uint64_t b1 = testing_builders::derive(kSandboxService, name, b0);
  uint64_t b2 = testing_builders::derive(kSandboxService, port(22), b1);
  uint64_t b3 = testing_builders::derive(kSandboxService, port(2222), b1);  // a second setter on the same receiver
  uint64_t b4 = testing_builders::derive(kSandboxService, udp, b2);
  uint64_t b5 = testing_builders::derive(kSandboxService, port(80), b4);  // the same setter again: the later value

  EXPECT_EQ(kSandboxService.outcome(b0), "missing SandboxService.name");
  EXPECT_EQ(kSandboxService.outcome(b1), "missing SandboxService.target_port");
  EXPECT_EQ(service(kSandboxService.build_ok(b2)), "ssh:22");
  EXPECT_EQ(service(kSandboxService.build_ok(b3)), "ssh:2222");
  EXPECT_EQ(service(kSandboxService.build_ok(b4)), "ssh:22/UDP");
  EXPECT_EQ(service(kSandboxService.build_ok(b5)), "ssh:80/UDP");
  EXPECT_EQ(service(kSandboxService.build_ok(b2)), "ssh:22");  // build leaves it unchanged too
  for (uint64_t b : {b0, b1, b2, b3, b4, b5}) kSandboxService.release(b);
}

TEST(SchemaBuilders, OneBuilderServesManyThreadsAtOnce) {
  uint64_t base = testing_builders::apply(text(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_name, "svc"),
                                          kSandboxService.make());
  std::vector<std::thread> threads;
  std::vector<int> failures(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        const auto p = static_cast<uint16_t>(t * 1000 + i);
        uint64_t b = testing_builders::derive(
            kSandboxService, scalar<uint16_t>(bind_velmora_sdk_schema_fn_method_sandboxservicebuilder_target_port, p),
            base);
        if (service(kSandboxService.build_ok(b)) != "svc:" + std::to_string(p)) ++failures[t];
        if (kSandboxService.outcome(base) != "missing SandboxService.target_port") ++failures[t];
        kSandboxService.release(b);
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(failures, std::vector<int>(8, 0));
  kSandboxService.release(base);
}

}  // namespace
