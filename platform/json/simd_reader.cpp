#include "platform/json/simd_reader.h"

#include "platform/json/json.h"

namespace velmora::json {
namespace {

// simdjson counts an object holding a scalar one level deeper than an array
// does, so at this setting it refuses some documents of exactly kMaxDepth
// levels; the located reader then reads those. It never accepts a deeper one.
constexpr std::size_t kSimdMaxDepth = kMaxDepth;

// Documents up to kReusedCapacity use the thread's parser, which grows from
// kInitialCapacity as needed and keeps its buffers (over ten bytes per byte
// of the largest document it has read).
constexpr std::size_t kInitialCapacity = std::size_t{64} << 10;
constexpr std::size_t kReusedCapacity = std::size_t{1} << 20;

std::unique_ptr<simdjson::dom::parser> new_parser(std::size_t capacity) {
  auto parser = std::make_unique<simdjson::dom::parser>();
  if (parser->allocate(capacity, kSimdMaxDepth) != simdjson::SUCCESS) return nullptr;
  return parser;
}

simdjson::dom::parser* thread_parser() {
  thread_local std::unique_ptr<simdjson::dom::parser> parser = new_parser(kInitialCapacity);
  return parser.get();
}

}  // namespace

SimdDocument::SimdDocument(std::string_view text) {
  if (text.size() <= kReusedCapacity) {
    parser_ = thread_parser();
  } else {
    own_ = new_parser(text.size());
    parser_ = own_.get();
  }
  if (parser_ == nullptr) return;
  simdjson::dom::element root;
  // The text is copied into a padded buffer: simdjson reads a little past the end.
  if (parser_->parse(text.data(), text.size()).get(root) == simdjson::SUCCESS) root_ = root;
}

SimdDocument::~SimdDocument() = default;

}  // namespace velmora::json
