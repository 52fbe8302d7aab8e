#include "idna.h"

#include <idn2.h>

#include <cstdint>
#include <memory>

namespace velmora::url {
namespace {

bool is_ascii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

void append_lowercase(std::string_view s, std::string& out) {
  for (char c : s) out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c);
}

bool starts_with_ace_prefix(std::string_view label) {
  return label.size() >= 4 && (label[0] | 0x20) == 'x' && (label[1] | 0x20) == 'n' && label[2] == '-' &&
         label[3] == '-';
}

// Calls f with each code point of s, which is valid UTF-8.
template <typename F>
void for_each_code_point(std::string_view s, F f) {
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    const std::size_t len = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
    for (std::size_t k = 1; k < len && i + k < s.size(); ++k) cp = (cp << 6) | (s[i + k] & 0x3F);
    f(cp);
    i += len;
  }
}

// Whether libidn2's transitional lookup gives the nontransitional result
// under UTS 46 alone: it does when none of the four deviation characters
// (and no capital sharp s, which maps to one) is present, and the domain has
// no right-to-left text, whose Bidi rule that lookup leaves out. The ranges
// are the blocks of right-to-left scripts, wider than needed on purpose.
bool transitional_lookup_is_equivalent(std::string_view domain) {
  bool equivalent = true;
  for_each_code_point(domain, [&](char32_t cp) {
    const bool deviation = cp == 0xDF || cp == 0x3C2 || cp == 0x200C || cp == 0x200D || cp == 0x1E9E;
    const bool right_to_left = (cp >= 0x0590 && cp <= 0x08FF) || (cp >= 0xFB1D && cp <= 0xFDFF) ||
                               (cp >= 0xFE70 && cp <= 0xFEFF) || (cp >= 0x10800 && cp <= 0x10FFF) ||
                               (cp >= 0x1E800 && cp <= 0x1EFFF);
    if (deviation || right_to_left) equivalent = false;
  });
  return equivalent;
}

struct Idn2Free {
  void operator()(uint8_t* p) const { idn2_free(p); }
};

struct Lookup {
  int rc = IDN2_OK;
  std::string ascii;
};

Lookup lookup(std::string_view domain, int flags) {
  const std::string terminated(domain);
  uint8_t* raw = nullptr;
  const int rc = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(terminated.c_str()), &raw, flags);
  std::unique_ptr<uint8_t, Idn2Free> owned(raw);
  if (rc != IDN2_OK) return {rc, {}};
  return {rc, std::string(reinterpret_cast<const char*>(raw))};
}

// Errors of IDNA2008 rules that libidn2's nontransitional lookup applies on
// top of UTS 46 (symbols such as U+2665 are IDNA2008-disallowed but UTS 46
// valid).
bool is_idna2008_only_error(int rc) {
  return rc == IDN2_DISALLOWED || rc == IDN2_CONTEXTO || rc == IDN2_CONTEXTO_NO_RULE || rc == IDN2_UNASSIGNED;
}

// Errors of checks that the URL Standard switches off (CheckHyphens and
// VerifyDnsLength false), which libidn2 always applies.
bool is_check_the_standard_leaves_off(int rc) {
  return rc == IDN2_2HYPHEN || rc == IDN2_HYPHEN_STARTEND || rc == IDN2_TOO_BIG_LABEL || rc == IDN2_TOO_BIG_DOMAIN;
}

// UTS 46 ToASCII with the URL Standard's options (nontransitional, no STD3
// rules, CheckBidi and CheckJoiners on), as near as libidn2 comes.
Lookup uts46(std::string_view domain, bool transitional_is_equivalent) {
  Lookup result = lookup(domain, IDN2_NONTRANSITIONAL);
  if (is_idna2008_only_error(result.rc) && transitional_is_equivalent) result = lookup(domain, IDN2_TRANSITIONAL);
  return result;
}

}  // namespace

std::optional<std::string> domain_to_ascii(std::string_view domain) {
  std::string result;
  // The standard lower-cases ASCII domains whatever UTS 46 would say of them
  // (web compatibility: invalid Punycode in "xn--" labels is kept).
  if (is_ascii(domain)) {
    append_lowercase(domain, result);
    return result;
  }
  // libidn2 reads C strings; a NUL is a forbidden code point anyway.
  if (domain.find('\0') != std::string_view::npos) return std::nullopt;

  const bool transitional_is_equivalent = transitional_lookup_is_equivalent(domain);
  Lookup whole = uts46(domain, transitional_is_equivalent);
  if (whole.rc == IDN2_OK) {
    result = std::move(whole.ascii);
  } else if (is_check_the_standard_leaves_off(whole.rc)) {
    // Again label by label, so that the hyphen and length rules stay away
    // from ASCII labels, which UTS 46 only lower-cases. "xn--" labels are
    // still decoded and checked.
    std::size_t start = 0;
    while (true) {
      const std::size_t dot = domain.find('.', start);
      const std::string_view label = domain.substr(start, dot == std::string_view::npos ? dot : dot - start);
      if (is_ascii(label) && !starts_with_ace_prefix(label)) {
        append_lowercase(label, result);
      } else {
        Lookup one = uts46(label, transitional_is_equivalent);
        if (one.rc != IDN2_OK) return std::nullopt;
        result += one.ascii;
      }
      if (dot == std::string_view::npos) break;
      result.push_back('.');
      start = dot + 1;
    }
  } else {
    return std::nullopt;
  }
  if (result.empty()) return std::nullopt;
  return result;
}

}  // namespace velmora::url
