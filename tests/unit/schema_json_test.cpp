// The JSON forms of the schema records: exact text written, every record read
// back, and the reading rules.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "json_outcome.h"
#include "platform/json/json.h"
#include "schema/claim.h"
#include "schema/common.h"
#include "schema/sandbox.h"
#include "schema/warmpool.h"

namespace velmora::schema {
namespace {

using testing::read_outcome;

ffi::Ref<PreservedJson> preserved(const std::string& text) { return *PreservedJson::from_json(text); }

// The preserved values of a VmTemplate compare by identity; round trips make
// new ones, so they are compared through their text instead.
VmTemplate without_preserved(VmTemplate t) {
  t.tolerations.reset();
  t.probes.reset();
  return t;
}
KavriSandboxTemplateSpec without_preserved(KavriSandboxTemplateSpec s) {
  s.vm_template = without_preserved(std::move(s.vm_template));
  return s;
}
template <class T>
T without_preserved(T v) {
  return v;
}

struct RoundTrip {
  std::string name;
  std::string expected_text;
  std::function<std::string()> write;                            // the sample as JSON text
  std::function<std::string(const std::string&)> read_and_write;  // read back, compared, written again
};

template <class T>
RoundTrip round_trip(std::string name, T sample, std::string expected_text) {
  return RoundTrip{
      name, std::move(expected_text),
      [sample] {
        auto text = json::write_json(sample);
        return text ? *text : "unwritable: " + text.error().message;
      },
      [sample, name](const std::string& text) {
        for (auto read : {json::read_json<T>(text), json::read_json_located<T>(text)}) {
          if (!read) return "unreadable: " + read.error().message;
          EXPECT_EQ(without_preserved(*read), without_preserved(sample)) << name;
        }
        auto again = json::write_json(*json::read_json<T>(text));
        return again ? *again : "unwritable: " + again.error().message;
      }};
}

VmTemplate image_only(std::string image) {
  VmTemplate t;
  t.container_disk_image = std::move(image);
  return t;
}

VmTemplate full_vm_template() {
  VmTemplate t;
  t.container_disk_image = "registry.example/ubuntu:24.04";
  t.command = {{"/bin/sh", "-c", "echo \"hi\"\n\ttab\\ \x01 caf\xC3\xA9"}};
  t.runtime = RuntimeKind::Gvisor;
  t.runtime_class_name = "gvisor";
  t.node_selector = StringMap{{"zone", "a"}};
  t.tolerations = {{preserved(R"({"operator": "Exists", "key": "k"})"), preserved("{}")}};
  t.image_pull_policy = ImagePullPolicy::IfNotPresent;
  t.image_pull_secret = "pull";
  t.cpu_cores = 4;
  t.memory = "8Gi";
  t.firmware = Firmware::Efi;
  t.nested_virtualization = false;
  t.probes = preserved(R"({"readiness": {"tcp": {"port": 22}, "period": 1.5}, "big": 18446744073709551615})");
  t.services = {{SandboxService{"ssh", 22, ServiceProtocol::TCP}, SandboxService{"dns", 53, ServiceProtocol::UDP}}};
  t.oidc = OidcConfig{"secret", "https://token.example/t", "arn:aws:iam::1:role/r", "eu-west-1", 300};
  return t;
}

TEST(SchemaJson, EveryRecordWritesItsTextAndReadsBack) {
  VmTemplate empties = image_only("img");
  empties.command = std::vector<std::string>{};
  empties.node_selector = StringMap{};
  empties.services = std::vector<SandboxService>{};

  ClaimSpec claim_spec{SandboxTemplateRef{"tpl"}, "pool-a", 900, ClaimLifecycle{"2026-01-01T00:00:00Z", "Delete", true},
                       60};
  KavriSandboxClaimStatus claim_status{
      "Bound",
      std::vector<KavriSandboxClaimCondition>{{"Ready", "True", "Bound", "bound to sb-1", "2026-01-01T00:00:00Z"},
                                              {{}, {}, {}, {}, {}}},
      KavriSandboxClaimSandbox{"sb-1", "sb-1-svc"}};

  const RoundTrip cases[] = {
      round_trip("VmTemplate, every field", full_vm_template(),
                 R"({"containerDiskImage":"registry.example/ubuntu:24.04",)"
                 R"("command":["/bin/sh","-c","echo \"hi\"\n\ttab\\ \u0001 café"],"runtime":"gvisor",)"
                 R"("runtimeClassName":"gvisor","nodeSelector":{"zone":"a"},)"
                 R"("tolerations":[{"key":"k","operator":"Exists"},{}],"imagePullPolicy":"IfNotPresent",)"
                 R"("imagePullSecret":"pull","cpuCores":4,"memory":"8Gi","firmware":"efi",)"
                 R"("nestedVirtualization":false,)"
                 R"("probes":{"big":18446744073709551615,"readiness":{"period":1.5,"tcp":{"port":22}}},)"
                 R"("services":[{"name":"ssh","targetPort":22,"protocol":"TCP"},)"
                 R"({"name":"dns","targetPort":53,"protocol":"UDP"}],)"
                 R"("oidc":{"credentialsSecret":"secret","tokenUrl":"https://token.example/t",)"
                 R"("awsRoleArn":"arn:aws:iam::1:role/r","awsRegion":"eu-west-1","refreshIntervalSeconds":300}})"),
      round_trip("VmTemplate, disk image only", image_only("img"),
                 R"({"containerDiskImage":"img"})"),
      round_trip("VmTemplate, present but empty", empties,
                 R"({"containerDiskImage":"img","command":[],"nodeSelector":{},"services":[]})"),
      round_trip("SandboxService without protocol", SandboxService{"http", 0, std::nullopt},
                 R"({"name":"http","targetPort":0})"),
      round_trip("OidcConfig, required only", OidcConfig{"s", "u", std::nullopt, std::nullopt, std::nullopt},
                 R"({"credentialsSecret":"s","tokenUrl":"u"})"),
      round_trip("SandboxTemplateRef", SandboxTemplateRef{""}, R"({"name":""})"),
      round_trip("KavriSandboxTemplateSpec", KavriSandboxTemplateSpec{full_vm_template()},
                 R"({"vmTemplate":)" + *json::write_json(full_vm_template()) + "}"),
      round_trip("KavriSandboxWarmPoolSpec, zero replicas", KavriSandboxWarmPoolSpec{0, {"tpl"}, {}, {}},
                 R"({"replicas":0,"sandboxTemplateRef":{"name":"tpl"}})"),
      round_trip("KavriSandboxWarmPoolSpec, every field",
                 KavriSandboxWarmPoolSpec{4294967295, {"tpl"}, WarmPoolAutoscaling{1, 2, 3}, 60},
                 R"({"replicas":4294967295,"sandboxTemplateRef":{"name":"tpl"},)"
                 R"("autoscaling":{"minPoolSize":1,"initialPoolSize":2,"maxPoolSize":3},"ttlSecondsAfterCreated":60})"),
      round_trip("WarmPoolAutoscaling, empty", WarmPoolAutoscaling{}, "{}"),
      round_trip("KavriSandboxWarmPoolStatus", KavriSandboxWarmPoolStatus{3, 0, "app=x"},
                 R"({"replicas":3,"readyReplicas":0,"selector":"app=x"})"),
      round_trip("ClaimSpec, every field", claim_spec,
                 R"({"sandboxTemplateRef":{"name":"tpl"},"warmpool":"pool-a","bindDeadline":900,)"
                 R"("lifecycle":{"shutdownTime":"2026-01-01T00:00:00Z","shutdownPolicy":"Delete","autoRenew":true},)"
                 R"("ttlSecondsAfterCreated":60})"),
      round_trip("ClaimSpec, empty lifecycle", ClaimSpec{SandboxTemplateRef{"tpl"}, {}, {}, ClaimLifecycle{}, {}},
                 R"({"sandboxTemplateRef":{"name":"tpl"},"lifecycle":{}})"),
      round_trip("ClaimLifecycle, empty", ClaimLifecycle{}, "{}"),
      round_trip("KavriSandboxClaimStatus", claim_status,
                 R"({"phase":"Bound","conditions":[{"type":"Ready","status":"True","reason":"Bound",)"
                 R"("message":"bound to sb-1","lastTransitionTime":"2026-01-01T00:00:00Z"},{}],)"
                 R"("sandbox":{"name":"sb-1","service":"sb-1-svc"}})"),
      round_trip("KavriSandboxClaimStatus, empty conditions",
                 KavriSandboxClaimStatus{{}, std::vector<KavriSandboxClaimCondition>{}, {}}, R"({"conditions":[]})"),
      round_trip("KavriSandboxClaimCondition, type only", KavriSandboxClaimCondition{"Ready", {}, {}, {}, {}},
                 R"({"type":"Ready"})"),
      round_trip("KavriSandboxClaimSandbox", KavriSandboxClaimSandbox{std::nullopt, "svc"}, R"({"service":"svc"})"),
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.write(), c.expected_text) << c.name;
    EXPECT_EQ(c.read_and_write(c.expected_text), c.expected_text) << c.name;
  }
}

std::string nested_arrays(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(SchemaJson, ReadingRules) {
  using Read = std::string (*)(std::string_view);
  const Read vm = read_outcome<VmTemplate>;
  const Read service = read_outcome<SandboxService>;
  const Read pool_spec = read_outcome<KavriSandboxWarmPoolSpec>;
  const Read pool_status = read_outcome<KavriSandboxWarmPoolStatus>;
  const Read claim_spec = read_outcome<ClaimSpec>;
  const Read condition = read_outcome<KavriSandboxClaimCondition>;
  const Read claim_status = read_outcome<KavriSandboxClaimStatus>;
  const std::string image = R"("containerDiskImage":"a")";
  const std::string ok_image = R"(ok {"containerDiskImage":"a"})";

  struct Case {
    Read read;
    std::string text;
    std::string expected;
  } cases[] = {
      // Required members: missing, duplicate, null.
      {vm, "{}", "error missing field `containerDiskImage` at line 1 column 2"},
      {vm, "{\n  \"cpuCores\": 1\n}", "error missing field `containerDiskImage` at line 3 column 1"},
      {vm, R"({"containerDiskImage":"a","containerDiskImage":"b"})",
       "error duplicate field `containerDiskImage` at line 1 column 46"},
      {vm, R"({"containerDiskImage":null})", "error invalid type: null, expected a string at line 1 column 26"},
      {vm, "{" + image + R"(,"cpuCores":null,"cpuCores":2})", "error duplicate field `cpuCores` at line 1 column 52"},
      {pool_spec, R"({"sandboxTemplateRef":{"name":"t"}})", "error missing field `replicas` at line 1 column 35"},
      {pool_spec, R"({"replicas":1,"sandboxTemplateRef":{}})", "error missing field `name` at line 1 column 37"},
      {pool_spec, R"({"replicas":0,"sandboxTemplateRef":{"name":"t"}})",
       R"(ok {"replicas":0,"sandboxTemplateRef":{"name":"t"}})"},
      // Optional members: null and missing are both absent.
      {vm, "{" + image + R"(,"cpuCores":null,"probes":null,"oidc":null})", ok_image},
      {claim_status, R"({"conditions":null})", "ok {}"},
      {claim_status, R"({"conditions":[]})", R"(ok {"conditions":[]})"},
      {pool_status, "{}", "ok {}"},
      // Integer widths: no fractions, no negatives, nothing out of range.
      {vm, "{" + image + R"(,"cpuCores":4294967295})", R"(ok {"containerDiskImage":"a","cpuCores":4294967295})"},
      {vm, "{" + image + R"(,"cpuCores":4294967296})",
       "error invalid value: integer `4294967296`, expected u32 at line 1 column 47"},
      {vm, "{" + image + R"(,"cpuCores":2.5})", "error invalid type: floating point `2.5`, expected u32 at line 1 column 40"},
      {vm, "{" + image + R"(,"cpuCores":1.0})", "error invalid type: floating point `1`, expected u32 at line 1 column 40"},
      {vm, "{" + image + R"(,"cpuCores":-1})", "error invalid value: integer `-1`, expected u32 at line 1 column 39"},
      {vm, "{" + image + R"(,"cpuCores":"2"})", "error invalid type: string \"2\", expected u32 at line 1 column 40"},
      {service, R"({"name":"s","targetPort":65535})", R"(ok {"name":"s","targetPort":65535})"},
      {service, R"({"name":"s","targetPort":65536})",
       "error invalid value: integer `65536`, expected u16 at line 1 column 30"},
      {claim_spec, R"({"sandboxTemplateRef":{"name":"t"},"bindDeadline":-5})",
       "error invalid value: integer `-5`, expected u32 at line 1 column 52"},
      {claim_spec, R"({"sandboxTemplateRef":{"name":"t"},"bindDeadline":4294967296})",
       "error invalid value: integer `4294967296`, expected u32 at line 1 column 60"},
      // Enumerations: exact strings, letter case included.
      {vm, "{" + image + R"(,"runtime":"kubevirt","firmware":"efi"})",
       R"(ok {"containerDiskImage":"a","runtime":"kubevirt","firmware":"efi"})"},
      {vm, "{" + image + R"(,"runtime":"Kubevirt"})",
       "error unknown variant `Kubevirt`, expected one of `kubevirt`, `macos`, `gvisor` at line 1 column 46"},
      {vm, "{" + image + R"(,"imagePullPolicy":"ifnotpresent"})",
       "error unknown variant `ifnotpresent`, expected one of `Always`, `IfNotPresent`, `Never` at line 1 column 58"},
      {service, R"({"name":"s","targetPort":53,"protocol":"UDP"})", R"(ok {"name":"s","targetPort":53,"protocol":"UDP"})"},
      {service, R"({"name":"s","targetPort":53,"protocol":"udp"})",
       "error unknown variant `udp`, expected `TCP` or `UDP` at line 1 column 44"},
      // Unknown members are skipped whatever their value, repeated or not.
      {vm,
       "{" + image +
           R"(,"o":{"k":[1,{"z":null}]},"a":[true,false],"n":-1.5e3,"s":"t","b":true,"z":null,"o":{},"big":18446744073709551616})",
       ok_image},
      {claim_spec, R"({"sandboxTemplateRef":{"name":"t"},"warmPool":"p"})", R"(ok {"sandboxTemplateRef":{"name":"t"}})"},
      {condition, R"({"type_":"Ready"})", "ok {}"},
      {condition, R"({"type":"Ready"})", R"(ok {"type":"Ready"})"},
      // Maps and sequences keep their shapes; maps hold strings only.
      {vm, "{" + image + R"(,"command":[],"nodeSelector":{}})",
       R"(ok {"containerDiskImage":"a","command":[],"nodeSelector":{}})"},
      {vm, "{" + image + R"(,"nodeSelector":{"a":"1","a":"2"}})",
       R"(ok {"containerDiskImage":"a","nodeSelector":{"a":"2"}})"},
      {vm, "{" + image + R"(,"nodeSelector":{"a":1}})",
       "error invalid type: integer `1`, expected a string at line 1 column 47"},
      {vm, "{" + image + R"(,"command":"ls"})", "error invalid type: string \"ls\", expected a sequence at line 1 column 40"},
      {vm, "[]", "error invalid type: sequence, expected struct VmTemplate at line 1 column 1"},
      // Preserved values must be objects.
      {vm, "{" + image + R"(,"probes":[1]})",
       "error value must be valid JSON: value must be a JSON object at line 1 column 36"},
      {vm, "{" + image + R"(,"tolerations":[{"a":1},5]})",
       "error value must be valid JSON: value must be a JSON object at line 1 column 50"},
      {vm, "{" + image + R"(,"tolerations":[null]})",
       "error value must be valid JSON: value must be a JSON object at line 1 column 45"},
      // Strings: escapes read, written back with the usual escaping.
      {vm, R"({"containerDiskImage":"\u00e9\/\"\\\n\u0007"})", "ok {\"containerDiskImage\":\"\xC3\xA9/\\\"\\\\\\n\\u0007\"}"},
      // One value, whitespace around it, nothing else.
      {vm, " \n\t{" + image + "}\r\n ", ok_image},
      {vm, "{" + image + "} {}", "error syntax error while parsing value - unexpected '{'; expected end of input at line 1 column 28"},
      {vm, "", "error syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal at line 1 column 0"},
      {vm, "{" + image + ",}", "error syntax error while parsing object key - unexpected '}'; expected string literal at line 1 column 27"},
      {vm, "{" + image + R"(,"x":1e400})", "error number overflow parsing '1e400' at line 1 column 35"},
      // Nesting: 128 levels read, 129 do not.
      {vm, "{" + image + R"(,"x":)" + nested_arrays(127) + "}", ok_image},
      {vm, "{" + image + R"(,"x":)" + nested_arrays(128) + "}", "error recursion limit exceeded at line 1 column 158"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.read(c.text), c.expected) << c.text;
}

TEST(SchemaJson, WritingRefusesStringsThatAreNotUtf8) {
  VmTemplate t = image_only("ok");
  t.memory = "\xC3\x28";
  auto written = json::write_json(t);
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().message, "string is not valid UTF-8: invalid utf-8 sequence of 1 bytes from index 0");
  EXPECT_FALSE(json::json_tree(t));
}

TEST(SchemaJson, CopiesOfATemplateShareItsPreservedValues) {
  auto original = std::make_unique<VmTemplate>(full_vm_template());
  VmTemplate copy = *original;
  EXPECT_EQ(copy.probes->get(), original->probes->get());
  EXPECT_EQ((*copy.tolerations)[0].get(), (*original->tolerations)[0].get());
  original.reset();
  EXPECT_EQ((*copy.tolerations)[0]->to_json(), R"({"key":"k","operator":"Exists"})");
}

TEST(SchemaJson, TreeFormKeepsTheTextMembersInKeyOrder) {
  KavriSandboxWarmPoolSpec spec{2, {"tpl"}, WarmPoolAutoscaling{std::nullopt, 1, std::nullopt}, std::nullopt};
  auto tree = json::json_tree(spec);
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->dump(), R"({"autoscaling":{"initialPoolSize":1},"replicas":2,"sandboxTemplateRef":{"name":"tpl"}})");
  auto vm = json::json_tree(full_vm_template());
  ASSERT_TRUE(vm);
  EXPECT_EQ(*vm, nlohmann::json::parse(*json::write_json(full_vm_template())));
}

}  // namespace
}  // namespace velmora::schema
