// The definitions behind json.h. Included only by the files that instantiate
// JSON forms (one per module), since it brings in both readers.
//
//   VELMORA_JSON_FORMS(VmTemplate)
//
// instantiates read_json, read_json_located, append_json and json_tree of VmTemplate.
#pragma once

#include "platform/json/forms.h"
#include "platform/json/json.h"
#include "platform/json/located_reader.h"
#include "platform/json/simd_reader.h"

namespace velmora::json {

template <class T>
std::expected<T, JsonError> read_json(std::string_view text) {
  if (auto value = try_read_fast<T>(text)) return std::move(*value);
  // The located reader decides: it gives the failure with its position (or,
  // where the two readers differ on what they accept, the value).
  return read_json_located<T>(text);
}

template <class T>
std::expected<void, JsonError> append_json(std::string& out, const T& value) {
  const std::size_t size_before = out.size();
  try {
    TextWriter writer(out);
    JsonForm<T>::write(writer, value);
    return {};
  } catch (const WriteFailure& failure) {
    out.resize(size_before);
    return std::unexpected(JsonError{failure.what()});
  } catch (const nlohmann::json::exception& failure) {
    out.resize(size_before);
    return std::unexpected(JsonError{failure.what()});
  }
}

template <class T>
std::expected<nlohmann::json, JsonError> json_tree(const T& value) {
  try {
    return JsonForm<T>::tree(value);
  } catch (const WriteFailure& failure) {
    return std::unexpected(JsonError{failure.what()});
  }
}

}  // namespace velmora::json

#define VELMORA_JSON_FORMS(TYPE)                                                                       \
  template std::expected<TYPE, ::velmora::json::JsonError> velmora::json::read_json<TYPE>(std::string_view); \
  template std::expected<TYPE, ::velmora::json::JsonError> velmora::json::read_json_located<TYPE>(std::string_view); \
  template std::expected<void, ::velmora::json::JsonError> velmora::json::append_json<TYPE>(std::string&,           \
                                                                                          const TYPE&);          \
  template std::expected<nlohmann::json, ::velmora::json::JsonError> velmora::json::json_tree<TYPE>(const TYPE&);
