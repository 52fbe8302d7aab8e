// Module json: PreservedJson, an immutable, shared JSON object kept verbatim.
#pragma once

#include <expected>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

#include "boundary/declare.h"
#include "boundary/object.h"
#include "platform/json/forms.h"

namespace velmora::schema {

namespace json_value_error {
struct Invalid {
  std::string reason;
  bool operator==(const Invalid&) const = default;
};
VELMORA_ERROR_VARIANT(Invalid, "Invalid", "The text is not JSON, or not a JSON object.", VELMORA_FIELD(reason))
}  // namespace json_value_error

// The error of making a PreservedJson.
struct JsonValueError : std::variant<json_value_error::Invalid> {
  using Variant = std::variant<json_value_error::Invalid>;
  using Variant::Variant;
};
VELMORA_ERROR_ENUM(velmora_sdk_schema, json, JsonValueError, "Why a text could not be made into a PreservedJson.")

// The reason of a JSON value that is not an object.
inline constexpr std::string_view kMustBeJsonObject = "value must be a JSON object";

// "value must be valid JSON: " followed by the reason.
std::string display(const JsonValueError& error);

// Holds one JSON value whose top level is always an object. Members of every
// object are held in ascending byte-wise key order; integers within the 64-bit
// range are exact. Never changed after it is made, so it is shared freely.
class PreservedJson final : public ffi::Object {
 public:
  // Reads text as one JSON value (the readers' usual rules) that must be an object.
  static std::expected<ffi::Ref<PreservedJson>, JsonValueError> from_json(std::string value);
  static std::expected<ffi::Ref<PreservedJson>, JsonValueError> from_tree(nlohmann::json value);

  // Compact text, keys in ascending order at every level. Never fails.
  std::string to_json() const;

  const nlohmann::json& value() const noexcept { return value_; }

 private:
  explicit PreservedJson(nlohmann::json value) : value_(std::move(value)) {}
  const nlohmann::json value_;
};
VELMORA_OBJECT(velmora_sdk_schema, json, PreservedJson, "A JSON object kept verbatim: tolerations and probes of a VmTemplate.")

}  // namespace velmora::schema

namespace velmora::json {

// A PreservedJson member is its object, embedded in the record's text; any
// other value fails the record's read.
template <>
struct JsonForm<ffi::Ref<schema::PreservedJson>> {
  using Ref = ffi::Ref<schema::PreservedJson>;

  template <class Node>
  static Ref read(const Node& node) {
    if (node.kind() != JsonKind::object) {
      node.fail(schema::display(schema::json_value_error::Invalid{std::string(schema::kMustBeJsonObject)}));
    }
    return *schema::PreservedJson::from_tree(JsonForm<nlohmann::json>::read(node));
  }
  static void write(TextWriter& w, const Ref& v) { w.raw(v->to_json()); }
  static nlohmann::json tree(const Ref& v) { return v->value(); }
};

}  // namespace velmora::json
