#include "parser.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <string>

#include "platform/text/utf8.h"
#include "platform/url/host.h"
#include "platform/url/percent_encode.h"

namespace velmora::url {
namespace {

constexpr int kEof = -1;

enum class State : uint8_t {
  scheme_start,
  scheme,
  no_scheme,
  special_relative_or_authority,
  path_or_authority,
  relative,
  relative_slash,
  special_authority_slashes,
  special_authority_ignore_slashes,
  authority,
  host,
  port,
  file,
  file_slash,
  file_host,
  path_start,
  path,
  opaque_path,
  query,
  fragment,
};

bool is_alpha(int c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_digit(int c) { return c >= '0' && c <= '9'; }
char to_lower(int c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c); }

bool is_special_scheme(std::string_view s) {
  return s == "http" || s == "https" || s == "ws" || s == "wss" || s == "ftp" || s == "file";
}

bool is_windows_drive_letter(std::string_view s) {
  return s.size() == 2 && is_alpha(s[0]) && (s[1] == ':' || s[1] == '|');
}

bool starts_with_windows_drive_letter(std::string_view s) {
  if (s.size() < 2 || !is_windows_drive_letter(s.substr(0, 2))) return false;
  return s.size() == 2 || s[2] == '/' || s[2] == '\\' || s[2] == '?' || s[2] == '#';
}

bool is_encoded_dot(std::string_view s) { return s.size() == 3 && s[0] == '%' && s[1] == '2' && (s[2] | 0x20) == 'e'; }
bool is_single_dot(std::string_view s) { return s == "." || is_encoded_dot(s); }
bool is_double_dot(std::string_view s) {
  if (s == "..") return true;
  if (s.size() == 4) return (s[0] == '.' && is_encoded_dot(s.substr(1))) || (is_encoded_dot(s.substr(0, 3)) && s[3] == '.');
  return s.size() == 6 && is_encoded_dot(s.substr(0, 3)) && is_encoded_dot(s.substr(3));
}

// The text the state machine reads: leading and trailing C0 controls and
// spaces removed (when parsing a whole URL), every tab and newline removed,
// and invalid UTF-8 read as U+FFFD. Copies only when something changes
// beyond the trimming.
std::string_view prepare(std::string_view input, bool trim, std::string& storage) {
  if (trim) {
    while (!input.empty() && static_cast<unsigned char>(input.front()) <= 0x20) input.remove_prefix(1);
    while (!input.empty() && static_cast<unsigned char>(input.back()) <= 0x20) input.remove_suffix(1);
  }
  const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(input.data()), input.size());
  if (text::validate_utf8(bytes)) {
    storage = text::decode_utf8_lossy(bytes);
    input = storage;
  }
  const auto is_tab_or_newline = [](char c) { return c == '\t' || c == '\n' || c == '\r'; };
  if (std::none_of(input.begin(), input.end(), is_tab_or_newline)) return input;
  std::string stripped;
  stripped.reserve(input.size());
  for (char c : input)
    if (!is_tab_or_newline(c)) stripped.push_back(c);
  storage = std::move(stripped);
  return storage;
}

}  // namespace

class Parser {
 public:
  Parser(std::string_view input, const Url* base, Url& url, std::optional<StateOverride> state_override)
      : input_(input), base_(base), url_(url), override_(state_override.has_value()) {
    if (!state_override)
      state_ = State::scheme_start;
    else
      state_ = *state_override == StateOverride::path_start ? State::path_start : State::query;
  }

  std::expected<void, UrlError> run() {
    const auto n = static_cast<std::ptrdiff_t>(input_.size());
    for (;;) {
      const int c = p_ < n ? static_cast<unsigned char>(input_[static_cast<std::size_t>(p_)]) : kEof;
      if (auto error = step(c)) return std::unexpected(*error);
      if (p_ >= n) return {};
      ++p_;
    }
  }

 private:
  int peek(std::ptrdiff_t offset) const {
    const std::ptrdiff_t i = p_ + offset;
    return i >= 0 && i < static_cast<std::ptrdiff_t>(input_.size())
               ? static_cast<unsigned char>(input_[static_cast<std::size_t>(i)])
               : kEof;
  }
  std::string_view rest_from_pointer() const {
    return p_ < static_cast<std::ptrdiff_t>(input_.size()) ? input_.substr(static_cast<std::size_t>(p_)) : "";
  }
  bool special() const { return url_.special_; }
  bool ends_component(int c) const {
    return c == kEof || c == '/' || c == '?' || c == '#' || (special() && c == '\\');
  }
  bool is_slash(int c) const { return c == '/' || (special() && c == '\\'); }

  // Appends to out the bytes after the pointer up to the first one that
  // stops, and moves the pointer onto the last byte appended. Saves a trip
  // through the state machine for each plain byte.
  template <typename Stops>
  void take_run(std::string& out, Stops stops) {
    std::size_t end = static_cast<std::size_t>(p_) + 1;
    while (end < input_.size() && !stops(static_cast<uint8_t>(input_[end]))) ++end;
    const std::size_t start = static_cast<std::size_t>(p_) + 1;
    out.append(input_, start, end - start);
    p_ = static_cast<std::ptrdiff_t>(end) - 1;
  }

  void copy_authority_from_base() {
    url_.username_ = base_->username_;
    url_.password_ = base_->password_;
    url_.host_ = base_->host_;
    url_.host_kind_ = base_->host_kind_;
    url_.port_ = base_->port_;
  }
  void set_host(Host host) {
    url_.host_ = std::move(host.serialized);
    url_.host_kind_ = host.kind;
  }
  void append_segment(std::string_view segment) {
    url_.path_.push_back('/');
    url_.path_ += segment;
  }
  // Removes the last segment, except a file URL's lone drive letter.
  void shorten_path() {
    std::string& path = url_.path_;
    if (url_.scheme_ == "file" && path.size() == 3 && is_alpha(path[1]) && path[2] == ':') return;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos) path.resize(slash);
  }

  std::optional<UrlError> step(int c);

  std::string_view input_;
  const Url* base_;
  Url& url_;
  bool override_;
  State state_;
  std::string buffer_;
  std::ptrdiff_t p_ = 0;
  bool at_sign_seen_ = false;
  bool inside_brackets_ = false;
  bool password_token_seen_ = false;
};

// One run of the state machine on c. Only the path start and query states
// are ever given as overrides here, so the override branches of the other
// states are left out.
std::optional<UrlError> Parser::step(int c) {
  switch (state_) {
    case State::scheme_start:
      if (is_alpha(c)) {
        buffer_.push_back(to_lower(c));
        state_ = State::scheme;
      } else {
        state_ = State::no_scheme;
        --p_;
      }
      break;

    case State::scheme:
      if (is_alpha(c) || is_digit(c) || c == '+' || c == '-' || c == '.') {
        buffer_.push_back(to_lower(c));
      } else if (c == ':') {
        url_.scheme_ = std::move(buffer_);
        buffer_.clear();
        url_.special_ = is_special_scheme(url_.scheme_);
        if (url_.scheme_ == "file") {
          state_ = State::file;
        } else if (special() && base_ && base_->scheme_ == url_.scheme_) {
          state_ = State::special_relative_or_authority;
        } else if (special()) {
          state_ = State::special_authority_slashes;
        } else if (peek(1) == '/') {
          state_ = State::path_or_authority;
          ++p_;
        } else {
          url_.opaque_path_ = true;
          url_.path_.clear();
          state_ = State::opaque_path;
        }
      } else {
        buffer_.clear();
        state_ = State::no_scheme;
        p_ = -1;  // start over from the first code point
      }
      break;

    case State::no_scheme:
      if (!base_) return UrlError::relative_without_base;
      if (base_->opaque_path_ && c != '#') return UrlError::relative_with_opaque_base;
      if (base_->opaque_path_) {
        url_.scheme_ = base_->scheme_;
        url_.special_ = base_->special_;
        url_.path_ = base_->path_;
        url_.opaque_path_ = true;
        url_.query_ = base_->query_;
        url_.fragment_.emplace();
        state_ = State::fragment;
      } else {
        state_ = base_->scheme_ != "file" ? State::relative : State::file;
        --p_;
      }
      break;

    case State::special_relative_or_authority:
      if (c == '/' && peek(1) == '/') {
        state_ = State::special_authority_ignore_slashes;
        ++p_;
      } else {
        state_ = State::relative;
        --p_;
      }
      break;

    case State::path_or_authority:
      if (c == '/') {
        state_ = State::authority;
      } else {
        state_ = State::path;
        --p_;
      }
      break;

    case State::relative:
      url_.scheme_ = base_->scheme_;
      url_.special_ = base_->special_;
      if (is_slash(c)) {
        state_ = State::relative_slash;
      } else {
        copy_authority_from_base();
        url_.path_ = base_->path_;
        url_.query_ = base_->query_;
        if (c == '?') {
          url_.query_.emplace();
          state_ = State::query;
        } else if (c == '#') {
          url_.fragment_.emplace();
          state_ = State::fragment;
        } else if (c != kEof) {
          url_.query_.reset();
          shorten_path();
          state_ = State::path;
          --p_;
        }
      }
      break;

    case State::relative_slash:
      if (special() && (c == '/' || c == '\\')) {
        state_ = State::special_authority_ignore_slashes;
      } else if (c == '/') {
        state_ = State::authority;
      } else {
        copy_authority_from_base();
        state_ = State::path;
        --p_;
      }
      break;

    case State::special_authority_slashes:
      state_ = State::special_authority_ignore_slashes;
      if (c == '/' && peek(1) == '/')
        ++p_;
      else
        --p_;
      break;

    case State::special_authority_ignore_slashes:
      if (c != '/' && c != '\\') {
        state_ = State::authority;
        --p_;
      }
      break;

    case State::authority:
      if (c == '@') {
        if (at_sign_seen_) buffer_.insert(0, "%40");
        at_sign_seen_ = true;
        for (char b : buffer_) {
          if (b == ':' && !password_token_seen_) {
            password_token_seen_ = true;
            continue;
          }
          percent_encode_byte(static_cast<uint8_t>(b), kUserinfoSet,
                              password_token_seen_ ? url_.password_ : url_.username_);
        }
        buffer_.clear();
      } else if (ends_component(c)) {
        if (at_sign_seen_ && buffer_.empty()) return UrlError::empty_host;
        p_ -= static_cast<std::ptrdiff_t>(buffer_.size()) + 1;
        buffer_.clear();
        state_ = State::host;
      } else {
        buffer_.push_back(static_cast<char>(c));
        take_run(buffer_, [](uint8_t b) { return b == '@' || b == '/' || b == '?' || b == '#' || b == '\\'; });
      }
      break;

    case State::host:
      if (c == ':' && !inside_brackets_) {
        if (buffer_.empty()) return UrlError::empty_host;
        auto host = parse_host(buffer_, !special());
        if (!host) return host.error();
        set_host(std::move(*host));
        buffer_.clear();
        state_ = State::port;
      } else if (ends_component(c)) {
        --p_;
        if (special() && buffer_.empty()) return UrlError::empty_host;
        auto host = parse_host(buffer_, !special());
        if (!host) return host.error();
        set_host(std::move(*host));
        buffer_.clear();
        state_ = State::path_start;
      } else {
        if (c == '[') inside_brackets_ = true;
        if (c == ']') inside_brackets_ = false;
        buffer_.push_back(static_cast<char>(c));
        take_run(buffer_, [](uint8_t b) {
          return b == ':' || b == '/' || b == '?' || b == '#' || b == '\\' || b == '[' || b == ']';
        });
      }
      break;

    case State::port:
      if (is_digit(c)) {
        buffer_.push_back(static_cast<char>(c));
      } else if (ends_component(c)) {
        if (!buffer_.empty()) {
          uint32_t port = 0;
          for (char d : buffer_) {
            port = port * 10 + static_cast<uint32_t>(d - '0');
            if (port > 65535) return UrlError::invalid_port;
          }
          const auto value = static_cast<uint16_t>(port);
          url_.port_ = default_port(url_.scheme_) == value ? std::nullopt : std::optional<uint16_t>(value);
          buffer_.clear();
        }
        state_ = State::path_start;
        --p_;
      } else {
        return UrlError::invalid_port;
      }
      break;

    case State::file:
      url_.scheme_ = "file";
      url_.special_ = true;
      url_.host_.clear();
      url_.host_kind_ = HostKind::empty;
      if (c == '/' || c == '\\') {
        state_ = State::file_slash;
      } else if (base_ && base_->scheme_ == "file") {
        url_.host_ = base_->host_;
        url_.host_kind_ = base_->host_kind_;
        url_.path_ = base_->path_;
        url_.query_ = base_->query_;
        if (c == '?') {
          url_.query_.emplace();
          state_ = State::query;
        } else if (c == '#') {
          url_.fragment_.emplace();
          state_ = State::fragment;
        } else if (c != kEof) {
          url_.query_.reset();
          if (!starts_with_windows_drive_letter(rest_from_pointer()))
            shorten_path();
          else
            url_.path_.clear();
          state_ = State::path;
          --p_;
        }
      } else {
        state_ = State::path;
        --p_;
      }
      break;

    case State::file_slash:
      if (c == '/' || c == '\\') {
        state_ = State::file_host;
      } else {
        if (base_ && base_->scheme_ == "file") {
          url_.host_ = base_->host_;
          url_.host_kind_ = base_->host_kind_;
          const std::string& base_path = base_->path_;
          const bool base_starts_with_drive = base_path.size() >= 3 && base_path[0] == '/' && is_alpha(base_path[1]) &&
                                              base_path[2] == ':' && (base_path.size() == 3 || base_path[3] == '/');
          if (!starts_with_windows_drive_letter(rest_from_pointer()) && base_starts_with_drive)
            url_.path_.append(base_path, 0, 3);
        }
        state_ = State::path;
        --p_;
      }
      break;

    case State::file_host:
      if (c == kEof || c == '/' || c == '\\' || c == '?' || c == '#') {
        --p_;
        if (is_windows_drive_letter(buffer_)) {
          // The drive-letter quirk: the buffer is kept for the path state.
          state_ = State::path;
        } else if (buffer_.empty()) {
          url_.host_.clear();
          url_.host_kind_ = HostKind::empty;
          state_ = State::path_start;
        } else {
          auto host = parse_host(buffer_, false);
          if (!host) return host.error();
          if (host->serialized == "localhost") host = Host{HostKind::empty, {}};
          set_host(std::move(*host));
          buffer_.clear();
          state_ = State::path_start;
        }
      } else {
        buffer_.push_back(static_cast<char>(c));
      }
      break;

    case State::path_start:
      if (special()) {
        state_ = State::path;
        if (c != '/' && c != '\\') --p_;
      } else if (!override_ && c == '?') {
        url_.query_.emplace();
        state_ = State::query;
      } else if (!override_ && c == '#') {
        url_.fragment_.emplace();
        state_ = State::fragment;
      } else if (c != kEof) {
        state_ = State::path;
        if (c != '/') --p_;
      } else if (override_ && url_.host_kind_ == HostKind::none) {
        append_segment("");
      }
      break;

    case State::path:
      if (c == kEof || is_slash(c) || (!override_ && (c == '?' || c == '#'))) {
        const bool slash = is_slash(c);
        if (is_double_dot(buffer_)) {
          shorten_path();
          if (!slash) append_segment("");
        } else if (is_single_dot(buffer_)) {
          if (!slash) append_segment("");
        } else {
          if (url_.scheme_ == "file" && url_.path_.empty() && is_windows_drive_letter(buffer_)) buffer_[1] = ':';
          append_segment(buffer_);
        }
        buffer_.clear();
        if (c == '?') {
          url_.query_.emplace();
          state_ = State::query;
        } else if (c == '#') {
          url_.fragment_.emplace();
          state_ = State::fragment;
        }
      } else {
        percent_encode_byte(static_cast<uint8_t>(c), kPathSet, buffer_);
        // The path set holds "?" and "#"; "/" and "\" end a segment.
        take_run(buffer_, [](uint8_t b) { return kPathSet.contains(b) || b == '/' || b == '\\'; });
      }
      break;

    case State::opaque_path:
      if (c == '?') {
        url_.query_.emplace();
        state_ = State::query;
      } else if (c == '#') {
        url_.fragment_.emplace();
        state_ = State::fragment;
      } else if (c == ' ') {
        // A space just before the query or fragment is encoded, so that
        // removing those later cannot leave a trailing space.
        const int next = peek(1);
        url_.path_ += (next == '?' || next == '#') ? "%20" : " ";
      } else if (c != kEof) {
        percent_encode_byte(static_cast<uint8_t>(c), kC0ControlSet, url_.path_);
        take_run(url_.path_,
                 [](uint8_t b) { return kC0ControlSet.contains(b) || b == '?' || b == '#' || b == ' '; });
      }
      break;

    case State::query:
      // Encoding byte by byte as they come is the same as encoding the
      // buffer at the end: every set treats each byte on its own.
      if (c == '#' && !override_) {
        url_.fragment_.emplace();
        state_ = State::fragment;
      } else if (c != kEof) {
        // Both query sets hold "#".
        const EncodeSet& set = special() ? kSpecialQuerySet : kQuerySet;
        percent_encode_byte(static_cast<uint8_t>(c), set, *url_.query_);
        take_run(*url_.query_, [&set](uint8_t b) { return set.contains(b); });
      }
      break;

    case State::fragment:
      if (c != kEof) {
        percent_encode_byte(static_cast<uint8_t>(c), kFragmentSet, *url_.fragment_);
        take_run(*url_.fragment_, [](uint8_t b) { return kFragmentSet.contains(b); });
      }
      break;
  }
  return std::nullopt;
}

std::expected<void, UrlError> basic_parse(std::string_view input, const Url* base, Url& url,
                                          std::optional<StateOverride> state_override) {
  std::string storage;
  const std::string_view prepared = prepare(input, !state_override.has_value(), storage);
  return Parser(prepared, base, url, state_override).run();
}

}  // namespace velmora::url
