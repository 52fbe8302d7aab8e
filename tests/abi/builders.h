// Driving builder objects through the public header, for the builder tests of
// both components: handles, setters that consume their receiver, and build
// outcomes as text ("ok" or "missing Record.field").
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "velmora_sdk.h"
#include "wire.h"

namespace testing_builders {

using wire::Bytes;

// A setter call with its argument bound: takes the receiver's reference.
using Setter = std::function<uint64_t(uint64_t, VelmoraCallStatus*)>;

struct Builder {
  uint64_t (*new_fn)(VelmoraCallStatus*);
  VelmoraByteBuffer (*build_fn)(uint64_t, VelmoraCallStatus*);
  uint64_t (*clone_fn)(uint64_t, VelmoraCallStatus*);
  void (*free_fn)(uint64_t, VelmoraCallStatus*);

  uint64_t make() const {
    VelmoraCallStatus s = wire::fresh_status();
    uint64_t b = new_fn(&s);
    EXPECT_EQ(s.code, VELMORA_CALL_SUCCESS);
    return b;
  }
  uint64_t clone(uint64_t b) const {
    VelmoraCallStatus s = wire::fresh_status();
    return clone_fn(b, &s);
  }
  void release(uint64_t b) const {
    VelmoraCallStatus s = wire::fresh_status();
    free_fn(b, &s);
  }
  // Builds from b, which stays the caller's: "ok" or "missing Record.field".
  std::string outcome(uint64_t b) const {
    VelmoraCallStatus s = wire::fresh_status();
    VelmoraByteBuffer built = build_fn(clone(b), &s);
    auto o = wire::outcome(s);
    if (o.code == VELMORA_CALL_SUCCESS) {
      wire::take(built);
      return "ok";
    }
    if (o.code != VELMORA_CALL_ERROR) return "unexpected failure: " + o.message();
    wire::In in(o.error);
    if (in.i32() != 1) return "unknown error variant";
    std::string record = in.str();
    std::string field = in.str();
    return "missing " + record + "." + field;
  }
  // The built record's bytes; b stays the caller's.
  Bytes build_ok(uint64_t b) const {
    VelmoraCallStatus s = wire::fresh_status();
    VelmoraByteBuffer built = build_fn(clone(b), &s);
    EXPECT_EQ(s.code, VELMORA_CALL_SUCCESS);
    if (s.code != VELMORA_CALL_SUCCESS) {
      wire::outcome(s);
      return {};
    }
    return wire::take(built);
  }
};

// Calls the setter on b, handing over b's reference.
inline uint64_t apply(const Setter& set, uint64_t b) {
  VelmoraCallStatus s = wire::fresh_status();
  uint64_t next = set(b, &s);
  auto o = wire::outcome(s);
  EXPECT_EQ(o.code, VELMORA_CALL_SUCCESS) << o.message();
  EXPECT_NE(next, b);
  return next;
}

// Calls the setter on b and keeps b usable.
inline uint64_t derive(const Builder& builder, const Setter& set, uint64_t b) { return apply(set, builder.clone(b)); }

struct Required {
  std::string field;
  Setter set;
};

struct OrderCase {
  std::string record;
  Builder builder;
  std::vector<Required> required;  // in the order build checks them
};

// A new builder names the first required field; setting them in order moves
// the report along; with every required field but the k-th set, build names the k-th.
inline void check_required_order(const OrderCase& c) {
  const std::size_t n = c.required.size();
  auto expected = [&](std::size_t k) { return k < n ? "missing " + c.record + "." + c.required[k].field : "ok"; };
  uint64_t b = c.builder.make();
  EXPECT_EQ(c.builder.outcome(b), expected(0)) << c.record;
  for (std::size_t k = 0; k < n; ++k) {
    b = apply(c.required[k].set, b);
    EXPECT_EQ(c.builder.outcome(b), expected(k + 1)) << c.record << " after " << c.required[k].field;
  }
  c.builder.release(b);
  for (std::size_t k = 0; k < n; ++k) {
    uint64_t all_but_k = c.builder.make();
    for (std::size_t j = n; j-- > 0;) {
      if (j != k) all_but_k = apply(c.required[j].set, all_but_k);
    }
    EXPECT_EQ(c.builder.outcome(all_but_k), expected(k)) << c.record << " without " << c.required[k].field;
    c.builder.release(all_but_k);
  }
}

template <class T, class Read>
std::optional<T> optional(wire::In& in, Read read) {
  if (in.u8() == 0) return std::nullopt;
  return read(in);
}

// A VmTemplate result, read field by field in boundary order; the nested
// services and oidc are kept as their bytes (tag included).
struct VmTemplate {
  std::string image;
  std::optional<std::vector<std::string>> command;
  std::optional<int32_t> runtime;
  std::optional<std::string> runtime_class_name;
  std::optional<std::map<std::string, std::string>> node_selector;
  std::optional<std::vector<uint64_t>> tolerations;
  std::optional<int32_t> image_pull_policy;
  std::optional<std::string> image_pull_secret;
  std::optional<uint32_t> cpu_cores;
  std::optional<std::string> memory;
  std::optional<int32_t> firmware;
  std::optional<uint8_t> nested_virtualization;
  std::optional<uint64_t> probes;
  Bytes services_bytes;
  Bytes oidc_bytes;
};

inline VmTemplate decode_vm_template(const Bytes& bytes) {
  wire::In in(bytes);
  auto str = [](wire::In& i) { return i.str(); };
  auto i32 = [](wire::In& i) { return i.i32(); };
  VmTemplate vm;
  vm.image = in.str();
  vm.command = optional<std::vector<std::string>>(in, [](wire::In& i) {
    std::vector<std::string> out(i.u32());
    for (auto& s : out) s = i.str();
    return out;
  });
  vm.runtime = optional<int32_t>(in, i32);
  vm.runtime_class_name = optional<std::string>(in, str);
  vm.node_selector = optional<std::map<std::string, std::string>>(in, [](wire::In& i) {
    std::map<std::string, std::string> out;
    for (uint32_t n = i.u32(); n > 0; --n) {
      std::string k = i.str();
      out[k] = i.str();
    }
    return out;
  });
  vm.tolerations = optional<std::vector<uint64_t>>(in, [](wire::In& i) {
    std::vector<uint64_t> out(i.u32());
    for (auto& h : out) h = i.u64();
    return out;
  });
  vm.image_pull_policy = optional<int32_t>(in, i32);
  vm.image_pull_secret = optional<std::string>(in, str);
  vm.cpu_cores = optional<uint32_t>(in, [](wire::In& i) { return i.u32(); });
  vm.memory = optional<std::string>(in, str);
  vm.firmware = optional<int32_t>(in, i32);
  vm.nested_virtualization = optional<uint8_t>(in, [](wire::In& i) { return i.u8(); });
  vm.probes = optional<uint64_t>(in, [](wire::In& i) { return i.u64(); });
  // What remains: services, then oidc. Split them by reading services through.
  const Bytes rest = in.rest();
  wire::In r(rest);
  if (r.u8() == 1) {
    for (uint32_t n = r.u32(); n > 0; --n) {
      r.str();
      r.u16();
      if (r.u8() == 1) r.i32();
    }
  }
  const std::size_t services_len = rest.size() - r.rest().size();
  vm.services_bytes = Bytes(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(services_len));
  vm.oidc_bytes = r.rest();
  return vm;
}

}  // namespace testing_builders
