// PreservedJson through the public header: from_json, to_json and their errors.
#include <gtest/gtest.h>

#include <string>

#include "velmora_sdk.h"
#include "wire.h"

namespace {

// The handle of a new PreservedJson, or 0 and the error's reason.
uint64_t from_json(const std::string& text, std::string* reason = nullptr) {
  VelmoraCallStatus status = wire::fresh_status();
  uint64_t handle = bind_velmora_sdk_schema_fn_constructor_preservedjson_from_json(wire::to_buffer(text), &status);
  auto o = wire::outcome(status);
  if (o.code == VELMORA_CALL_SUCCESS) return handle;
  EXPECT_EQ(o.code, VELMORA_CALL_ERROR) << text;
  EXPECT_EQ(handle, 0u);
  wire::In in(o.error);
  EXPECT_EQ(in.i32(), 1);  // JsonValueError::Invalid
  if (reason) *reason = in.str();
  EXPECT_TRUE(in.done());
  return 0;
}

// to_json, keeping the caller's reference.
std::string to_json(uint64_t handle) {
  VelmoraCallStatus status = wire::fresh_status();
  uint64_t extra = bind_velmora_sdk_schema_fn_clone_preservedjson(handle, &status);
  std::string text = wire::take_text(bind_velmora_sdk_schema_fn_method_preservedjson_to_json(extra, &status));
  EXPECT_EQ(status.code, VELMORA_CALL_SUCCESS);
  return text;
}

void release(uint64_t handle) {
  VelmoraCallStatus status = wire::fresh_status();
  bind_velmora_sdk_schema_fn_free_preservedjson(handle, &status);
}

std::string round_trip(const std::string& text) {
  uint64_t handle = from_json(text);
  if (handle == 0) return "<failed>";
  std::string out = to_json(handle);
  release(handle);
  return out;
}

TEST(PreservedJson, ComesBackCompactWithKeysSortedAtEveryLevel) {
  const std::string spaced = R"({
    "zeta" : { "y": [3, 1, {"b": true, "a": null}], "x": "text \"quoted\" \u00e9" },
    "alpha":  -9223372036854775808,
    "Beta": 18446744073709551615,
    "mid": 2.5e-3,
    "list": [ "z", "a" ]
  })";
  EXPECT_EQ(round_trip(spaced),
            R"({"Beta":18446744073709551615,"alpha":-9223372036854775808,"list":["z","a"],"mid":0.0025,)"
            R"("zeta":{"x":"text \"quoted\" é","y":[3,1,{"a":null,"b":true}]}})");
  EXPECT_EQ(round_trip("{}"), "{}");
  EXPECT_EQ(round_trip(R"({"k":1,"k":{"later":"wins"}})"), R"({"k":{"later":"wins"}})");
  EXPECT_EQ(round_trip(R"({"big":18446744073709551616})"), R"({"big":1.8446744073709552e+19})");
}

TEST(PreservedJson, RefusesWhatIsNotOneJsonObject) {
  const std::string not_object = "value must be a JSON object";
  // The reader's own messages: their start, and the position they end with.
  struct Case {
    std::string text;
    std::string reason_start;
    std::string reason_end;
  } cases[] = {
      {"[1,2]", not_object, not_object},
      {R"("text")", not_object, not_object},
      {"42", not_object, not_object},
      {"true", not_object, not_object},
      {" null ", not_object, not_object},
      {"", "syntax error while parsing value - unexpected end of input", " at line 1 column 0"},
      {"{} {}", "syntax error while parsing value - unexpected '{'; expected end of input", " at line 1 column 4"},
      {"{\"a\":\n tru}", "syntax error while parsing value - invalid literal", " at line 2 column 5"},
      {std::string(129, '[') + std::string(129, ']'), "recursion limit exceeded", " at line 1 column 129"},
  };
  for (const auto& c : cases) {
    std::string reason;
    EXPECT_EQ(from_json(c.text, &reason), 0u) << c.text;
    EXPECT_TRUE(reason.starts_with(c.reason_start)) << c.text << " gave " << reason;
    EXPECT_TRUE(reason.ends_with(c.reason_end)) << c.text << " gave " << reason;
  }
}

TEST(PreservedJson, NestingOfExactlyTheLimitIsKept) {
  std::string deep = "{\"a\":" + std::string(127, '[') + std::string(127, ']') + "}";
  EXPECT_EQ(round_trip(deep), deep);
}

}  // namespace
