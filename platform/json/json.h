// Reading and writing values as JSON, derived from their declarations
// (boundary/declare.h): records by their fields' JSON keys, enums by their
// variants' JSON strings, and strings, integers, booleans, sequences, maps and
// value trees by the usual rules.
//
// These are declarations only. Each module instantiates the forms of its own
// records with VELMORA_JSON_FORMS (platform/json/forms_impl.h), so that the
// readers are compiled once, beside the module.
#pragma once

#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace velmora::json {

// The deepest nesting of arrays and objects a reader accepts.
inline constexpr std::size_t kMaxDepth = 128;

// Why a text could not be read as a value, or a value not written as JSON.
// Reading messages end with the reader's position: " at line L column C".
struct JsonError {
  std::string message;
  bool operator==(const JsonError&) const = default;
};

// Reads text as exactly one T; only whitespace may surround it. Records are
// read strictly: exact keys in any order, unknown members skipped, duplicate
// and missing members refused, null as absent for optional members.
template <class T>
std::expected<T, JsonError> read_json(std::string_view text);

// The same read through the position-keeping reader alone. read_json falls
// back on it to describe a failure; the benchmark measures it directly.
template <class T>
std::expected<T, JsonError> read_json_located(std::string_view text);

// Appends value as compact JSON: members in declaration order, absent
// optional members omitted unless declared null when absent. Fails only on
// a string that is not UTF-8.
template <class T>
std::expected<void, JsonError> append_json(std::string& out, const T& value);

template <class T>
std::expected<std::string, JsonError> write_json(const T& value) {
  std::string out;
  if (auto written = append_json(out, value); !written) return std::unexpected(std::move(written.error()));
  return out;
}

// value as a JSON value tree (objects keep their members in ascending key
// order), with the same members and omissions as its text; for merge patches.
template <class T>
std::expected<nlohmann::json, JsonError> json_tree(const T& value);

}  // namespace velmora::json
