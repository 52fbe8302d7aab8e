#include "platform/json/text_writer.h"

#include <span>

#include "platform/text/utf8.h"

namespace velmora::json {

void require_writable(std::string_view text) {
  auto bytes = std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  if (auto error = text::validate_utf8(bytes)) throw WriteFailure("string is not valid UTF-8: " + text::describe(*error));
}

void TextWriter::string(std::string_view text) {
  require_writable(text);
  static constexpr char kHex[] = "0123456789abcdef";
  out_.push_back('"');
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out_.append(text.substr(run, i - run));
    run = i + 1;
    switch (c) {
      case '"': out_.append("\\\""); break;
      case '\\': out_.append("\\\\"); break;
      case '\b': out_.append("\\b"); break;
      case '\f': out_.append("\\f"); break;
      case '\n': out_.append("\\n"); break;
      case '\r': out_.append("\\r"); break;
      case '\t': out_.append("\\t"); break;
      default:
        out_.append("\\u00");
        out_.push_back(kHex[c >> 4]);
        out_.push_back(kHex[c & 0xF]);
    }
  }
  out_.append(text.substr(run));
  out_.push_back('"');
}

}  // namespace velmora::json
