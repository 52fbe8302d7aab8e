#include "test_operations.h"

namespace velmora::testing {

VELMORA_EXPORT_OBJECT(velmora_test, TestOps, testops)
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, echo, "", "text")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, finish, "")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, refuse, "", "operation")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, after_gate, "", "value")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, wake_self_then_gate, "", "value")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, pause, "", "millis")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, fetch, "", "client", "request")
VELMORA_EXPORT_ASYNC_METHOD(velmora_test, TestOps, testops, token, "", "provider", "force_refresh")

}  // namespace velmora::testing
