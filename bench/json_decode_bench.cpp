// Decoding a list body of 10,000 claims (about 10 MB, status and conditions
// filled in, plus the bookkeeping members a cluster adds) into records, beside
// the raw parse of the same body by each candidate reader.
//
//   build/bench/velmora_json_bench --benchmark_min_time=1
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>
#include <simdjson.h>

#include "platform/json/forms_impl.h"
#include "sdk/src/types.h"

namespace velmora::bench {

// The shape of a claim list as the gateway returns it.
struct ClaimList {
  std::vector<sdk::Claim> items;
};
VELMORA_RECORD(velmora_sdk, bench, ClaimList, "", VELMORA_FIELD(items).json("items"))

}  // namespace velmora::bench

VELMORA_JSON_FORMS(velmora::bench::ClaimList)

namespace {

using nlohmann::json;

json claim(int i) {
  const std::string name = "claim-brisk-otter-" + std::to_string(i);
  const std::string time = "2026-03-0" + std::to_string(1 + i % 9) + "T12:34:56Z";
  json condition = {{"type", "Ready"},
                    {"status", "True"},
                    {"reason", "SandboxBound"},
                    {"message", "sandbox sb-" + std::to_string(i) + " is bound and ready to serve requests"},
                    {"lastTransitionTime", time},
                    {"observedGeneration", 2}};
  json scheduled = condition;
  scheduled["type"] = "Scheduled";
  scheduled["reason"] = "NodeAssigned";
  scheduled["message"] = "assigned to node worker-" + std::to_string(i % 17);
  return {
      {"apiVersion", "kavri.velmora.dev/v1alpha1"},
      {"kind", "KavriSandboxClaim"},
      {"metadata",
       {{"namespace", "team-research"},
        {"name", name},
        {"uid", "6f1c2a9e-4b7d-4e21-9c3a-" + std::to_string(100000000000 + i)},
        {"resourceVersion", std::to_string(9000000 + i)},
        {"generation", 2},
        {"creationTimestamp", time},
        {"labels", {{"app.kubernetes.io/managed-by", "velmora"}, {"velmora.dev/pool", "pool-a"}}},
        {"finalizers", {"kavri.velmora.dev/claim-protection"}}}},
      {"spec",
       {{"sandboxTemplateRef", {{"name", "ubuntu-24-04"}}},
        {"warmpool", "pool-a"},
        {"bindDeadline", 900},
        {"lifecycle", {{"shutdownTime", time}, {"shutdownPolicy", "Delete"}, {"autoRenew", false}}},
        {"ttlSecondsAfterCreated", 3600}}},
      {"status",
       {{"phase", "Bound"},
        {"conditions", {scheduled, condition}},
        {"sandbox", {{"name", "sb-" + std::to_string(i)}, {"service", "sb-" + std::to_string(i) + "-svc"}}},
        {"observedGeneration", 2}}},
  };
}

const std::string& claim_list_body() {
  static const std::string body = [] {
    json items = json::array();
    for (int i = 0; i < 10000; ++i) items.push_back(claim(i));
    return json{{"kind", "KavriSandboxClaimList"}, {"metadata", {{"resourceVersion", "9999999"}}}, {"items", items}}
        .dump();
  }();
  return body;
}

// A SAX handler that keeps nothing: the cost of nlohmann's parse alone.
struct NullSax {
  bool null() { return true; }
  bool boolean(bool) { return true; }
  bool number_integer(json::number_integer_t) { return true; }
  bool number_unsigned(json::number_unsigned_t) { return true; }
  bool number_float(json::number_float_t, const std::string&) { return true; }
  bool string(std::string&) { return true; }
  bool binary(json::binary_t&) { return true; }
  bool start_object(std::size_t) { return true; }
  bool key(std::string&) { return true; }
  bool end_object() { return true; }
  bool start_array(std::size_t) { return true; }
  bool end_array() { return true; }
  bool parse_error(std::size_t, const std::string&, const json::exception&) { return false; }
};

void bytes_processed(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(claim_list_body().size()));
  state.counters["body_MB"] = static_cast<double>(claim_list_body().size()) / 1e6;
}

// simdjson's DOM parse with a reused parser, from a padded copy of the body.
void RawParse_Simdjson(benchmark::State& state) {
  simdjson::padded_string padded(claim_list_body());
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element root;
    if (parser.parse(padded).get(root) != simdjson::SUCCESS) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(root);
  }
  bytes_processed(state);
}

// The same from the unpadded body, which simdjson first copies: as the library reads.
void RawParse_SimdjsonUnpadded(benchmark::State& state) {
  simdjson::dom::parser parser;
  for (auto _ : state) {
    simdjson::dom::element root;
    if (parser.parse(claim_list_body()).get(root) != simdjson::SUCCESS) state.SkipWithError("parse failed");
    benchmark::DoNotOptimize(root);
  }
  bytes_processed(state);
}

void RawParse_NlohmannSax(benchmark::State& state) {
  for (auto _ : state) {
    NullSax sax;
    if (!json::sax_parse(claim_list_body(), &sax)) state.SkipWithError("parse failed");
  }
  bytes_processed(state);
}

void RawParse_NlohmannDom(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(json::parse(claim_list_body()));
  bytes_processed(state);
}

// The library's read: the fast reader into records.
void Decode_Simdjson(benchmark::State& state) {
  for (auto _ : state) {
    auto list = velmora::json::read_json<velmora::bench::ClaimList>(claim_list_body());
    if (!list || list->items.size() != 10000) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(list);
    state.PauseTiming();  // freeing the records is the caller's cost, not the decode's
    { auto freed = std::move(list); }
    state.ResumeTiming();
  }
  bytes_processed(state);
}

// The position-keeping reader into records: nlohmann's SAX parse onto a tape.
void Decode_NlohmannSax(benchmark::State& state) {
  for (auto _ : state) {
    auto list = velmora::json::read_json_located<velmora::bench::ClaimList>(claim_list_body());
    if (!list || list->items.size() != 10000) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(list);
  }
  bytes_processed(state);
}

BENCHMARK(RawParse_Simdjson)->Unit(benchmark::kMillisecond);
BENCHMARK(RawParse_SimdjsonUnpadded)->Unit(benchmark::kMillisecond);
BENCHMARK(RawParse_NlohmannSax)->Unit(benchmark::kMillisecond);
BENCHMARK(RawParse_NlohmannDom)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode_Simdjson)->Unit(benchmark::kMillisecond);
BENCHMARK(Decode_NlohmannSax)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
