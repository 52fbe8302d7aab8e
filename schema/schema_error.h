// The schema component's builder error.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "boundary/declare.h"

namespace velmora::schema {

namespace schema_build_error {
struct MissingRequiredField {
  std::string record_type;
  std::string field;
  bool operator==(const MissingRequiredField&) const = default;
};
VELMORA_ERROR_VARIANT(MissingRequiredField, "MissingRequiredField",
                      "build was called before a required field was set.", VELMORA_FIELD(record_type),
                      VELMORA_FIELD(field))
}  // namespace schema_build_error

struct SchemaBuildError : std::variant<schema_build_error::MissingRequiredField> {
  using Variant = std::variant<schema_build_error::MissingRequiredField>;
  using Variant::Variant;

  // The field of record_type named field (its declared name) was never set.
  static SchemaBuildError missing(std::string record_type, std::string field) {
    return schema_build_error::MissingRequiredField{std::move(record_type), std::move(field)};
  }
};
VELMORA_ERROR_ENUM(velmora_sdk_schema, , SchemaBuildError, "Why a schema builder could not build its record.")

}  // namespace velmora::schema
