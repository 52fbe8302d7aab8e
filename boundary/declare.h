// The vocabulary in which every record, enum, error enum and object of the
// interface is declared once. The codec, the JSON forms, the exports and the
// interface description are all derived from these declarations.
//
//   struct SandboxTemplateRef { std::string name; };
//   VELMORA_RECORD(velmora_sdk_schema, common, SandboxTemplateRef, "Names a template.",
//                  VELMORA_FIELD(name).json("name"));
//
// A declaration is a constexpr function `velmora_describe(std::type_identity<T>)`
// found by argument-dependent lookup, so it sits in the namespace of its type.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <variant>

namespace velmora::ffi {

// How an absent optional member is written as JSON.
enum class JsonAbsent { omit, null };

template <class R, class T>
struct Field {
  using record_type = R;
  using value_type = T;

  T R::*member;
  std::string_view name;             // the field's interface name
  std::string_view json_key = {};    // empty: the field has no JSON form
  std::string_view doc = {};
  bool default_absent = false;       // the interface description's "defaults to absent"
  JsonAbsent when_absent = JsonAbsent::omit;
  bool empty_when_missing = false;   // a missing or null member reads as the empty value

  constexpr Field json(std::string_view key) const {
    Field f = *this;
    f.json_key = key;
    return f;
  }
  constexpr Field documented(std::string_view text) const {
    Field f = *this;
    f.doc = text;
    return f;
  }
  constexpr Field defaults_absent() const {
    Field f = *this;
    f.default_absent = true;
    return f;
  }
  constexpr Field null_when_absent() const {
    Field f = *this;
    f.when_absent = JsonAbsent::null;
    return f;
  }
  constexpr Field empty_if_missing() const {
    Field f = *this;
    f.empty_when_missing = true;
    return f;
  }
};

template <class R, class T>
constexpr Field<R, T> field(T R::*member, std::string_view name) {
  return Field<R, T>{member, name};
}

struct ItemNames {
  std::string_view component;
  std::string_view module;
  std::string_view name;
  std::string_view doc;
};

// A record, or one variant of an error enum (whose component and module are empty).
template <class... Fields>
struct RecordInfo {
  ItemNames names;
  std::tuple<Fields...> fields;
  static constexpr std::size_t field_count = sizeof...(Fields);
};

template <class... Fields>
constexpr RecordInfo<Fields...> record_info(ItemNames names, Fields... fields) {
  return RecordInfo<Fields...>{names, std::tuple<Fields...>{fields...}};
}

template <class E>
struct EnumVariant {
  E value;
  std::string_view name;
  std::string_view json = {};  // the variant's JSON string, where the enum has a JSON form
  std::string_view doc = {};

  constexpr EnumVariant as_json(std::string_view text) const {
    EnumVariant v = *this;
    v.json = text;
    return v;
  }
};

template <class E, std::size_t N>
struct EnumInfo {
  ItemNames names;
  std::array<EnumVariant<E>, N> variants;
};

template <class E, class... V>
constexpr EnumInfo<E, sizeof...(V)> enum_info(ItemNames names, V... variants) {
  EnumInfo<E, sizeof...(V)> info{names, {variants...}};
  for (std::size_t i = 0; i < info.variants.size(); ++i) {
    // Wire numbers are the declaration order from 1; the C++ values must agree.
    if (static_cast<std::size_t>(info.variants[i].value) != i + 1) throw "enum values must count from 1";
  }
  return info;
}

// An error enum: a class deriving from std::variant whose alternatives are its
// variants in declared order, each declared with VELMORA_ERROR_VARIANT.
struct ErrorInfo {
  ItemNames names;
};

struct ObjectInfo {
  ItemNames names;
};

// An interface the foreign caller may implement (an abstract Object).
struct CallbackInterfaceInfo {
  ItemNames names;
};

// Declarations are found by argument-dependent lookup; this keeps the name known here.
void velmora_describe() = delete;

template <class T>
concept Described = requires { velmora_describe(std::type_identity<T>{}); };

template <class T>
inline constexpr auto info_of = velmora_describe(std::type_identity<T>{});

template <class I>
struct is_record_info : std::false_type {};
template <class... F>
struct is_record_info<RecordInfo<F...>> : std::true_type {};
template <class I>
struct is_enum_info : std::false_type {};
template <class E, std::size_t N>
struct is_enum_info<EnumInfo<E, N>> : std::true_type {};

template <class T>
concept RecordType = Described<T> && is_record_info<std::remove_cvref_t<decltype(info_of<T>)>>::value;
template <class T>
concept EnumType = Described<T> && std::is_enum_v<T> && is_enum_info<std::remove_cvref_t<decltype(info_of<T>)>>::value;
template <class T>
concept ErrorEnumType = Described<T> && std::is_same_v<std::remove_cvref_t<decltype(info_of<T>)>, ErrorInfo>;
template <class T>
concept ObjectType = Described<T> && std::is_same_v<std::remove_cvref_t<decltype(info_of<T>)>, ObjectInfo>;
template <class T>
concept CallbackInterfaceType =
    Described<T> && std::is_same_v<std::remove_cvref_t<decltype(info_of<T>)>, CallbackInterfaceInfo>;

// The number of members of aggregate T: the most initializers T{...} takes.
namespace detail {
struct AnyValue {
  template <class U>
  operator U() const;
};
template <class T, std::size_t... I>
constexpr bool brace_constructible(std::index_sequence<I...>) {
  return requires { T{(static_cast<void>(I), AnyValue{})...}; };
}
template <class T, std::size_t N = 0>
constexpr std::size_t aggregate_arity() {
  if constexpr (brace_constructible<T>(std::make_index_sequence<N + 1>{})) {
    return aggregate_arity<T, N + 1>();
  } else {
    return N;
  }
}
}  // namespace detail
template <class T>
inline constexpr std::size_t aggregate_arity_v = detail::aggregate_arity<T>();

// Calls fn(field) for each declared field of record T, in declared order.
template <RecordType T, class Fn>
constexpr void for_each_field(Fn&& fn) {
  std::apply([&](const auto&... f) { (fn(f), ...); }, info_of<T>.fields);
}

template <ErrorEnumType E>
using error_variant_t = typename E::Variant;

}  // namespace velmora::ffi

#define VELMORA_FIELD(NAME) ::velmora::ffi::field(&Self::NAME, #NAME)
// For a field whose interface name is a C++ keyword (the member is NAME_).
#define VELMORA_FIELD_AS(MEMBER, NAME) ::velmora::ffi::field(&Self::MEMBER, NAME)
#define VELMORA_ENUM_VARIANT(NAME) ::velmora::ffi::EnumVariant<Self>{Self::NAME, #NAME}

#define VELMORA_RECORD(COMPONENT, MODULE, TYPE, DOC, ...)                                  \
  [[maybe_unused]] constexpr auto velmora_describe(std::type_identity<TYPE>) {            \
    using Self [[maybe_unused]] = TYPE;                                                                     \
    return ::velmora::ffi::record_info(::velmora::ffi::ItemNames{#COMPONENT, #MODULE, #TYPE, DOC} \
                                           __VA_OPT__(, ) __VA_ARGS__);                    \
  }

#define VELMORA_ENUM(COMPONENT, MODULE, TYPE, DOC, ...)                                        \
  [[maybe_unused]] constexpr auto velmora_describe(std::type_identity<TYPE>) {                \
    using Self [[maybe_unused]] = TYPE;                                                                         \
    return ::velmora::ffi::enum_info<TYPE>(::velmora::ffi::ItemNames{#COMPONENT, #MODULE, #TYPE, DOC}, \
                                           __VA_ARGS__);                                       \
  }

#define VELMORA_ERROR_ENUM(COMPONENT, MODULE, TYPE, DOC)                               \
  [[maybe_unused]] constexpr ::velmora::ffi::ErrorInfo velmora_describe(std::type_identity<TYPE>) { \
    return {{#COMPONENT, #MODULE, #TYPE, DOC}};                                        \
  }

// One variant of an error enum: its name, docstring and fields.
#define VELMORA_ERROR_VARIANT(TYPE, NAME, DOC, ...)                                              \
  [[maybe_unused]] constexpr auto velmora_describe(std::type_identity<TYPE>) {                  \
    using Self [[maybe_unused]] = TYPE; /* a variant may have no fields */                       \
    return ::velmora::ffi::record_info(::velmora::ffi::ItemNames{"", "", NAME, DOC} __VA_OPT__(, ) \
                                           __VA_ARGS__);                                         \
  }

#define VELMORA_OBJECT(COMPONENT, MODULE, TYPE, DOC)                                    \
  [[maybe_unused]] constexpr ::velmora::ffi::ObjectInfo velmora_describe(std::type_identity<TYPE>) { \
    return {{#COMPONENT, #MODULE, #TYPE, DOC}};                                         \
  }

#define VELMORA_CALLBACK_INTERFACE(COMPONENT, MODULE, TYPE, DOC)                                        \
  [[maybe_unused]] constexpr ::velmora::ffi::CallbackInterfaceInfo velmora_describe(std::type_identity<TYPE>) { \
    return {{#COMPONENT, #MODULE, #TYPE, DOC}};                                                         \
  }

// A record that only shapes JSON read or written inside the library (a list
// wrapper, say): it has no component or module and is no part of the interface.
#define VELMORA_INTERNAL_RECORD(TYPE, ...)                                                      \
  [[maybe_unused]] constexpr auto velmora_describe(std::type_identity<TYPE>) {                 \
    using Self [[maybe_unused]] = TYPE;                                                         \
    return ::velmora::ffi::record_info(::velmora::ffi::ItemNames{"", "", #TYPE, ""}, __VA_ARGS__); \
  }
