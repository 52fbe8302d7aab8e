// Exported callables carry what their interface description needs, derived
// from the declarations: module path, names, docstring, argument and result
// types, the error type, the asynchronous flag.
#include <gtest/gtest.h>

#include <algorithm>

#include "boundary/foreign_call.h"
#include "boundary/registry.h"
#include "sdk/src/types.h"

namespace velmora::ffi {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes describe(TypeDescriber describer) {
  DescriptionWriter w;
  if (describer == nullptr) return {type_code::none};
  describer(w);
  return w.bytes();
}

Bytes named(uint8_t code, std::string_view path, std::string_view name) {
  Bytes out{code, static_cast<uint8_t>(path.size())};
  out.insert(out.end(), path.begin(), path.end());
  out.push_back(static_cast<uint8_t>(name.size()));
  out.insert(out.end(), name.begin(), name.end());
  return out;
}

Bytes concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

const CallableInfo& callable(std::string_view symbol) {
  auto exports = listed_exports();
  auto it = std::find_if(exports.begin(), exports.end(), [&](const ExportEntry* e) { return e->symbol == symbol; });
  if (it == exports.end() || (*it)->callable == nullptr) throw std::runtime_error("no callable " + std::string(symbol));
  return *(*it)->callable;
}

TEST(Description, TypesDescribeThemselves) {
  struct Case {
    const char* name;
    Bytes got;
    Bytes expected;
  } cases[] = {
      {"optional bytes", describe(&describe_type<std::optional<std::vector<uint8_t>>>), {12, 17, 0}},
      {"map", describe(&describe_type<std::map<std::string, std::string>>), {18, 11, 11}},
      {"u64 and bool", concat({describe(&describe_type<uint64_t>), describe(&describe_type<bool>)}), {3, 10}},
      {"record", describe(&describe_type<sdk::Pool>), named(13, "velmora_sdk::types", "Pool")},
      {"enum", describe(&describe_type<schema::RuntimeKind>), named(14, "velmora_sdk_schema::common", "RuntimeKind")},
      {"error enum in a root module", describe(&describe_type<schema::SchemaBuildError>),
       named(14, "velmora_sdk_schema", "SchemaBuildError")},
      {"object", describe(&describe_type<Ref<sdk::VelmoraCredentials>>),
       named(16, "velmora_sdk::types", "VelmoraCredentials")},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(Description, CallablesCarryNamesTypesAndDocs) {
  struct Case {
    const char* symbol;
    CallableKind kind;
    std::string_view module;
    std::string_view object;
    std::string_view name;
    bool is_async;
    std::vector<std::pair<std::string_view, Bytes>> args;
    Bytes result;
    Bytes error;
  } cases[] = {
      {"bind_velmora_sdk_fn_func_pool_display_status", CallableKind::function, "status", "", "pool_display_status",
       false, {{"pool", named(13, "velmora_sdk::types", "Pool")}},
       named(13, "velmora_sdk::status", "PoolDisplayStatus"), {255}},
      {"bind_velmora_sdk_fn_method_httpclient_execute", CallableKind::callback_method, "transport", "HttpClient",
       "execute", true, {{"request", named(13, "velmora_sdk::types", "HttpRequest")}},
       named(13, "velmora_sdk::types", "HttpResponse"), named(14, "velmora_sdk::error", "HttpError")},
      {"bind_velmora_sdk_fn_constructor_velmoracredentials_new", CallableKind::constructor, "types",
       "VelmoraCredentials", "new", false, {{"client_id", {11}}, {"client_secret", {11}}},
       named(16, "velmora_sdk::types", "VelmoraCredentials"), {255}},
      {"bind_velmora_sdk_schema_fn_constructor_preservedjson_from_json", CallableKind::constructor, "json",
       "PreservedJson", "from_json", false, {{"value", {11}}}, named(16, "velmora_sdk_schema::json", "PreservedJson"),
       named(14, "velmora_sdk_schema::json", "JsonValueError")},
      {"bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_tolerations", CallableKind::method, "common",
       "VmTemplateBuilder", "tolerations", false,
       {{"value", concat({{17}, named(16, "velmora_sdk_schema::json", "PreservedJson")})}},
       named(16, "velmora_sdk_schema::common", "VmTemplateBuilder"), {255}},
      {"bind_velmora_sdk_fn_method_accesstokenprovider_get_access_token", CallableKind::callback_method, "transport",
       "AccessTokenProvider", "get_access_token", true, {{"force_refresh", {10}}}, {11},
       named(14, "velmora_sdk::error", "AccessTokenProviderError")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.symbol);
    const CallableInfo& info = callable(c.symbol);
    EXPECT_EQ(info.kind, c.kind);
    EXPECT_EQ(info.names.module, c.module);
    EXPECT_EQ(info.object, c.object);
    EXPECT_EQ(info.names.name, c.name);
    EXPECT_FALSE(info.names.doc.empty());
    EXPECT_EQ(info.is_async, c.is_async);
    ASSERT_EQ(info.args.size(), c.args.size());
    for (std::size_t i = 0; i < c.args.size(); ++i) {
      EXPECT_EQ(info.args[i].name, c.args[i].first);
      EXPECT_EQ(describe(info.args[i].type), c.args[i].second) << c.args[i].first;
    }
    EXPECT_EQ(describe(info.result), c.result);
    EXPECT_EQ(describe(info.error), c.error);
  }
}

TEST(Description, FieldsCarryTheirDefaultsAndDocs) {
  std::vector<std::pair<std::string_view, bool>> defaults;
  for_each_field<sdk::HttpRequest>([&](const auto& f) {
    defaults.emplace_back(f.name, f.default_absent);
    if (f.default_absent) {
      EXPECT_FALSE(f.doc.empty()) << f.name;
    }
  });
  EXPECT_EQ(defaults, (std::vector<std::pair<std::string_view, bool>>{{"method", false},
                                                                      {"url", false},
                                                                      {"headers", false},
                                                                      {"body", false},
                                                                      {"timeout_secs", true},
                                                                      {"max_response_bytes", true}}));
}

}  // namespace
}  // namespace velmora::ffi
