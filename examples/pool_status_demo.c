/* Calls the library the way a foreign caller does: through the C header, with
 * encoded buffers and a call status. Derives the display status of two warm
 * pools and prints the fixed statuses a user interface needs. */
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "velmora_sdk.h"

/* A tiny big-endian writer, enough to encode a Pool record. */
typedef struct {
  uint8_t bytes[512];
  int32_t len;
} Writer;

static void put_u32(Writer *w, uint32_t v) {
  for (int i = 3; i >= 0; --i) w->bytes[w->len++] = (uint8_t)(v >> (8 * i));
}
static void put_u8(Writer *w, uint8_t v) { w->bytes[w->len++] = v; }
static void put_string(Writer *w, const char *s) {
  uint32_t n = (uint32_t)strlen(s);
  put_u32(w, n);
  memcpy(w->bytes + w->len, s, n);
  w->len += (int32_t)n;
}

/* Pool: api_version, kind, metadata{namespace, name, labels?, creation_timestamp?},
 * spec{replicas, sandbox_template_ref{name}, autoscaling?, ttl?}, status? */
static VelmoraByteBuffer encode_pool(const char *name, uint32_t replicas, int with_status) {
  Writer w = {.len = 0};
  put_string(&w, "kavri.velmora.dev/v1alpha1");
  put_string(&w, "KavriSandboxWarmPool");
  put_string(&w, name);
  put_string(&w, name);
  put_u8(&w, 0);
  put_u8(&w, 0);
  put_u32(&w, replicas);
  put_string(&w, "ubuntu-24");
  put_u8(&w, 0);
  put_u8(&w, 0);
  if (with_status) {
    put_u8(&w, 1);
    put_u8(&w, 1), put_u32(&w, replicas); /* replicas */
    put_u8(&w, 1), put_u32(&w, replicas); /* ready_replicas */
    put_u8(&w, 0);                        /* selector */
  } else {
    put_u8(&w, 0);
  }
  VelmoraCallStatus status = {0};
  VelmoraBorrowedBytes borrowed = {w.len, w.bytes};
  return ffi_velmora_sdk_buffer_from_bytes(borrowed, &status);
}

static uint32_t get_u32(const uint8_t *p) {
  return (uint32_t)p[0] << 24 | (uint32_t)p[1] << 16 | (uint32_t)p[2] << 8 | p[3];
}

/* Prints an encoded PoolDisplayStatus {kind, label, indicator} and frees it. */
static void print_status(const char *what, VelmoraByteBuffer result, VelmoraCallStatus *status) {
  static const char *kinds[] = {"?", "Healthy", "ScaledToZero", "Removed", "Terminating", "Unknown"};
  if (status->code != VELMORA_CALL_SUCCESS) {
    printf("%-34s failed: %.*s\n", what, (int)status->error_buf.len, (const char *)status->error_buf.data);
    ffi_velmora_sdk_buffer_free(status->error_buf, status);
    exit(1);
  }
  const uint8_t *p = result.data;
  uint32_t kind = get_u32(p);
  uint32_t label_len = get_u32(p + 4);
  const char *label = (const char *)p + 8;
  uint32_t indicator_len = get_u32(p + 8 + label_len);
  const char *indicator = (const char *)p + 12 + label_len;
  printf("%-34s %-13s %-16.*s %.*s\n", what, kinds[kind < 6 ? kind : 0], (int)label_len, label, (int)indicator_len,
         indicator);
  ffi_velmora_sdk_buffer_free(result, status);
}

int main(void) {
  printf("libvelmora_sdk contract version %" PRIu32 "\n\n", ffi_velmora_sdk_contract_version());
  VelmoraCallStatus status = {0};

  print_status("pool 'builds' (3 replicas, status)", bind_velmora_sdk_fn_func_pool_display_status(
                                                         encode_pool("builds", 3, 1), &status),
               &status);
  print_status("pool 'nightly' (3 replicas)",
               bind_velmora_sdk_fn_func_pool_display_status(encode_pool("nightly", 3, 0), &status), &status);
  print_status("pool 'idle' (0 replicas)",
               bind_velmora_sdk_fn_func_pool_display_status(encode_pool("idle", 0, 1), &status), &status);
  print_status("healthy", bind_velmora_sdk_fn_func_healthy_pool_display_status(&status), &status);
  print_status("removed", bind_velmora_sdk_fn_func_removed_pool_display_status(&status), &status);
  print_status("terminating", bind_velmora_sdk_fn_func_terminating_pool_display_status(&status), &status);
  print_status("unknown", bind_velmora_sdk_fn_func_unknown_pool_display_status(&status), &status);
  return 0;
}
