/* The foreign-call frame of libvelmora_sdk: the types every export uses and the
 * frame functions of both components (velmora_sdk and velmora_sdk_schema).
 *
 * Ownership in one paragraph: a VelmoraByteBuffer passed in is taken over by the
 * library, whether the call succeeds or fails; a buffer returned (as a result or
 * as error_buf) is the caller's, released with either component's buffer_free.
 * An object handle passed in hands one reference to the library; a handle
 * returned hands one reference to the caller, released with the object's free.
 */
#ifndef VELMORA_SDK_FRAME_H
#define VELMORA_SDK_FRAME_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Exports never throw: every failure is reported through the call status. */
#ifdef __cplusplus
#define VELMORA_NOEXCEPT noexcept
#else
#define VELMORA_NOEXCEPT
#endif

#if defined(VELMORA_BUILDING_LIBRARY)
#define VELMORA_API __attribute__((visibility("default")))
#else
#define VELMORA_API
#endif

/* Bytes owned by the library's allocator. data may be null only when capacity
 * and len are both 0; an empty buffer made by the library carries the
 * placeholder data value 1, which must not be dereferenced. */
typedef struct VelmoraByteBuffer {
  uint64_t capacity;
  uint64_t len;
  uint8_t *data;
} VelmoraByteBuffer;

/* Bytes owned by the caller; the library reads them only during the call. */
typedef struct VelmoraBorrowedBytes {
  int32_t len;
  const uint8_t *data;
} VelmoraBorrowedBytes;

enum {
  VELMORA_CALL_SUCCESS = 0,
  VELMORA_CALL_ERROR = 1,            /* error_buf holds an encoded error enum */
  VELMORA_CALL_UNEXPECTED_ERROR = 2, /* error_buf holds a UTF-8 message, no prefix */
  VELMORA_CALL_CANCELLED = 3
};

/* Set code to VELMORA_CALL_SUCCESS and error_buf to all zeros before each call.
 * The library writes it only when the call fails. */
typedef struct VelmoraCallStatus {
  int8_t code;
  VelmoraByteBuffer error_buf;
} VelmoraCallStatus;

/* One reference to a library object (even) or to a caller's callback object (odd). */
typedef uint64_t VelmoraObjectHandle;
/* One asynchronous call in progress. */
typedef uint64_t VelmoraFutureHandle;

enum { VELMORA_POLL_READY = 0, VELMORA_POLL_WAKE = 1 };

/* Called when a future is worth polling again (Wake) or is complete (Ready).
 * It may run on any thread, possibly under the future's scheduler lock: it must
 * return promptly and must not poll, cancel or free the same future. */
typedef void (*VelmoraContinuationCallback)(uint64_t callback_data, int8_t poll_result);

/* The outcome of a call into a caller-implemented callback object. Both
 * buffers are handed to the library, which releases them. */
typedef struct VelmoraForeignCallResult {
  VelmoraByteBuffer return_value; /* on success: the encoded result */
  VelmoraCallStatus call_status;  /* Error: an encoded error enum; other codes: a UTF-8 message */
} VelmoraForeignCallResult;

/* Called by the foreign side exactly once per call, from any thread, with the
 * callback_data the library passed. */
typedef void (*VelmoraForeignCompletionCallback)(uint64_t callback_data, VelmoraForeignCallResult result);

/* Set by the library to {0, a no-op} before each foreign call; the foreign method
 * may overwrite it before returning. The library calls callback(handle) once,
 * when the call completes or is abandoned. */
typedef struct VelmoraDroppedCallback {
  uint64_t handle;
  void (*callback)(uint64_t handle);
} VelmoraDroppedCallback;

/* The caller's implementation of HttpClient. The table must stay valid and
 * unchanged while the library may call it (in practice, for the process). */
typedef struct VelmoraHttpClientCallbackTable {
  void (*free)(uint64_t handle);
  uint64_t (*clone)(uint64_t handle);
  /* request: an encoded HttpRequest the foreign side now owns. */
  void (*execute)(uint64_t handle, VelmoraByteBuffer request, VelmoraForeignCompletionCallback completion,
                  uint64_t callback_data, VelmoraDroppedCallback *out_dropped);
} VelmoraHttpClientCallbackTable;

/* The caller's implementation of AccessTokenProvider; on success the result is
 * the token as raw UTF-8 bytes. */
typedef struct VelmoraAccessTokenProviderCallbackTable {
  void (*free)(uint64_t handle);
  uint64_t (*clone)(uint64_t handle);
  void (*get_access_token)(uint64_t handle, int8_t force_refresh, VelmoraForeignCompletionCallback completion,
                           uint64_t callback_data, VelmoraDroppedCallback *out_dropped);
} VelmoraAccessTokenProviderCallbackTable;

/* Buffer functions. Both components' sets share one allocator, so a buffer from
 * either set may be released by either. */
VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_buffer_alloc(uint64_t size, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_buffer_from_bytes(VelmoraBorrowedBytes bytes, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API void ffi_velmora_sdk_buffer_free(VelmoraByteBuffer buffer, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_buffer_reserve(VelmoraByteBuffer buffer, uint64_t additional, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API uint32_t ffi_velmora_sdk_contract_version(void) VELMORA_NOEXCEPT;

VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_schema_buffer_alloc(uint64_t size, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_schema_buffer_from_bytes(VelmoraBorrowedBytes bytes, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API void ffi_velmora_sdk_schema_buffer_free(VelmoraByteBuffer buffer, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API VelmoraByteBuffer ffi_velmora_sdk_schema_buffer_reserve(VelmoraByteBuffer buffer, uint64_t additional, VelmoraCallStatus *out_status) VELMORA_NOEXCEPT;
VELMORA_API uint32_t ffi_velmora_sdk_schema_contract_version(void) VELMORA_NOEXCEPT;

#ifdef __cplusplus
}
#endif

#endif /* VELMORA_SDK_FRAME_H */
