// The JSON of the SDK's envelopes and gateway records.
#include <gtest/gtest.h>

#include <string>

#include "json_outcome.h"
#include "platform/json/json.h"
#include "sdk/src/types.h"

namespace velmora::sdk {
namespace {

using testing::read_outcome;

Pool pool(std::optional<schema::KavriSandboxWarmPoolStatus> status, ResourceMetadata metadata) {
  return Pool{"kavri.velmora.dev/v1alpha1", "KavriSandboxWarmPool", std::move(metadata),
              schema::KavriSandboxWarmPoolSpec{1, {"tpl"}, {}, {}}, std::move(status)};
}

TEST(TypesJson, EnvelopesWriteStatusAndLabelsAsNullWhenAbsent) {
  const ResourceMetadata bare{"ns", "p", std::nullopt, std::nullopt};
  const ResourceMetadata timed{"ns", "p", std::nullopt, "2026-01-01T00:00:00Z"};
  const ResourceMetadata labelled{"ns", "p", StringMap{{"team", "ci"}}, "2026-01-01T00:00:00Z"};
  const std::string spec = R"("spec":{"replicas":1,"sandboxTemplateRef":{"name":"tpl"}})";
  const std::string head = R"({"apiVersion":"kavri.velmora.dev/v1alpha1","kind":"KavriSandboxWarmPool",)";

  EXPECT_EQ(*json::write_json(pool(std::nullopt, bare)),
            head + R"("metadata":{"namespace":"ns","name":"p","labels":null},)" + spec + R"(,"status":null})");
  EXPECT_EQ(*json::write_json(pool(std::nullopt, timed)),
            head + R"("metadata":{"namespace":"ns","name":"p","labels":null,"creationTimestamp":"2026-01-01T00:00:00Z"},)" +
                spec + R"(,"status":null})");
  EXPECT_EQ(*json::write_json(pool(schema::KavriSandboxWarmPoolStatus{}, labelled)),
            head +
                R"("metadata":{"namespace":"ns","name":"p","labels":{"team":"ci"},"creationTimestamp":"2026-01-01T00:00:00Z"},)" +
                spec + R"(,"status":{}})");

  Claim claim{"v", "KavriSandboxClaim", bare, schema::ClaimSpec{{"tpl"}, {}, 900, {}, {}}, std::nullopt};
  EXPECT_EQ(*json::write_json(claim),
            R"({"apiVersion":"v","kind":"KavriSandboxClaim","metadata":{"namespace":"ns","name":"p","labels":null},)"
            R"("spec":{"sandboxTemplateRef":{"name":"tpl"},"bindDeadline":900},"status":null})");

  schema::VmTemplate vm;
  vm.container_disk_image = "img";
  Template tpl{"v", "KavriSandboxTemplate", bare, schema::KavriSandboxTemplateSpec{vm}};
  EXPECT_EQ(*json::write_json(tpl),
            R"({"apiVersion":"v","kind":"KavriSandboxTemplate","metadata":{"namespace":"ns","name":"p","labels":null},)"
            R"("spec":{"vmTemplate":{"containerDiskImage":"img"}}})");

  EXPECT_EQ(*json::write_json(CreateUserApiKeyRequest{"ci", {"pools:read", "claims:write"}}),
            R"({"name":"ci","scope":["pools:read","claims:write"]})");
}

TEST(TypesJson, TreesHoldTheSameMembersNullsIncluded) {
  auto tree = json::json_tree(pool(std::nullopt, ResourceMetadata{"ns", "p", std::nullopt, std::nullopt}));
  ASSERT_TRUE(tree);
  EXPECT_EQ(tree->dump(),
            R"({"apiVersion":"kavri.velmora.dev/v1alpha1","kind":"KavriSandboxWarmPool",)"
            R"("metadata":{"labels":null,"name":"p","namespace":"ns"},)"
            R"("spec":{"replicas":1,"sandboxTemplateRef":{"name":"tpl"}},"status":null})");
}

TEST(TypesJson, ReadingGatewayBodies) {
  using Read = std::string (*)(std::string_view);
  const Read pool = read_outcome<Pool>;
  const Read tpl = read_outcome<Template>;
  const Read pools = read_outcome<ResourceList<Pool>>;
  const Read claims = read_outcome<ResourceList<Claim>>;
  const Read namespace_ = read_outcome<Namespace>;
  const Read namespaces = read_outcome<std::vector<Namespace>>;
  const Read keys = read_outcome<ListUserApiKeysResponse>;
  const Read new_key = read_outcome<NewUserApiKey>;
  const Read signed_url = read_outcome<SignedServiceUrlResponse>;
  const Read signed_urls = read_outcome<std::vector<SignedServiceUrlResponse>>;

  const std::string meta = R"("metadata":{"namespace":"ns","name":"p"})";
  const std::string pool_head = R"({"apiVersion":"v","kind":"k",)" + meta + R"(,"spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}})";
  const std::string pool_written_head =
      R"({"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","name":"p","labels":null},)"
      R"("spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}})";
  const std::string url_members =
      R"("id":"u1","namespace":"ns","claim":"c","sandbox":"sb","logicalService":"http","url":"https://g/s/x",)"
      R"("createdAt":"t0","expiresAt":"t1")";

  struct Case {
    Read read;
    std::string text;
    std::string expected;
  } cases[] = {
      // Status: missing and null are absent, {} is present with every field absent.
      {pool, pool_head + "}", "ok " + pool_written_head + R"(,"status":null})"},
      {pool, pool_head + R"(,"status":null})", "ok " + pool_written_head + R"(,"status":null})"},
      {pool, pool_head + R"(,"status":{}})", "ok " + pool_written_head + R"(,"status":{}})"},
      {pool, R"({"apiVersion":"v",)" + meta + R"(,"spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}}})",
       "error missing field `kind` at line 1 column 115"},
      // Metadata keeps its four members; the cluster's others are dropped.
      {pool,
       R"({"apiVersion":"v","kind":"k","metadata":{"uid":"x","namespace":"ns","resourceVersion":"7","name":"p",)"
       R"("generation":3,"managedFields":[{"f":{}}],"labels":{"a":"b"},"annotations":{"c":"d"},)"
       R"("creationTimestamp":"t"},"spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}}})",
       R"(ok {"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","name":"p","labels":{"a":"b"},)"
       R"("creationTimestamp":"t"},"spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}},"status":null})"},
      {pool, R"({"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","labels":null},"spec":{}})",
       "error missing field `name` at line 1 column 72"},
      // A template has no status; a "status" member is ignored.
      {tpl,
       R"({"apiVersion":"v","kind":"k",)" + meta + R"(,"spec":{"vmTemplate":{"containerDiskImage":"i"}},"status":{"x":1}})",
       R"(ok {"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","name":"p","labels":null},)"
       R"("spec":{"vmTemplate":{"containerDiskImage":"i"}}})"},
      // Lists: "items" required, other members ignored.
      {pools, R"({"items":[]})", R"(ok {"items":[]})"},
      {pools, R"({"kind":"List","metadata":{"continue":""},"items":[)" + pool_head + "}]}",
       R"(ok {"items":[)" + pool_written_head + R"(,"status":null}]})"},
      {claims, R"({"kind":"List","metadata":{}})", "error missing field `items` at line 1 column 29"},
      {claims, R"({"items":null})", "error invalid type: null, expected a sequence at line 1 column 13"},
      // Only whitespace may follow the value.
      {pools, "{\"items\":[]}\n\t ", R"(ok {"items":[]})"},
      {pools, R"({"items":[]}{"items":[]})",
       "error syntax error while parsing value - unexpected '{'; expected end of input at line 1 column 13"},
      {pools, R"({"items":[]} 1)",
       "error syntax error while parsing value - unexpected number literal; expected end of input at line 1 column 14"},
      // Namespaces: a single object or a bare array.
      {namespace_, R"({"name":"n","status":"Active","createdAt":"t"})",
       R"(ok {"name":"n","status":"Active","createdAt":"t"})"},
      {namespace_, R"({"name":"n","status":"Active","createdAt":"t","labels":null})",
       R"(ok {"name":"n","status":"Active","createdAt":"t"})"},
      {namespace_, R"({"name":"n","status":"Active","created_at":"t"})",
       "error missing field `createdAt` at line 1 column 47"},
      {namespaces, R"([{"name":"a","status":"Active","createdAt":"t","labels":{"k":"v"}},{"name":"b","status":"Gone","createdAt":"u"}])",
       R"(ok [{"name":"a","status":"Active","createdAt":"t","labels":{"k":"v"}},{"name":"b","status":"Gone","createdAt":"u"}])"},
      {namespaces, R"({"items":[]})", "error invalid type: map, expected a sequence at line 1 column 1"},
      // User keys: snake_case keys; a listed key's scope may be missing or null.
      {keys, R"({"keys":[{"id":"1","client_id":"c","name":"n"},{"id":"2","client_id":"d","name":"m","scope":null},)"
             R"({"id":"3","client_id":"e","name":"o","scope":["a"]}]})",
       R"(ok {"keys":[{"id":"1","client_id":"c","name":"n","scope":[]},{"id":"2","client_id":"d","name":"m","scope":[]},)"
       R"({"id":"3","client_id":"e","name":"o","scope":["a"]}]})"},
      {keys, R"({"keys":[{"id":"1","clientId":"c","name":"n"}]})", "error missing field `client_id` at line 1 column 45"},
      {keys, "{}", "error missing field `keys` at line 1 column 2"},
      {new_key, R"({"client_id":"c","client_secret":"s","token_url":"u","name":"n","scope":[]})",
       R"(ok {"client_id":"c","client_secret":"s","token_url":"u","name":"n","scope":[]})"},
      {new_key, R"({"client_id":"c","client_secret":"s","token_url":"u","name":"n"})",
       "error missing field `scope` at line 1 column 64"},
      {new_key, R"({"client_id":"c","client_secret":"s","token_url":"u","name":"n","scope":null})",
       "error invalid type: null, expected a sequence at line 1 column 76"},
      // Signed URLs: "logicalService" is the service; label and revokedAt optional.
      {signed_url, "{" + url_members + "}", "ok {" + url_members + "}"},
      {signed_url, "{" + url_members + R"(,"label":null,"revokedAt":"t2","service":"ignored"})",
       "ok {" + url_members + R"(,"revokedAt":"t2"})"},
      {signed_url, R"({"id":"u1","namespace":"ns","claim":"c","sandbox":"sb","service":"http","url":"x","createdAt":"t0","expiresAt":"t1"})",
       "error missing field `logicalService` at line 1 column 116"},
      {signed_urls, "[{" + url_members + R"(,"label":"preview"}])",
       R"(ok [{"id":"u1","namespace":"ns","claim":"c","sandbox":"sb","logicalService":"http","label":"preview",)"
       R"("url":"https://g/s/x","createdAt":"t0","expiresAt":"t1"}])"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.read(c.text), c.expected) << c.text;
}

TEST(TypesJson, AbsentNullAndEmptyStatusAreToldApart) {
  const std::string head = R"({"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","name":"p"},)"
                           R"("spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}})";
  EXPECT_FALSE(json::read_json<Pool>(head + "}")->status);
  EXPECT_FALSE(json::read_json<Pool>(head + R"(,"status":null})")->status);
  auto empty = json::read_json<Pool>(head + R"(,"status":{}})");
  ASSERT_TRUE(empty->status);
  EXPECT_EQ(*empty->status, schema::KavriSandboxWarmPoolStatus{});
  auto signed_url = json::read_json<SignedServiceUrlResponse>(
      R"({"id":"u1","namespace":"ns","claim":"c","sandbox":"sb","logicalService":"http","url":"x","createdAt":"t0","expiresAt":"t1"})");
  ASSERT_TRUE(signed_url);
  EXPECT_EQ(signed_url->service, "http");
  EXPECT_FALSE(signed_url->label);
  EXPECT_FALSE(signed_url->revoked_at);
}

// Bodies above the size whose buffers a thread keeps are read with buffers of
// their own, and a failure in them is still placed exactly.
TEST(TypesJson, LargeBodiesReadLikeSmallOnes) {
  std::string body = R"({"items":[)";
  const std::string one = R"({"apiVersion":"v","kind":"k","metadata":{"namespace":"ns","name":"p"},)"
                          R"("spec":{"replicas":1,"sandboxTemplateRef":{"name":"t"}},"status":{"replicas":1}})";
  const int count = 2 * (1 << 20) / static_cast<int>(one.size());
  for (int i = 0; i < count; ++i) body += (i ? "," : "") + one;
  auto list = json::read_json<ResourceList<Pool>>(body + "]}");
  ASSERT_TRUE(list);
  ASSERT_EQ(list->items.size(), static_cast<std::size_t>(count));
  EXPECT_EQ(list->items.back().status, schema::KavriSandboxWarmPoolStatus({1, {}, {}}));

  auto broken = json::read_json<ResourceList<Pool>>(body + ",{}]}");
  ASSERT_FALSE(broken);
  EXPECT_EQ(broken.error().message,
            "missing field `apiVersion` at line 1 column " + std::to_string(body.size() + 3));
}

}  // namespace
}  // namespace velmora::sdk
