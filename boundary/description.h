// What the interface description of an item is made from: each type's
// description bytes, and each exported callable's names, docstring, arguments,
// result and error, all derived from the declarations.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "boundary/declare.h"
#include "boundary/object.h"

namespace velmora::ffi {

// Appends description bytes: names with a 1-byte length, docstrings with a
// 2-byte little-endian length.
class DescriptionWriter {
 public:
  void u8(uint8_t v) { bytes_.push_back(v); }
  void name(std::string_view text);
  void docstring(std::string_view text);
  void module_path(const ItemNames& names);
  const std::vector<uint8_t>& bytes() const noexcept { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

using TypeDescriber = void (*)(DescriptionWriter&);

namespace type_code {
inline constexpr uint8_t u8 = 0, u16 = 1, u32 = 2, u64 = 3, boolean = 10, string = 11, optional = 12, record = 13,
                         enumeration = 14, object = 16, sequence = 17, map = 18, result = 23,
                         callback_interface = 25, none = 255;
}

template <class T>
struct TypeDescription;  // static void write(DescriptionWriter&)

template <class T>
void describe_type(DescriptionWriter& w) {
  TypeDescription<T>::write(w);
}

template <uint8_t Code>
struct CodeOnly {
  static void write(DescriptionWriter& w) { w.u8(Code); }
};
template <>
struct TypeDescription<uint8_t> : CodeOnly<type_code::u8> {};
template <>
struct TypeDescription<uint16_t> : CodeOnly<type_code::u16> {};
template <>
struct TypeDescription<uint32_t> : CodeOnly<type_code::u32> {};
template <>
struct TypeDescription<uint64_t> : CodeOnly<type_code::u64> {};
template <>
struct TypeDescription<bool> : CodeOnly<type_code::boolean> {};
template <>
struct TypeDescription<std::string> : CodeOnly<type_code::string> {};

template <class T>
struct TypeDescription<std::optional<T>> {
  static void write(DescriptionWriter& w) {
    w.u8(type_code::optional);
    describe_type<T>(w);
  }
};
template <class T>
struct TypeDescription<std::vector<T>> {
  static void write(DescriptionWriter& w) {
    w.u8(type_code::sequence);
    describe_type<T>(w);
  }
};
template <>
struct TypeDescription<std::map<std::string, std::string>> {
  static void write(DescriptionWriter& w) {
    w.u8(type_code::map);
    describe_type<std::string>(w);
    describe_type<std::string>(w);
  }
};

// A declared type referred to by its module path and name.
template <class T, uint8_t Code>
struct NamedType {
  static void write(DescriptionWriter& w) {
    w.u8(Code);
    w.module_path(info_of<T>.names);
    w.name(info_of<T>.names.name);
  }
};
template <RecordType T>
struct TypeDescription<T> : NamedType<T, type_code::record> {};
template <EnumType T>
struct TypeDescription<T> : NamedType<T, type_code::enumeration> {};
template <ErrorEnumType T>
struct TypeDescription<T> : NamedType<T, type_code::enumeration> {};
template <class T>
  requires ObjectType<T>
struct TypeDescription<Ref<T>> : NamedType<T, type_code::object> {};

// Callback interfaces describe themselves with code 25 (see foreign_call.h).

enum class CallableKind : uint8_t { function = 0, method = 1, constructor = 7, callback_method = 10 };

struct ArgDescription {
  std::string_view name;
  TypeDescriber type;
};

// An exported callable as its description needs it.
struct CallableInfo {
  CallableKind kind;
  ItemNames names;               // component, module, the callable's name, its docstring
  std::string_view object;       // the receiver's or constructed object's name; empty for functions
  bool is_async;
  std::span<const ArgDescription> args;
  TypeDescriber result;          // null: no result
  TypeDescriber error;           // null: cannot fail with a declared error
};

}  // namespace velmora::ffi
