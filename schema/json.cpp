#include "schema/json.h"

#include "boundary/export.h"

namespace velmora::schema {

VELMORA_EXPORT_OBJECT(velmora_sdk_schema, PreservedJson, preservedjson)

}  // namespace velmora::schema
