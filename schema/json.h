// PreservedJson: an immutable, shared JSON object kept verbatim.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include <nlohmann/json.hpp>

#include "boundary/declare.h"
#include "boundary/object.h"

namespace velmora::schema {

// Holds one JSON value whose top level is always an object. Members of every
// object are held in ascending byte-wise key order; integers within the 64-bit
// range are exact. Never changed after it is made, so it is shared freely.
class PreservedJson final : public ffi::Object {
 public:
  const nlohmann::json& value() const noexcept { return value_; }

  // Only for values already known to be objects.
  static ffi::Ref<PreservedJson> adopt_object(nlohmann::json object) {
    return ffi::Ref<PreservedJson>::adopt(new PreservedJson(std::move(object)));
  }

 private:
  explicit PreservedJson(nlohmann::json value) : value_(std::move(value)) {}
  const nlohmann::json value_;
};
VELMORA_OBJECT(velmora_sdk_schema, json, PreservedJson, "A JSON object kept verbatim: tolerations and probes of a VmTemplate.")

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

}  // namespace velmora::schema
