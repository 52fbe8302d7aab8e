#include "platform/json/simd_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/json/json.h"

namespace velmora::json {
namespace {

// simdjson counts an object holding a scalar one level deeper than an array
// does, so at this setting it refuses some documents of exactly kMaxDepth
// levels; the located reader then reads those. It never accepts a deeper one.
constexpr std::size_t kSimdMaxDepth = kMaxDepth;

// Documents up to kReusedCapacity use the thread's parser and padded copy,
// which grow as needed and are kept (over ten bytes per byte of the largest
// document the thread has read). A larger document gets its own, freed after
// the read: reusing them too gains about a tenth on an 11 MB body, not worth
// keeping over 100 MB per thread.
constexpr std::size_t kInitialCapacity = std::size_t{64} << 10;
constexpr std::size_t kReusedCapacity = std::size_t{1} << 20;

std::unique_ptr<simdjson::dom::parser> new_parser(std::size_t capacity) {
  auto parser = std::make_unique<simdjson::dom::parser>();
  if (parser->allocate(capacity, kSimdMaxDepth) != simdjson::SUCCESS) return nullptr;
  return parser;
}

// simdjson reads up to SIMDJSON_PADDING bytes past the end of its input, so
// the text is copied into a buffer with that much room behind it.
struct PaddedCopy {
  std::unique_ptr<char[]> bytes;
  std::size_t capacity = 0;

  const char* hold(std::string_view text) {
    if (!bytes || capacity < text.size()) {
      capacity = std::max(text.size(), 2 * capacity);
      bytes = std::make_unique_for_overwrite<char[]>(capacity + simdjson::SIMDJSON_PADDING);
    }
    if (!text.empty()) std::memcpy(bytes.get(), text.data(), text.size());
    std::memset(bytes.get() + text.size(), 0, simdjson::SIMDJSON_PADDING);
    return bytes.get();
  }
};

struct ThreadReader {
  std::unique_ptr<simdjson::dom::parser> parser = new_parser(kInitialCapacity);
  PaddedCopy copy;
};

ThreadReader& thread_reader() {
  thread_local ThreadReader reader;
  return reader;
}

}  // namespace

SimdDocument::SimdDocument(std::string_view text) {
  PaddedCopy own_copy;
  PaddedCopy* copy = &own_copy;
  if (text.size() <= kReusedCapacity) {
    ThreadReader& reader = thread_reader();
    parser_ = reader.parser.get();
    copy = &reader.copy;
  } else {
    own_ = new_parser(text.size());
    parser_ = own_.get();
  }
  if (parser_ == nullptr) return;
  simdjson::dom::element root;
  const char* padded = copy->hold(text);
  if (parser_->parse(padded, text.size(), false).get(root) == simdjson::SUCCESS) root_ = root;
}

SimdDocument::~SimdDocument() = default;

}  // namespace velmora::json
