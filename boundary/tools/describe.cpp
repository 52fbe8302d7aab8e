// Prints what is derived from the library's declarations:
//   describe header   the public C header of every listed export
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "boundary/registry.h"

namespace {

using velmora::ffi::ExportEntry;

// Parameter names that are keywords in C or C++ get a trailing underscore.
std::string parameter_name(std::string_view name) {
  static const std::set<std::string_view> keywords = {"namespace", "template", "new", "delete", "class",
                                                      "default", "register", "auto", "operator", "this"};
  std::string out(name);
  if (keywords.contains(name)) out += '_';
  return out;
}

void print_header(std::ostream& out) {
  std::vector<const ExportEntry*> entries(velmora::ffi::listed_exports().begin(),
                                          velmora::ffi::listed_exports().end());
  std::sort(entries.begin(), entries.end(),
            [](const ExportEntry* a, const ExportEntry* b) { return a->symbol < b->symbol; });

  out << "/* The exports of libvelmora_sdk. Generated from the library's declarations by\n"
         " * `velmora_describe header` (make header); edit the declarations, not this file.\n"
         " * Ownership and calling rules: see velmora_sdk_frame.h. */\n"
         "#ifndef VELMORA_SDK_H\n#define VELMORA_SDK_H\n\n#include \"velmora_sdk_frame.h\"\n\n"
         "#ifdef __cplusplus\nextern \"C\" {\n#endif\n\n";
  for (const ExportEntry* e : entries) {
    out << "VELMORA_API " << e->result << ' ' << e->symbol << '(';
    bool first = true;
    for (const auto& p : e->params) {
      if (!first) out << ", ";
      first = false;
      out << p.type << (p.type.ends_with("*") ? "" : " ") << parameter_name(p.name);
    }
    if (e->takes_status) {
      if (!first) out << ", ";
      first = false;
      out << "VelmoraCallStatus *out_status";
    }
    if (first) out << "void";
    out << ") VELMORA_NOEXCEPT;\n";
  }
  out << "\n#ifdef __cplusplus\n}\n#endif\n\n#endif /* VELMORA_SDK_H */\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::string_view what = argc > 1 ? argv[1] : "";
  if (what == "header") {
    print_header(std::cout);
    return 0;
  }
  std::fprintf(stderr, "usage: %s header\n", argv[0]);
  return 2;
}
