// The fast reader: simdjson's DOM parser (SIMD kernels chosen at run time).
// It keeps no positions, so at the first failure it gives up and read_json
// reads the text again with the located reader to describe the failure.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <simdjson.h>

#include "platform/json/forms.h"

namespace velmora::json {

// Thrown by a SimdNode at any failure; caught by try_read_fast.
struct FastPathMiss {};

// A node over simdjson's DOM (see forms.h for what a node offers). The
// accessors are called only for the kind the node has (forms.h checks kind()
// first), so their results need no checking.
class SimdNode {
 public:
  explicit SimdNode(simdjson::dom::element element) noexcept : e_(element) {}

  JsonKind kind() const noexcept {
    using simdjson::dom::element_type;
    switch (e_.type()) {
      case element_type::ARRAY: return JsonKind::array;
      case element_type::OBJECT: return JsonKind::object;
      case element_type::INT64: return signed_value() < 0 ? JsonKind::negative_integer : JsonKind::unsigned_integer;
      case element_type::UINT64: return JsonKind::unsigned_integer;
      case element_type::DOUBLE: return JsonKind::floating;
      case element_type::STRING: return JsonKind::string;
      case element_type::BOOL: return JsonKind::boolean;
      case element_type::NULL_VALUE: return JsonKind::null;
    }
    return JsonKind::null;
  }
  bool boolean() const noexcept { return e_.get_bool().value_unsafe(); }
  uint64_t unsigned_value() const noexcept { return e_.get_uint64().value_unsafe(); }
  int64_t signed_value() const noexcept { return e_.get_int64().value_unsafe(); }
  double floating_value() const noexcept { return e_.get_double().value_unsafe(); }
  std::string_view string() const noexcept { return e_.get_string().value_unsafe(); }
  // The fast paths of the forms: the value when the node has that kind.
  bool is_null() const noexcept { return e_.is_null(); }
  bool get_string(std::string_view& v) const noexcept { return e_.get_string().get(v) == simdjson::SUCCESS; }
  bool get_boolean(bool& v) const noexcept { return e_.get_bool().get(v) == simdjson::SUCCESS; }
  bool get_unsigned(uint64_t& v) const noexcept { return e_.get_uint64().get(v) == simdjson::SUCCESS; }

  std::size_t size_hint() const noexcept {
    simdjson::dom::array a;
    if (e_.get_array().get(a) != simdjson::SUCCESS) return 0;
    const std::size_t n = a.size();
    return n == 0xFFFFFF ? 0 : n;  // simdjson saturates the count there
  }

  template <class Fn>
  void for_each_element(Fn&& fn) const {
    simdjson::dom::array a;
    if (e_.get_array().get(a) != simdjson::SUCCESS) throw FastPathMiss{};
    for (simdjson::dom::element element : a) fn(SimdNode(element));
  }
  template <class Fn>
  void for_each_member(Fn&& fn) const {
    simdjson::dom::object o;
    if (e_.get_object().get(o) != simdjson::SUCCESS) throw FastPathMiss{};
    for (simdjson::dom::key_value_pair member : o) {
      SimdNode value(member.value);
      fn(member.key, value, value);
    }
  }

  [[noreturn]] void fail(const std::string&) const { throw FastPathMiss{}; }
  [[noreturn]] void fail_at_end(const std::string&) const { throw FastPathMiss{}; }

 private:
  simdjson::dom::element e_;
};

// A parsed document. Small documents use the thread's own parser, whose
// buffers are reused from one read to the next; a large one gets a parser of
// its own, freed with the document, so that no thread keeps buffers sized for
// the largest body it ever read.
class SimdDocument {
 public:
  explicit SimdDocument(std::string_view text);
  SimdDocument(const SimdDocument&) = delete;
  SimdDocument& operator=(const SimdDocument&) = delete;
  ~SimdDocument();

  // The root value, or nothing when the text is not one JSON value within
  // the nesting limit.
  std::optional<simdjson::dom::element> root() const noexcept { return root_; }

 private:
  std::unique_ptr<simdjson::dom::parser> own_;
  simdjson::dom::parser* parser_ = nullptr;
  std::optional<simdjson::dom::element> root_;
};

// Reads T with the fast reader; nothing when it fails, for whatever reason.
template <class T>
std::optional<T> try_read_fast(std::string_view text) {
  SimdDocument document(text);
  auto root = document.root();
  if (!root) return std::nullopt;
  try {
    return JsonForm<T>::read(SimdNode(*root));
  } catch (const FastPathMiss&) {
    return std::nullopt;
  }
}

}  // namespace velmora::json
