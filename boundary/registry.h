// The list of the library's interface exports, kept as data in the binary so
// that tools built from the same objects (the header generator) can read it.
#pragma once

#include <span>
#include <string_view>

#include "boundary/description.h"
#include "velmora_sdk_frame.h"

namespace velmora::ffi {

struct CParam {
  std::string_view type;
  std::string_view name;
};

struct ExportEntry {
  std::string_view symbol;
  std::string_view result;
  std::span<const CParam> params;
  bool takes_status;
  const CallableInfo* callable;  // null for the frame's own functions, clone and free
};

// Every listed export of the objects linked into this binary, in no particular order.
std::span<const ExportEntry* const> listed_exports() noexcept;

}  // namespace velmora::ffi

#define VELMORA_LISTED __attribute__((used, section("velmora_exports"), aligned(sizeof(void*))))

#define VELMORA_LIST_EXPORT(SYMBOL, RESULT, PARAMS, TAKES_STATUS, CALLABLE)                              \
  static constexpr auto velmora_params_##SYMBOL = PARAMS;                                                \
  static constexpr ::velmora::ffi::ExportEntry velmora_entry_##SYMBOL{#SYMBOL, RESULT, velmora_params_##SYMBOL, \
                                                                      TAKES_STATUS, CALLABLE};            \
  VELMORA_LISTED static const ::velmora::ffi::ExportEntry* velmora_listed_##SYMBOL = &velmora_entry_##SYMBOL;
