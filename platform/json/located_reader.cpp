#include "platform/json/located_reader.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include <nlohmann/json.hpp>

namespace velmora::json {

std::string position_suffix(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  if (offset == 0) return " at line 1 column 0";
  const std::size_t last = offset - 1;  // the last byte read
  const std::string_view before = text.substr(0, last);
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
  const std::size_t line_start = before.rfind('\n') == std::string_view::npos ? 0 : before.rfind('\n') + 1;
  return " at line " + std::to_string(line) + " column " + std::to_string(last - line_start + 1);
}

// Walks the text for nlohmann's lexer and publishes how far it has read, which
// is where the token just reported ends.
struct CountingIterator {
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  const char* p;
  const char** read_up_to;

  reference operator*() const noexcept { return *p; }
  CountingIterator& operator++() noexcept {
    *read_up_to = ++p;
    return *this;
  }
  CountingIterator operator++(int) noexcept {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const noexcept { return p == other.p; }
};

// nlohmann's SAX events, recorded on the tape.
class TapeBuilder {
 public:
  using Token = Tape::Token;

  TapeBuilder(Tape& tape, std::string_view text) : tape_(tape), text_(text), read_up_to_(text.data()) {}

  CountingIterator begin() { return {text_.data(), &read_up_to_}; }
  CountingIterator end() { return {text_.data() + text_.size(), &read_up_to_}; }
  std::optional<JsonError>& error() { return error_; }

  bool null() { return scalar(JsonKind::null, consumed()); }
  bool boolean(bool v) {
    Token& t = push(Tape::Tag::value, JsonKind::boolean, consumed());
    t.boolean = v;
    return counted();
  }
  bool number_integer(int64_t v) {
    Token& t = push(Tape::Tag::value, v < 0 ? JsonKind::negative_integer : JsonKind::unsigned_integer, number_end());
    if (v < 0) {
      t.signed_value = v;
    } else {
      t.unsigned_value = static_cast<uint64_t>(v);
    }
    return counted();
  }
  bool number_unsigned(uint64_t v) {
    Token& t = push(Tape::Tag::value, JsonKind::unsigned_integer, number_end());
    t.unsigned_value = v;
    return counted();
  }
  bool number_float(double v, const std::string&) {
    Token& t = push(Tape::Tag::value, JsonKind::floating, number_end());
    t.floating_value = v;
    return counted();
  }
  bool string(std::string& v) {
    text_token(Tape::Tag::value, v);
    return counted();
  }
  bool binary(nlohmann::json::binary_t&) { return fail("binary values are not JSON"); }
  bool key(std::string& v) {
    text_token(Tape::Tag::key, v);
    return counted();
  }
  bool start_object(std::size_t) { return open(JsonKind::object); }
  bool start_array(std::size_t) { return open(JsonKind::array); }
  bool end_object() { return close(); }
  bool end_array() { return close(); }

  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& ex) {
    error_ = JsonError{reader_message(ex.what()) + position_suffix(text_, position)};
    return false;
  }

 private:
  std::size_t consumed() const noexcept { return static_cast<std::size_t>(read_up_to_ - text_.data()); }
  // The lexer reads one byte past a number to find its end; a number always ends with a digit.
  std::size_t number_end() const noexcept {
    std::size_t end = consumed();
    if (end > 0 && end <= text_.size() && !(text_[end - 1] >= '0' && text_[end - 1] <= '9')) --end;
    return end;
  }

  Token& push(Tape::Tag tag, JsonKind kind, std::size_t end) {
    Token& t = tape_.tokens_.emplace_back();
    t.tag = tag;
    t.kind = kind;
    t.end_offset = static_cast<uint32_t>(end);
    t.next = static_cast<uint32_t>(tape_.tokens_.size());
    t.unsigned_value = 0;
    return t;
  }
  void text_token(Tape::Tag tag, const std::string& v) {
    Token& t = push(tag, JsonKind::string, consumed());
    t.text.offset = static_cast<uint32_t>(tape_.arena_.size());
    t.text.length = static_cast<uint32_t>(v.size());
    tape_.arena_.append(v);
  }
  bool scalar(JsonKind kind, std::size_t end) {
    push(Tape::Tag::value, kind, end);
    return counted();
  }
  // Counts a value (or a key) into its enclosing container.
  bool counted() {
    if (!open_.empty() && tape_.tokens_.back().tag != Tape::Tag::key) {
      ++tape_.tokens_[open_.back()].count;
    }
    return true;
  }
  bool open(JsonKind kind) {
    if (open_.size() == kMaxDepth) return fail("recursion limit exceeded");
    push(Tape::Tag::value, kind, consumed());
    counted();
    open_.push_back(static_cast<uint32_t>(tape_.tokens_.size() - 1));
    return true;
  }
  bool close() {
    push(Tape::Tag::end, JsonKind::null, consumed());
    tape_.tokens_[open_.back()].next = static_cast<uint32_t>(tape_.tokens_.size());
    open_.pop_back();
    return true;
  }
  bool fail(std::string_view message) {
    error_ = JsonError{std::string(message) + position_suffix(text_, consumed())};
    return false;
  }

  // nlohmann's what() is "[json.exception.parse_error.101] parse error at line 1,
  // column 2: syntax error ..."; the position is replaced by ours, in our format.
  static std::string reader_message(std::string_view what) {
    if (what.starts_with("[json.exception.")) what.remove_prefix(std::min(what.find("] ") + 2, what.size()));
    if (what.starts_with("parse error at line ")) {
      const std::size_t colon = what.find(": ");
      if (colon != std::string_view::npos) what.remove_prefix(colon + 2);
    }
    return std::string(what);
  }

  Tape& tape_;
  std::string_view text_;
  const char* read_up_to_;
  std::vector<uint32_t> open_;  // indices of the containers not yet closed
  std::optional<JsonError> error_;
};

std::optional<JsonError> Tape::parse(std::string_view text) {
  if (text.size() >= std::numeric_limits<uint32_t>::max()) return JsonError{"document too large to read"};
  text_ = text;
  tokens_.clear();
  arena_.clear();
  TapeBuilder builder(*this, text);
  const bool ok = nlohmann::json::sax_parse(builder.begin(), builder.end(), &builder);
  if (ok) return std::nullopt;
  if (builder.error()) return std::move(builder.error());
  return JsonError{"could not parse JSON" + position_suffix(text, text.size())};
}

}  // namespace velmora::json
