// The value codec: round trips of every declared type, exact bytes of the
// cases whose layout matters, and the exact texts of decoding failures.
#include <gtest/gtest.h>

#include "boundary/codec.h"
#include "boundary/lowering.h"
#include "samples.h"

namespace velmora {
namespace {

using ffi::ByteBuffer;
using Bytes = std::vector<uint8_t>;

Bytes encode(const auto& value) {
  ByteBuffer b = ffi::encode_to_buffer(value);
  Bytes out(b.data, b.data + b.len);
  ffi::buffer_release(b);
  return out;
}

template <class T>
T decode(const Bytes& bytes) {
  return ffi::decode_whole<T>(bytes);
}

template <class T>
std::string decode_failure(const Bytes& bytes) {
  try {
    (void)decode<T>(bytes);
  } catch (const ffi::DecodeError& e) {
    return e.what();
  }
  return "(decoded)";
}

TEST(Codec, EveryDeclaredTypeRoundTripsThroughLowerAndLift) {
  std::apply(
      [](const auto&... sample) {
        auto check = [](const auto& value) {
          using T = std::remove_cvref_t<decltype(value)>;
          ByteBuffer lowered = ffi::Lowering<T>::lower(value);
          auto held = ffi::Lowering<T>::hold(lowered);
          T lifted = ffi::Lowering<T>::lift(held);
          EXPECT_TRUE(lifted == value) << typeid(T).name();
          // Nested form: the same bytes inside a sequence.
          EXPECT_TRUE(decode<std::vector<T>>(encode(std::vector<T>{value, value})) == (std::vector<T>{value, value}));
        };
        (check(sample), ...);
      },
      testing::all_samples());
}

TEST(Codec, ExactBytesOfSmallValues) {
  struct Case {
    const char* name;
    Bytes got;
    Bytes expected;
  } cases[] = {
      {"empty string in a record", encode(schema::SandboxTemplateRef{""}), {0, 0, 0, 0}},
      {"absent optional", encode(std::optional<std::string>{}), {0}},
      {"present empty string", encode(std::optional<std::string>{""}), {1, 0, 0, 0, 0}},
      {"three bytes in an optional", encode(std::optional<Bytes>{Bytes{7, 8, 9}}), {1, 0, 0, 0, 3, 7, 8, 9}},
      {"u16 big-endian", encode(uint16_t{0x1234}), {0x12, 0x34}},
      {"u64 big-endian", encode(uint64_t{0x0102030405060708}), {1, 2, 3, 4, 5, 6, 7, 8}},
      {"enum is 1-based", encode(schema::RuntimeKind::Kubevirt), {0, 0, 0, 1}},
      {"ClaimTimeout", encode(sdk::SdkError{sdk::sdk_error::ClaimTimeout{}}), {0, 0, 0, 0x0B}},
      {"error variant with fields",
       encode(sdk::HttpError{sdk::http_error::Transport{"x"}}),
       {0, 0, 0, 1, 0, 0, 0, 1, 'x'}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(Codec, StringsAtTopLevelAreRawBytes) {
  ByteBuffer b = ffi::Lowering<std::string>::lower("hé");
  EXPECT_EQ(Bytes(b.data, b.data + b.len), (Bytes{'h', 0xC3, 0xA9}));
  auto held = ffi::Lowering<std::string>::hold(b);
  EXPECT_EQ(ffi::Lowering<std::string>::lift(held), "hé");
}

TEST(Codec, DecodingFailuresCarryExactTexts) {
  Bytes spec = encode(schema::KavriSandboxWarmPoolSpec{1, {"t"}, std::nullopt, std::nullopt});
  Bytes spec_trailing = spec;
  spec_trailing.push_back(0);
  Bytes vm_bad_runtime = {0, 0, 0, 1, 'i', 0, 1, 0, 0, 0, 4};
  Bytes vm_bad_bool = encode(schema::VmTemplate{.container_disk_image = "i"});
  vm_bad_bool[5 + 10] = 1;  // nested_virtualization (the eleventh optional) present...
  vm_bad_bool.insert(vm_bad_bool.begin() + 5 + 11, 2);  // ...with the byte 2

  struct Case {
    const char* name;
    std::string got;
    std::string expected;
  } cases[] = {
      {"trailing byte", decode_failure<schema::KavriSandboxWarmPoolSpec>(spec_trailing),
       "junk data left in buffer after lifting (count: 1)"},
      {"tag 2", decode_failure<std::optional<uint32_t>>({2}), "unexpected tag byte for Option"},
      {"bool 2", decode_failure<bool>({2}), "unexpected byte for Boolean"},
      {"bool inside a record", decode_failure<schema::VmTemplate>(vm_bad_bool), "unexpected byte for Boolean"},
      {"runtime 4", decode_failure<schema::VmTemplate>(vm_bad_runtime), "Invalid RuntimeKind enum value: 4"},
      {"runtime 0", decode_failure<schema::RuntimeKind>({0, 0, 0, 0}), "Invalid RuntimeKind enum value: 0"},
      {"negative variant", decode_failure<sdk::HttpError>({0xFF, 0xFF, 0xFF, 0xFF}),
       "Invalid HttpError enum value: -1"},
      {"variant past the end", decode_failure<sdk::AccessTokenProviderError>({0, 0, 0, 2}),
       "Invalid AccessTokenProviderError enum value: 2"},
      {"length FF FF FF FF", decode_failure<std::string>({0xFF, 0xFF, 0xFF, 0xFF}),
       "out of range integral type conversion attempted"},
      {"two of four count bytes", decode_failure<std::vector<std::string>>({0, 0}),
       "not enough bytes remaining in buffer (2 < 4)"},
      {"count beyond the bytes", decode_failure<std::vector<uint32_t>>({0x7F, 0xFF, 0xFF, 0xFF, 0, 0, 0, 1}),
       "not enough bytes remaining in buffer (0 < 4)"},
      {"bytes beyond the buffer", decode_failure<Bytes>({0, 0, 0, 9, 1}), "not enough bytes remaining in buffer (1 < 9)"},
      {"invalid UTF-8", decode_failure<std::string>({0, 0, 0, 3, 'a', 0xE2, 'b'}),
       "invalid utf-8 sequence of 1 bytes from index 1"},
      {"UTF-8 cut short", decode_failure<std::string>({0, 0, 0, 3, 'a', 0xE2, 0x82}),
       "incomplete utf-8 byte sequence from index 1"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
}

TEST(Codec, RepeatedMapKeyKeepsTheLaterValue) {
  Bytes bytes = {0, 0, 0, 2, 0, 0, 0, 1, 'k', 0, 0, 0, 1, '1', 0, 0, 0, 1, 'k', 0, 0, 0, 1, '2'};
  EXPECT_EQ((decode<std::map<std::string, std::string>>(bytes)), (std::map<std::string, std::string>{{"k", "2"}}));
}

TEST(Codec, ObjectsTravelAsHandlesCarryingOneReference) {
  auto json = testing::sample_json();
  schema::VmTemplate vm{.container_disk_image = "image"};
  vm.tolerations = std::vector{json, json};
  Bytes bytes = encode(vm);  // two references now belong to the bytes
  auto decoded = decode<schema::VmTemplate>(bytes);  // and are taken back here
  ASSERT_TRUE(decoded.tolerations);
  EXPECT_EQ((*decoded.tolerations)[0].get(), json.get());
  EXPECT_EQ((*decoded.tolerations)[1].get(), json.get());
}

TEST(Codec, CountsBeyondTheLimitAreRefused) {
  ffi::Writer w;
  EXPECT_NO_THROW(w.count(ffi::kMaxEncodedCount));
  EXPECT_THROW(w.count(ffi::kMaxEncodedCount + 1), ffi::EncodeError);
}

}  // namespace
}  // namespace velmora
