// The position-keeping reader: nlohmann's SAX parser records the document as
// a flat tape of tokens, each with the place in the text where it ended, so
// that every failure can name its line and column. read_json uses it only to
// describe a failure of the fast reader (simd_reader.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/json/forms.h"
#include "platform/json/json.h"

namespace velmora::json {

// A reading failure with its position already in the message.
class LocatedFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// " at line L column C" of the byte just before offset (offset = bytes consumed).
std::string position_suffix(std::string_view text, std::size_t offset);

class Tape {
 public:
  enum class Tag : uint8_t { value, key, end };

  struct Token {
    Tag tag = Tag::value;
    JsonKind kind = JsonKind::null;
    uint32_t end_offset = 0;  // bytes of the text consumed when the token was complete
    uint32_t next = 0;        // index just past this value (past the closing token of a container)
    uint32_t count = 0;       // elements or members of a container
    union {
      bool boolean;
      int64_t signed_value;
      uint64_t unsigned_value;
      double floating_value;
      struct {
        uint32_t offset, length;  // into the string arena
      } text;
    };
  };

  // Parses the whole text: one value, whitespace around it, at most kMaxDepth
  // levels of nesting. The error message carries the position.
  std::optional<JsonError> parse(std::string_view text);

  std::string_view text() const noexcept { return text_; }
  const Token& at(uint32_t index) const noexcept { return tokens_[index]; }
  std::string_view string_at(uint32_t index) const noexcept {
    const Token& t = tokens_[index];
    return std::string_view(arena_).substr(t.text.offset, t.text.length);
  }

 private:
  friend class TapeBuilder;
  std::string_view text_;
  std::vector<Token> tokens_;
  std::string arena_;
};

// A node over the tape (see forms.h for what a node offers).
class TapeNode {
 public:
  TapeNode(const Tape& tape, uint32_t index) noexcept : tape_(&tape), index_(index) {}

  JsonKind kind() const noexcept { return token().kind; }
  bool boolean() const noexcept { return token().boolean; }
  uint64_t unsigned_value() const noexcept { return token().unsigned_value; }
  int64_t signed_value() const noexcept { return token().signed_value; }
  double floating_value() const noexcept { return token().floating_value; }
  std::string_view string() const noexcept { return tape_->string_at(index_); }
  std::size_t size_hint() const noexcept { return token().count; }

  bool is_null() const noexcept { return kind() == JsonKind::null; }
  bool get_string(std::string_view& v) const noexcept {
    if (kind() != JsonKind::string) return false;
    v = string();
    return true;
  }
  bool get_boolean(bool& v) const noexcept {
    if (kind() != JsonKind::boolean) return false;
    v = boolean();
    return true;
  }
  bool get_unsigned(uint64_t& v) const noexcept {
    if (kind() != JsonKind::unsigned_integer) return false;
    v = unsigned_value();
    return true;
  }

  template <class Fn>
  void for_each_element(Fn&& fn) const {
    for (uint32_t i = index_ + 1; tape_->at(i).tag != Tape::Tag::end; i = tape_->at(i).next) fn(TapeNode(*tape_, i));
  }
  template <class Fn>
  void for_each_member(Fn&& fn) const {
    for (uint32_t i = index_ + 1; tape_->at(i).tag != Tape::Tag::end; i = tape_->at(i + 1).next) {
      TapeNode key(*tape_, i);
      fn(key.string(), key, TapeNode(*tape_, i + 1));
    }
  }

  [[noreturn]] void fail(const std::string& message) const { fail_at(token().end_offset, message); }
  // At the container's closing bracket.
  [[noreturn]] void fail_at_end(const std::string& message) const {
    fail_at(tape_->at(token().next - 1).end_offset, message);
  }

 private:
  const Tape::Token& token() const noexcept { return tape_->at(index_); }
  [[noreturn]] void fail_at(uint32_t offset, const std::string& message) const {
    throw LocatedFailure(message + position_suffix(tape_->text(), offset));
  }

  const Tape* tape_;
  uint32_t index_;
};

template <class T>
std::expected<T, JsonError> read_json_located(std::string_view text) {
  Tape tape;
  if (auto error = tape.parse(text)) return std::unexpected(std::move(*error));
  try {
    return JsonForm<T>::read(TapeNode(tape, 0));
  } catch (const LocatedFailure& failure) {
    return std::unexpected(JsonError{failure.what()});
  }
}

}  // namespace velmora::json
