#include "schema/json.h"

#include "boundary/export.h"
#include "platform/json/forms_impl.h"

VELMORA_JSON_FORMS(nlohmann::json)

namespace velmora::schema {
namespace {

constexpr std::string_view kInvalidJsonDisplay = "value must be valid JSON: ";

JsonValueError invalid(std::string reason) { return json_value_error::Invalid{std::move(reason)}; }

}  // namespace

std::string display(const JsonValueError& error) {
  return std::string(kInvalidJsonDisplay) + std::get<json_value_error::Invalid>(error).reason;
}

std::expected<ffi::Ref<PreservedJson>, JsonValueError> PreservedJson::from_json(std::string value) {
  auto tree = json::read_json<nlohmann::json>(value);
  if (!tree) return std::unexpected(invalid(std::move(tree.error().message)));
  return from_tree(std::move(*tree));
}

std::expected<ffi::Ref<PreservedJson>, JsonValueError> PreservedJson::from_tree(nlohmann::json value) {
  if (!value.is_object()) return std::unexpected(invalid(std::string(kMustBeJsonObject)));
  return ffi::Ref<PreservedJson>::adopt(new PreservedJson(std::move(value)));
}

std::string PreservedJson::to_json() const { return value_.dump(); }

VELMORA_EXPORT_OBJECT(velmora_sdk_schema, PreservedJson, preservedjson)
VELMORA_EXPORT_CONSTRUCTOR(velmora_sdk_schema, PreservedJson, preservedjson, from_json, &PreservedJson::from_json,
                           "Parses a JSON object; any other JSON value, or text that is not JSON, is refused.",
                           "value")
VELMORA_EXPORT_METHOD(velmora_sdk_schema, PreservedJson, preservedjson, to_json,
                      "The object as compact JSON, members in ascending key order at every level.")

}  // namespace velmora::schema
