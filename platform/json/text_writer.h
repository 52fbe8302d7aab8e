// Compact JSON text, appended to a string.
#pragma once

#include <charconv>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace velmora::json {

// A value that cannot be written as JSON: a string that is not UTF-8.
class WriteFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Throws WriteFailure unless text is UTF-8; the message says where it is not.
void require_writable(std::string_view text);

class TextWriter {
 public:
  explicit TextWriter(std::string& out) noexcept : out_(out) {}

  void raw(std::string_view text) { out_.append(text); }
  void null() { out_.append("null"); }
  void boolean(bool v) { out_.append(v ? "true" : "false"); }
  void unsigned_integer(uint64_t v) {
    char digits[20];
    auto end = std::to_chars(digits, digits + sizeof digits, v).ptr;
    out_.append(digits, end);
  }
  // A JSON string with the usual escaping: quote, backslash and control
  // characters only; other characters are written as their UTF-8 bytes.
  void string(std::string_view text);

  // An object's member name, preceded by a comma unless it is the first.
  // Names are declared ASCII identifiers and need no escaping.
  void member(bool& first, std::string_view name) {
    if (!first) out_.push_back(',');
    first = false;
    out_.push_back('"');
    out_.append(name);
    out_.append("\":");
  }
  void push(char c) { out_.push_back(c); }

 private:
  std::string& out_;
};

}  // namespace velmora::json
