// Builders: immutable objects that assemble a record step by step, derived
// from the record's declaration. A builder holds one slot per field; every
// setter returns a new builder and leaves its receiver as it was; build()
// checks the required fields, the record's non-optional ones in declaration
// order, and names the first empty one with Error::missing(record, field).
//
//   using SandboxServiceBuilder = ffi::RecordBuilder<SandboxService, SchemaBuildError>;
//   VELMORA_OBJECT(velmora_sdk_schema, common, SandboxServiceBuilder, "...");
//
// Its exports are one line in the module's source (boundary/builder_export.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "boundary/declare.h"
#include "boundary/object.h"

namespace velmora::ffi {

template <class M>
struct plain_type {
  using type = M;
};
template <class U>
struct plain_type<std::optional<U>> {
  using type = U;
};

// The index of the field of record T declared under name.
template <RecordType T>
consteval std::size_t field_index(std::string_view name) {
  std::size_t index = 0;
  std::size_t found = info_of<T>.field_count;
  for_each_field<T>([&](const auto& f) {
    if (f.name == name) found = index;
    ++index;
  });
  if (found == info_of<T>.field_count) throw "the record declares no field of that name";
  return found;
}

template <RecordType T, std::size_t I>
using field_type_t = typename std::tuple_element_t<I, std::remove_cvref_t<decltype(info_of<T>.fields)>>::value_type;

template <RecordType T, class Error>
class RecordBuilder final : public Object {
 public:
  using record_type = T;
  static_assert(info_of<T>.field_count <= 64, "slots are tracked in one 64-bit mask");

  static Ref<RecordBuilder> create() { return Ref<RecordBuilder>::adopt(new RecordBuilder(T{}, 0)); }

  // The setter of field I: the plain value, never an optional one.
  template <std::size_t I>
  Ref<RecordBuilder> set(typename plain_type<field_type_t<T, I>>::type value) const {
    T next = slots_;
    next.*(std::get<I>(info_of<T>.fields).member) = std::move(value);
    return Ref<RecordBuilder>::adopt(new RecordBuilder(std::move(next), filled_ | (uint64_t{1} << I)));
  }

  std::expected<T, Error> build() const {
    std::optional<std::string_view> missing;
    std::size_t index = 0;
    for_each_field<T>([&](const auto& f) {
      using M = typename std::remove_cvref_t<decltype(f)>::value_type;
      const bool optional = !std::is_same_v<typename plain_type<M>::type, M>;
      if (!optional && !missing && !(filled_ & (uint64_t{1} << index))) missing = f.name;
      ++index;
    });
    if (missing) return std::unexpected(Error::missing(std::string(info_of<T>.names.name), std::string(*missing)));
    return slots_;
  }

 private:
  // The record stands in for the slots: an optional field's slot is the
  // field itself, and filled_ says which required fields have been set.
  RecordBuilder(T slots, uint64_t filled) : slots_(std::move(slots)), filled_(filled) {}

  const T slots_;
  const uint64_t filled_;
};

}  // namespace velmora::ffi
