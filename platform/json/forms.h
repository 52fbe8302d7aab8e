// JsonForm<T>: how one kind of value is read from a parsed JSON node, written
// as text and written as a value tree. Records and enums take everything from
// their declarations; nothing here is specific to one record.
//
// A node is a view of one parsed value, provided by each reader
// (simd_reader.h, located_reader.h):
//   JsonKind kind();  bool boolean();  uint64_t unsigned_value();
//   int64_t signed_value();  double floating_value();  std::string_view string();
//   bool is_null();  bool get_string(view&);  bool get_boolean(bool&);
//   bool get_unsigned(uint64_t&)  (the value when the node has that kind);
//   std::size_t size_hint();  for_each_element(fn(node));
//   for_each_member(fn(std::string_view key, node key_node, node value));
//   [[noreturn]] fail(message)  at the node;  fail_at_end(message)  at its end.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "boundary/declare.h"
#include "platform/json/text_writer.h"

namespace velmora::json {

enum class JsonKind : uint8_t { null, boolean, negative_integer, unsigned_integer, floating, string, array, object };

template <class T>
struct JsonForm;  // read(node), write(TextWriter&, value), tree(value)

// The fixed texts of reading failures.
inline constexpr std::string_view kDuplicateField = "duplicate field `";
inline constexpr std::string_view kMissingField = "missing field `";
inline constexpr std::string_view kUnknownVariant = "unknown variant `";

// What a node holds, as reading failures name it: "integer `-1`", "map", ...
template <class Node>
std::string unexpected_text(const Node& node) {
  switch (node.kind()) {
    case JsonKind::null: return "null";
    case JsonKind::boolean: return node.boolean() ? "boolean `true`" : "boolean `false`";
    case JsonKind::negative_integer: return "integer `" + std::to_string(node.signed_value()) + "`";
    case JsonKind::unsigned_integer: return "integer `" + std::to_string(node.unsigned_value()) + "`";
    case JsonKind::floating: {
      char digits[32];
      auto end = std::to_chars(digits, digits + sizeof digits, node.floating_value()).ptr;
      return "floating point `" + std::string(digits, end) + "`";
    }
    case JsonKind::string: return "string \"" + std::string(node.string()) + "\"";
    case JsonKind::array: return "sequence";
    case JsonKind::object: return "map";
  }
  return "value";
}

template <class Node>
[[noreturn]] void fail_type(const Node& node, std::string_view expected) {
  node.fail("invalid type: " + unexpected_text(node) + ", expected " + std::string(expected));
}

template <>
struct JsonForm<std::string> {
  template <class Node>
  static std::string read(const Node& node) {
    std::string_view v;
    if (!node.get_string(v)) fail_type(node, "a string");
    return std::string(v);
  }
  static void write(TextWriter& w, const std::string& v) { w.string(v); }
  static nlohmann::json tree(const std::string& v) {
    require_writable(v);
    return v;
  }
};

template <>
struct JsonForm<bool> {
  template <class Node>
  static bool read(const Node& node) {
    bool v = false;
    if (!node.get_boolean(v)) fail_type(node, "a boolean");
    return v;
  }
  static void write(TextWriter& w, bool v) { w.boolean(v); }
  static nlohmann::json tree(bool v) { return v; }
};

// Unsigned integers: a non-negative integer within the width; no fractions.
template <class U>
  requires std::is_same_v<U, uint16_t> || std::is_same_v<U, uint32_t> || std::is_same_v<U, uint64_t>
struct JsonForm<U> {
  static constexpr std::string_view name = sizeof(U) == 2 ? "u16" : sizeof(U) == 4 ? "u32" : "u64";

  template <class Node>
  static U read(const Node& node) {
    uint64_t v = 0;
    if (node.get_unsigned(v) && v <= std::numeric_limits<U>::max()) return static_cast<U>(v);
    const JsonKind kind = node.kind();
    if (kind == JsonKind::unsigned_integer || kind == JsonKind::negative_integer) {
      node.fail("invalid value: " + unexpected_text(node) + ", expected " + std::string(name));
    }
    fail_type(node, name);
  }
  static void write(TextWriter& w, U v) { w.unsigned_integer(v); }
  static nlohmann::json tree(U v) { return v; }
};

template <class T>
struct JsonForm<std::vector<T>> {
  template <class Node>
  static std::vector<T> read(const Node& node) {
    if (node.kind() != JsonKind::array) fail_type(node, "a sequence");
    std::vector<T> out;
    out.reserve(node.size_hint());
    node.for_each_element([&](const Node& element) { out.push_back(JsonForm<T>::read(element)); });
    return out;
  }
  static void write(TextWriter& w, const std::vector<T>& v) {
    w.push('[');
    for (std::size_t i = 0; i < v.size(); ++i) {
      if (i != 0) w.push(',');
      JsonForm<T>::write(w, v[i]);
    }
    w.push(']');
  }
  static nlohmann::json tree(const std::vector<T>& v) {
    nlohmann::json out = nlohmann::json::array();
    for (const auto& e : v) out.push_back(JsonForm<T>::tree(e));
    return out;
  }
};

// Maps from string to string: an object of string values; a repeated key
// keeps its last value.
template <>
struct JsonForm<std::map<std::string, std::string>> {
  using Map = std::map<std::string, std::string>;
  template <class Node>
  static Map read(const Node& node) {
    if (node.kind() != JsonKind::object) fail_type(node, "a map");
    Map out;
    node.for_each_member([&](std::string_view key, const Node&, const Node& value) {
      out.insert_or_assign(std::string(key), JsonForm<std::string>::read(value));
    });
    return out;
  }
  static void write(TextWriter& w, const Map& v) {
    w.push('{');
    bool first = true;
    for (const auto& [key, value] : v) {
      if (!first) w.push(',');
      first = false;
      w.string(key);
      w.push(':');
      w.string(value);
    }
    w.push('}');
  }
  static nlohmann::json tree(const Map& v) {
    nlohmann::json out = nlohmann::json::object();
    for (const auto& [key, value] : v) {
      require_writable(key);
      out[key] = JsonForm<std::string>::tree(value);
    }
    return out;
  }
};

// Any JSON value, as a tree: objects keep the last of repeated keys, integers
// stay exact, other numbers become doubles.
template <>
struct JsonForm<nlohmann::json> {
  template <class Node>
  static nlohmann::json read(const Node& node) {
    switch (node.kind()) {
      case JsonKind::null: return nullptr;
      case JsonKind::boolean: return node.boolean();
      case JsonKind::negative_integer: return node.signed_value();
      case JsonKind::unsigned_integer: return node.unsigned_value();
      case JsonKind::floating: return node.floating_value();
      case JsonKind::string: return std::string(node.string());
      case JsonKind::array: {
        nlohmann::json out = nlohmann::json::array();
        node.for_each_element([&](const Node& element) { out.push_back(read(element)); });
        return out;
      }
      case JsonKind::object: {
        nlohmann::json out = nlohmann::json::object();
        node.for_each_member([&](std::string_view key, const Node&, const Node& value) {
          out[std::string(key)] = read(value);
        });
        return out;
      }
    }
    return nullptr;
  }
  static void write(TextWriter& w, const nlohmann::json& v) { w.raw(v.dump()); }
  static nlohmann::json tree(const nlohmann::json& v) { return v; }
};

// Enums: exactly one of the variants' declared JSON strings, letter case included.
template <ffi::EnumType E>
struct JsonForm<E> {
  static constexpr const auto& variants = ffi::info_of<E>.variants;
  static_assert(std::all_of(variants.begin(), variants.end(), [](const auto& v) { return !v.json.empty(); }),
                "an enum read or written as JSON declares a JSON string for every variant");

  // "`a`", "`a` or `b`", "one of `a`, `b`, `c`".
  static std::string expected_text() {
    std::string out = variants.size() > 2 ? "one of " : "";
    for (std::size_t i = 0; i < variants.size(); ++i) {
      if (i != 0) out += variants.size() == 2 ? " or " : ", ";
      out += "`" + std::string(variants[i].json) + "`";
    }
    return out;
  }

  template <class Node>
  static E read(const Node& node) {
    std::string_view text;
    if (!node.get_string(text)) fail_type(node, "a string");
    for (const auto& v : variants) {
      if (v.json == text) return v.value;
    }
    node.fail(std::string(kUnknownVariant) + std::string(text) + "`, expected " + expected_text());
  }
  static std::string_view text_of(E value) {
    for (const auto& v : variants) {
      if (v.value == value) return v.json;
    }
    throw WriteFailure("value outside its enumeration");
  }
  static void write(TextWriter& w, E v) { w.string(text_of(v)); }
  static nlohmann::json tree(E v) { return std::string(text_of(v)); }
};

template <class T>
inline constexpr bool is_optional_v = false;
template <class T>
inline constexpr bool is_optional_v<std::optional<T>> = true;

// Whether every field of record T has a JSON key, that is whether T has a JSON form.
template <ffi::RecordType T>
consteval bool has_json_form() {
  bool all = true;
  ffi::for_each_field<T>([&](const auto& f) { all = all && !f.json_key.empty(); });
  return all;
}

// Whether no two fields of record T share a JSON key.
template <ffi::RecordType T>
consteval bool has_distinct_keys() {
  bool distinct = true;
  ffi::for_each_field<T>([&](const auto& a) {
    int same = 0;
    ffi::for_each_field<T>([&](const auto& b) { same += a.json_key == b.json_key ? 1 : 0; });
    distinct = distinct && same == 1;
  });
  return distinct;
}

// Records: an object with one member per field, under the field's JSON key.
template <ffi::RecordType T>
struct JsonForm<T> {
  static_assert(has_json_form<T>(), "a record read or written as JSON declares a JSON key for every field");
  static_assert(has_distinct_keys<T>(), "a record's JSON keys are distinct");
  static_assert(ffi::info_of<T>.field_count <= 64, "fields are tracked in one 64-bit mask");

  template <class Node>
  static T read(const Node& node) {
    if (node.kind() != JsonKind::object) fail_type(node, "struct " + std::string(ffi::info_of<T>.names.name));
    T out{};
    uint64_t seen = 0;
    node.for_each_member([&](std::string_view key, const Node& key_node, const Node& value) {
      read_member(out, seen, key, key_node, value, std::make_index_sequence<ffi::info_of<T>.field_count>{});
    });
    check_missing(node, seen, std::make_index_sequence<ffi::info_of<T>.field_count>{});
    return out;
  }

  static void write(TextWriter& w, const T& v) {
    w.push('{');
    bool first = true;
    ffi::for_each_field<T>([&](const auto& f) {
      const auto& member = v.*(f.member);
      using M = std::remove_cvref_t<decltype(member)>;
      if constexpr (is_optional_v<M>) {
        if (!member) {
          if (f.when_absent == ffi::JsonAbsent::null) {
            w.member(first, f.json_key);
            w.null();
          }
          return;
        }
        w.member(first, f.json_key);
        JsonForm<typename M::value_type>::write(w, *member);
      } else {
        w.member(first, f.json_key);
        JsonForm<M>::write(w, member);
      }
    });
    w.push('}');
  }

  static nlohmann::json tree(const T& v) {
    nlohmann::json out = nlohmann::json::object();
    ffi::for_each_field<T>([&](const auto& f) {
      const auto& member = v.*(f.member);
      using M = std::remove_cvref_t<decltype(member)>;
      const std::string key(f.json_key);
      if constexpr (is_optional_v<M>) {
        if (member) {
          out[key] = JsonForm<typename M::value_type>::tree(*member);
        } else if (f.when_absent == ffi::JsonAbsent::null) {
          out[key] = nullptr;
        }
      } else {
        out[key] = JsonForm<M>::tree(member);
      }
    });
    return out;
  }

 private:
  template <class F>
  static constexpr bool required(const F& f) {
    return !is_optional_v<typename F::value_type> && !f.empty_when_missing;
  }

  // Finds the field whose key matches and reads it; other keys are skipped.
  template <class Node, std::size_t... I>
  static void read_member(T& out, uint64_t& seen, std::string_view key, const Node& key_node, const Node& value,
                          std::index_sequence<I...>) {
    (void)((key == std::get<I>(ffi::info_of<T>.fields).json_key
                ? (read_field<I>(out, seen, key, key_node, value), true)
                : false) ||
           ...);
  }

  template <std::size_t I, class Node>
  static void read_field(T& out, uint64_t& seen, std::string_view key, const Node& key_node, const Node& value) {
    constexpr const auto& f = std::get<I>(ffi::info_of<T>.fields);
    using M = typename std::remove_cvref_t<decltype(f)>::value_type;
    if (seen & (uint64_t{1} << I)) key_node.fail(std::string(kDuplicateField) + std::string(key) + "`");
    seen |= uint64_t{1} << I;
    auto& member = out.*(f.member);
    if constexpr (is_optional_v<M>) {
      if (!value.is_null()) member.emplace(JsonForm<typename M::value_type>::read(value));
    } else if constexpr (f.empty_when_missing) {
      if (!value.is_null()) member = JsonForm<M>::read(value);
    } else {
      member = JsonForm<M>::read(value);
    }
  }

  // The first required field without a member, in declaration order, fails the read.
  template <class Node, std::size_t... I>
  static void check_missing(const Node& node, uint64_t seen, std::index_sequence<I...>) {
    (void)((required(std::get<I>(ffi::info_of<T>.fields)) && !(seen & (uint64_t{1} << I))
                ? (node.fail_at_end(std::string(kMissingField) +
                                    std::string(std::get<I>(ffi::info_of<T>.fields).json_key) + "`"),
                   true)
                : false) ||
           ...);
  }
};

}  // namespace velmora::json
