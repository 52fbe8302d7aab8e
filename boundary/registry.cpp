#include "registry.h"

// Bounds of the section that VELMORA_LIST_EXPORT fills, provided by the linker.
extern "C" const velmora::ffi::ExportEntry* const __start_velmora_exports[];
extern "C" const velmora::ffi::ExportEntry* const __stop_velmora_exports[];

namespace velmora::ffi {

std::span<const ExportEntry* const> listed_exports() noexcept {
  return {__start_velmora_exports, __stop_velmora_exports};
}

}  // namespace velmora::ffi
