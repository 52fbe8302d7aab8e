// Fuzz target of the URL parser: no input may crash it, and what it
// serializes must parse back to the same text (the URL Standard's
// serialization is idempotent).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/url/url.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using velmora::url::Url;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const auto url = Url::parse(input);
  if (!url) {
    // Relative forms go through the base paths of the parser instead.
    static const Url base = *Url::parse("https://user:pw@gw.example:8443/a/b/c?q#f");
    (void)Url::parse(input, base);
    return 0;
  }
  const std::string href = url->href();
  const auto again = Url::parse(href);
  if (!again || again->href() != href) std::abort();

  Url changed = *url;
  changed.set_pathname(input);
  changed.set_search(input);
  (void)changed.append_path_segment(input);
  changed.append_query_pair(input, input);
  const auto reread = Url::parse(changed.href());
  if (!reread || reread->href() != changed.href()) std::abort();
  return 0;
}
