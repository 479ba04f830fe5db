#include "korpus/ini/value_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "korpus/ini/ini_access.h"

namespace standin::ini {

std::optional<std::string> FormatValue(const char* format, std::va_list args) {
  std::string out(256, '\0');
  std::va_list first;
  va_copy(first, args);
  const int length = std::vsnprintf(out.data(), out.size(), format, first);
  va_end(first);
  if (length < 0) return std::nullopt;
  if (static_cast<std::size_t>(length) >= out.size()) {
    out.resize(static_cast<std::size_t>(length) + 1);
    std::va_list second;
    va_copy(second, args);
    const int again = std::vsnprintf(out.data(), out.size(), format, second);
    va_end(second);
    if (again != length) return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(length));
  return out;
}

namespace {

enum class Kind : std::uint8_t { Literal, Blanks, Text, Chars, Signed, Unsigned };

struct Directive {
  Kind kind = Kind::Literal;
  std::string_view literal;  // Literal
  std::size_t width = 0;     // Text: bytes stored (0: plain %s); Chars: bytes taken
  std::uint8_t bytes = 4;    // integer target size
  bool store = true;         // false for %*
};

// Widths beyond this are not meant seriously and would only invite huge
// stores into the caller's buffers.
constexpr std::size_t kMaxWidth = 1u << 20;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsFormatSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::vector<Directive>> ParseFormat(std::string_view format) {
  std::vector<Directive> out;
  std::size_t pos = 0;
  while (pos < format.size()) {
    if (IsFormatSpace(format[pos])) {
      while (pos < format.size() && IsFormatSpace(format[pos])) ++pos;
      out.push_back(Directive{Kind::Blanks, {}, 0, 4, true});
      continue;
    }
    if (format[pos] != '%') {
      const std::size_t start = pos;
      while (pos < format.size() && format[pos] != '%' && !IsFormatSpace(format[pos])) ++pos;
      out.push_back(Directive{Kind::Literal, format.substr(start, pos - start), 0, 4, true});
      continue;
    }
    ++pos;  // '%'
    if (pos < format.size() && format[pos] == '%') {
      out.push_back(Directive{Kind::Literal, format.substr(pos, 1), 0, 4, true});
      ++pos;
      continue;
    }
    Directive directive;
    if (pos < format.size() && format[pos] == '*') {
      directive.store = false;
      ++pos;
    }
    bool has_width = false;
    std::size_t width = 0;
    while (pos < format.size() && IsDigit(format[pos])) {
      has_width = true;
      width = width * 10 + static_cast<std::size_t>(format[pos] - '0');
      if (width > kMaxWidth) return std::nullopt;
      ++pos;
    }
    if (has_width && width == 0) return std::nullopt;
    std::uint8_t bytes = 4;
    if (format.substr(pos).starts_with("hh")) {
      bytes = 1;
      pos += 2;
    } else if (format.substr(pos).starts_with("h")) {
      bytes = 2;
      pos += 1;
    }
    if (pos >= format.size()) return std::nullopt;
    const char conversion = format[pos++];
    switch (conversion) {
      case 'd':
      case 'i':
      case 'u':
        if (has_width) return std::nullopt;
        directive.kind = conversion == 'u' ? Kind::Unsigned : Kind::Signed;
        directive.bytes = bytes;
        break;
      case 's':
        if (bytes != 4) return std::nullopt;
        directive.kind = Kind::Text;
        directive.width = width;
        break;
      case 'c':
        if (bytes != 4) return std::nullopt;
        directive.kind = Kind::Chars;
        directive.width = has_width ? width : 1;
        break;
      default:
        return std::nullopt;  // %l…, %n, %[, floating point: not offered
    }
    out.push_back(directive);
  }
  return out;
}

struct Integer {
  std::size_t end = 0;
  std::int64_t value = 0;
};

// An optional sign and digits (the caller skips the blanks before them);
// nullopt when there are no digits or the number does not fit the target.
std::optional<Integer> MatchInteger(std::string_view text, std::size_t pos, const Directive& directive) {
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
  constexpr std::int64_t kBeyondAnyTarget = std::int64_t{1} << 33;
  std::int64_t magnitude = 0;
  while (pos < text.size() && IsDigit(text[pos])) {
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > kBeyondAnyTarget) return std::nullopt;
    ++pos;
  }
  const std::int64_t value = negative ? -magnitude : magnitude;
  const int bits = directive.bytes * 8;
  std::int64_t low = 0;
  std::int64_t high = 0;
  if (directive.kind == Kind::Signed) {
    low = -(std::int64_t{1} << (bits - 1));
    high = (std::int64_t{1} << (bits - 1)) - 1;
  } else {
    high = (std::int64_t{1} << bits) - 1;
  }
  if (value < low || value > high) return std::nullopt;
  return Integer{pos, value};
}

// One stored result per directive that consumes input.
struct Piece {
  std::string_view text;
  std::int64_t number = 0;
};

class Matcher {
 public:
  Matcher(std::string_view value, const std::vector<Directive>& directives)
      : value_(value), directives_(directives), stride_(value.size() + 1), after_blanks_(value.size() + 1) {
    after_blanks_[value.size()] = value.size();
    for (std::size_t p = value.size(); p-- > 0;) after_blanks_[p] = IsBlank(value[p]) ? after_blanks_[p + 1] : p;
  }

  // reach(i, p): directives i.. can match the value from p. With a strict
  // end the value must be used up; otherwise, as with scanf, what follows
  // the last directive is ignored.
  bool Solve(bool strict_end) {
    const std::size_t count = directives_.size();
    const std::size_t length = value_.size();
    reach_.assign((count + 1) * stride_, 0);
    for (std::size_t p = 0; p <= length; ++p) Reach(count, p) = strict_end ? p == length : 1;
    for (std::size_t i = count; i-- > 0;) {
      const Directive& directive = directives_[i];
      for (std::size_t p = length + 1; p-- > 0;) {
        bool ok = false;
        switch (directive.kind) {
          case Kind::Literal:
            ok = value_.substr(p).starts_with(directive.literal) && Reach(i + 1, p + directive.literal.size());
            break;
          case Kind::Blanks:
            ok = Reach(i + 1, SkipBlanks(p));
            break;
          case Kind::Text:
            ok = Reach(i + 1, p) || (p < length && Reach(i, p + 1));
            break;
          case Kind::Chars:
            ok = length - p >= directive.width && Reach(i + 1, p + directive.width);
            break;
          case Kind::Signed:
          case Kind::Unsigned: {
            const auto integer = MatchInteger(value_, SkipBlanks(p), directive);
            ok = integer && Reach(i + 1, integer->end);
            break;
          }
        }
        Reach(i, p) = ok;
      }
    }
    return Reach(0, 0) != 0;
  }

  // Walks the solved table from the start, texts taking the longest split.
  std::vector<Piece> Pieces() {
    std::vector<Piece> pieces;
    std::size_t p = 0;
    for (std::size_t i = 0; i < directives_.size(); ++i) {
      const Directive& directive = directives_[i];
      switch (directive.kind) {
        case Kind::Literal:
          p += directive.literal.size();
          break;
        case Kind::Blanks:
          p = SkipBlanks(p);
          break;
        case Kind::Text: {
          const std::size_t end = TextEnd(i, p);
          pieces.push_back(Piece{value_.substr(p, end - p), 0});
          p = end;
          break;
        }
        case Kind::Chars:
          pieces.push_back(Piece{value_.substr(p, directive.width), 0});
          p += directive.width;
          break;
        case Kind::Signed:
        case Kind::Unsigned: {
          const auto integer = MatchInteger(value_, SkipBlanks(p), directive);
          pieces.push_back(Piece{{}, integer->value});
          p = integer->end;
          break;
        }
      }
    }
    return pieces;
  }

 private:
  std::uint8_t& Reach(std::size_t i, std::size_t p) { return reach_[i * stride_ + p]; }

  std::size_t SkipBlanks(std::size_t p) const { return after_blanks_[p]; }

  // The longest text after which the rest still matches, within the
  // width when such a split exists.
  std::size_t TextEnd(std::size_t i, std::size_t p) {
    const std::size_t width = directives_[i].width;
    if (width != 0 && value_.size() - p > width) {
      for (std::size_t end = p + width + 1; end-- > p;) {
        if (Reach(i + 1, end)) return end;
      }
    }
    for (std::size_t end = value_.size() + 1; end-- > p;) {
      if (Reach(i + 1, end)) return end;
    }
    return p;  // unreachable after a successful Solve
  }

  std::string_view value_;
  const std::vector<Directive>& directives_;
  std::size_t stride_;
  std::vector<std::size_t> after_blanks_;
  std::vector<std::uint8_t> reach_;
};

void StoreInteger(std::va_list& args, const Directive& directive, std::int64_t number) {
  if (directive.kind == Kind::Signed) {
    switch (directive.bytes) {
      case 1: *va_arg(args, std::int8_t*) = static_cast<std::int8_t>(number); return;
      case 2: *va_arg(args, std::int16_t*) = static_cast<std::int16_t>(number); return;
      default: *va_arg(args, std::int32_t*) = static_cast<std::int32_t>(number); return;
    }
  }
  switch (directive.bytes) {
    case 1: *va_arg(args, std::uint8_t*) = static_cast<std::uint8_t>(number); return;
    case 2: *va_arg(args, std::uint16_t*) = static_cast<std::uint16_t>(number); return;
    default: *va_arg(args, std::uint32_t*) = static_cast<std::uint32_t>(number); return;
  }
}

}  // namespace

bool ScanValue(std::string_view value, const char* format, std::va_list args) {
  const auto directives = ParseFormat(format);
  if (!directives) return false;
  Matcher matcher(value, *directives);
  if (!matcher.Solve(true) && !matcher.Solve(false)) return false;
  const std::vector<Piece> pieces = matcher.Pieces();

  std::va_list targets;
  va_copy(targets, args);
  std::size_t next = 0;
  for (const Directive& directive : *directives) {
    if (directive.kind == Kind::Literal || directive.kind == Kind::Blanks) continue;
    const Piece& piece = pieces[next++];
    if (!directive.store) continue;
    switch (directive.kind) {
      case Kind::Text: {
        const std::size_t limit = directive.width != 0 ? directive.width : kIniPlainTextLimit;
        const std::size_t size = std::min(piece.text.size(), limit);
        char* target = va_arg(targets, char*);
        std::memcpy(target, piece.text.data(), size);
        target[size] = '\0';
        break;
      }
      case Kind::Chars:
        std::memcpy(va_arg(targets, char*), piece.text.data(), piece.text.size());
        break;
      default:
        StoreInteger(targets, directive, piece.number);
        break;
    }
  }
  va_end(targets);
  return true;
}

}  // namespace standin::ini
