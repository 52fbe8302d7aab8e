// The exports of a builder (boundary/builder.h), one line per builder:
//
//   VELMORA_EXPORT_BUILDER(velmora_sdk_schema, SandboxServiceBuilder, sandboxservicebuilder,
//                          name, target_port, protocol)
#pragma once

#include "boundary/builder.h"
#include "boundary/export.h"

// The exports of builder TYPE (LOWER: its name in lower case): clone, free, the
// constructor new, build, and one setter per field, named after the fields in
// declaration order. Each setter takes one argument, "value".
#define VELMORA_EXPORT_BUILDER(COMPONENT, TYPE, LOWER, ...)                                       \
  VELMORA_EXPORT_OBJECT(COMPONENT, TYPE, LOWER)                                                   \
  VELMORA_EXPORT_CONSTRUCTOR(COMPONENT, TYPE, LOWER, new, &TYPE::create, "A builder with every field unset.") \
  VELMORA_EXPORT_METHOD(COMPONENT, TYPE, LOWER, build,                                            \
                        "The record, or the first required field that is still unset.")            \
  static_assert(VELMORA_COUNT_SETTERS(__VA_ARGS__) == ::velmora::ffi::info_of<TYPE::record_type>.field_count, \
                "one setter per field of the record");                                             \
  VELMORA_CAT(VELMORA_SETTERS_, VELMORA_COUNT_SETTERS(__VA_ARGS__))(COMPONENT, TYPE, LOWER, 0, __VA_ARGS__)

// The setter of the field declared as NAME, the INDEX-th in declaration order.
#define VELMORA_EXPORT_SETTER(COMPONENT, TYPE, LOWER, INDEX, NAME)                                \
  static_assert(::velmora::ffi::field_index<TYPE::record_type>(#NAME) == INDEX,                   \
                "setters follow the fields' declaration order");                                   \
  static constexpr auto velmora_setter_##LOWER##_##NAME = &TYPE::set<INDEX>;             \
  VELMORA_DEFINE_SYNC(bind_##COMPONENT##_fn_method_##LOWER##_##NAME, 1, velmora_setter_##LOWER##_##NAME,     \
                      ::velmora::ffi::member_names<TYPE>(#NAME, "A new builder with this field set; this one is unchanged."), \
                      "value")

#define VELMORA_COUNT_SETTERS(...) \
  VELMORA_COUNT_SETTERS_I(__VA_ARGS__, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0)
#define VELMORA_COUNT_SETTERS_I(_1, _2, _3, _4, _5, _6, _7, _8, _9, _10, _11, _12, _13, _14, _15, _16, N, ...) N

#define VELMORA_SETTERS_1(C, T, L, I, A) VELMORA_EXPORT_SETTER(C, T, L, I, A)
#define VELMORA_SETTERS_2(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_1(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_3(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_2(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_4(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_3(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_5(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_4(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_6(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_5(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_7(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_6(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_8(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_7(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_9(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_8(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_10(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_9(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_11(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_10(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_12(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_11(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_13(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_12(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_14(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_13(C, T, L, I + 1, __VA_ARGS__)
#define VELMORA_SETTERS_15(C, T, L, I, A, ...) VELMORA_EXPORT_SETTER(C, T, L, I, A) VELMORA_SETTERS_14(C, T, L, I + 1, __VA_ARGS__)
