// Malformed scalar and enum arguments through the public header: the exact
// texts, and the receiver consumed all the same (ASan's leak and double-free
// checks see a reference handled wrongly either way).
#include <gtest/gtest.h>

#include <functional>

#include "velmora_sdk.h"
#include "wire.h"

namespace {

uint64_t new_vm_template_builder() {
  VelmoraCallStatus status = wire::fresh_status();
  return bind_velmora_sdk_schema_fn_constructor_vmtemplatebuilder_new(&status);
}

TEST(Arguments, ABadBooleanOrEnumNamesTheArgumentAndConsumesTheReceiver) {
  struct Case {
    const char* name;
    std::function<uint64_t(uint64_t, VelmoraCallStatus*)> call;
    std::string message;
  } cases[] = {
      {"boolean 2", [](uint64_t b, VelmoraCallStatus* s) {
         return bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_nested_virtualization(b, 2, s);
       },
       "Failed to convert arg 'value':\nunexpected byte for Boolean"},
      {"runtime 4", [](uint64_t b, VelmoraCallStatus* s) {
         return bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_runtime(b, wire::to_buffer(wire::Out().i32(4).bytes), s);
       },
       "Failed to convert arg 'value':\nInvalid RuntimeKind enum value: 4"},
      {"runtime 0", [](uint64_t b, VelmoraCallStatus* s) {
         return bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_runtime(b, wire::to_buffer(wire::Out().i32(0).bytes), s);
       },
       "Failed to convert arg 'value':\nInvalid RuntimeKind enum value: 0"},
      {"enum cut short", [](uint64_t b, VelmoraCallStatus* s) {
         return bind_velmora_sdk_schema_fn_method_vmtemplatebuilder_firmware(b, wire::to_buffer(wire::Bytes{0, 0, 1}), s);
       },
       "Failed to convert arg 'value':\nnot enough bytes remaining in buffer (3 < 4)"},
  };
  for (const auto& c : cases) {
    uint64_t builder = new_vm_template_builder();
    VelmoraCallStatus status = wire::fresh_status();
    uint64_t extra = bind_velmora_sdk_schema_fn_clone_vmtemplatebuilder(builder, &status);
    EXPECT_EQ(c.call(extra, &status), 0u) << c.name;
    auto o = wire::outcome(status);
    EXPECT_EQ(o.code, VELMORA_CALL_UNEXPECTED_ERROR) << c.name;
    EXPECT_EQ(o.message(), c.message) << c.name;
    status = wire::fresh_status();
    bind_velmora_sdk_schema_fn_free_vmtemplatebuilder(builder, &status);  // the last reference
    EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  }
}

}  // namespace
