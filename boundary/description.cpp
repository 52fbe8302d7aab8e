#include "boundary/description.h"

#include <stdexcept>

namespace velmora::ffi {

void DescriptionWriter::name(std::string_view text) {
  if (text.size() > 255) throw std::length_error("a name in a description is at most 255 bytes");
  u8(static_cast<uint8_t>(text.size()));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void DescriptionWriter::docstring(std::string_view text) {
  if (text.size() > 0xFFFF) throw std::length_error("a docstring is at most 65535 bytes");
  u8(static_cast<uint8_t>(text.size() & 0xFF));
  u8(static_cast<uint8_t>(text.size() >> 8));
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void DescriptionWriter::module_path(const ItemNames& names) {
  // The root module of a component is the component itself.
  name(names.module.empty() ? std::string(names.component)
                            : std::string(names.component) + "::" + std::string(names.module));
}

}  // namespace velmora::ffi
