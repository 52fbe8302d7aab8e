/* The exports of libvelmora_sdk. Generated from the library's declarations by
 * `velmora_describe header` (make header); edit the declarations, not this file.
 * Ownership and calling rules: see velmora_sdk_frame.h. */
#ifndef VELMORA_SDK_H
#define VELMORA_SDK_H

#include "velmora_sdk_frame.h"

#ifdef __cplusplus
extern "C" {
#endif

VELMORA_API VelmoraObjectHandle bind_velmora_sdk_fn_clone_velmoracredentials(VelmoraObjectHandle self, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraObjectHandle bind_velmora_sdk_fn_constructor_velmoracredentials_new(VelmoraByteBuffer client_id, VelmoraByteBuffer client_secret, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API void bind_velmora_sdk_fn_free_velmoracredentials(VelmoraObjectHandle self, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer bind_velmora_sdk_fn_func_healthy_pool_display_status(VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer bind_velmora_sdk_fn_func_pool_display_status(VelmoraByteBuffer pool, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer bind_velmora_sdk_fn_func_removed_pool_display_status(VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer bind_velmora_sdk_fn_func_terminating_pool_display_status(VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer bind_velmora_sdk_fn_func_unknown_pool_display_status(VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraObjectHandle bind_velmora_sdk_schema_fn_clone_preservedjson(VelmoraObjectHandle self, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API void bind_velmora_sdk_schema_fn_free_preservedjson(VelmoraObjectHandle self, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_SDK_H */
