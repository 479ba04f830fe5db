#include "standin/ini/value_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "standin/ini/ini_access.h"

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

// Decides, for directive i at position p, whether the rest of the format
// can match the rest of the value; evaluated on demand and remembered, so a
// row costs little more than one pass over it and garbage stays linear.
class Matcher {
 public:
  Matcher(std::string_view value, const std::vector<Directive>& directives)
      : value_(value), directives_(directives), stride_(value.size() + 1), after_blanks_(value.size() + 1) {
    after_blanks_[value.size()] = value.size();
    for (std::size_t p = value.size(); p-- > 0;) after_blanks_[p] = IsBlank(value[p]) ? after_blanks_[p + 1] : p;
  }

  // With a strict end the value must be used up; otherwise, as with scanf,
  // what follows the last directive is ignored.
  bool Solve(bool strict_end) {
    strict_end_ = strict_end;
    memo_.assign((directives_.size() + 1) * stride_, kUnknown);
    longest_.assign(directives_.size(), kUnknownEnd);
    return Reach(0, 0);
  }

  // Walks the solved match from the start.
  std::vector<Piece> Pieces() {
    std::vector<Piece> pieces;
    std::size_t p = 0;
    for (std::size_t i = 0; i < directives_.size(); ++i) {
      const Directive& directive = directives_[i];
      const std::size_t end = Next(i, p);
      switch (directive.kind) {
        case Kind::Literal:
        case Kind::Blanks:
          break;
        case Kind::Text:
        case Kind::Chars:
          pieces.push_back(Piece{value_.substr(p, end - p), 0});
          break;
        case Kind::Signed:
        case Kind::Unsigned:
          pieces.push_back(Piece{{}, MatchInteger(value_, SkipBlanks(p), directive)->value});
          break;
      }
      p = end;
    }
    return pieces;
  }

 private:
  static constexpr std::uint8_t kUnknown = 2;
  static constexpr std::size_t kNoEnd = static_cast<std::size_t>(-1);
  static constexpr std::size_t kUnknownEnd = static_cast<std::size_t>(-2);

  bool Reach(std::size_t i, std::size_t p) {
    if (i == directives_.size()) return !strict_end_ || p == value_.size();
    std::uint8_t& known = memo_[i * stride_ + p];
    if (known == kUnknown) {
      const std::size_t end = Next(i, p);
      known = end != kNoEnd && (directives_[i].kind == Kind::Text || Reach(i + 1, end));
    }
    return known != 0;
  }

  // Where directive i ends when it starts at p, kNoEnd when it cannot. A
  // text ends where the rest still matches: at the furthest such place
  // within its width, else at the furthest of all (and is cut on storing).
  std::size_t Next(std::size_t i, std::size_t p) {
    const Directive& directive = directives_[i];
    const std::size_t length = value_.size();
    switch (directive.kind) {
      case Kind::Literal: {
        const std::string_view literal = directive.literal;
        return value_.substr(p).starts_with(literal) ? p + literal.size() : kNoEnd;
      }
      case Kind::Blanks:
        return SkipBlanks(p);
      case Kind::Chars:
        return length - p >= directive.width ? p + directive.width : kNoEnd;
      case Kind::Signed:
      case Kind::Unsigned: {
        const auto integer = MatchInteger(value_, SkipBlanks(p), directive);
        return integer ? integer->end : kNoEnd;
      }
      case Kind::Text:
        break;
    }
    const std::size_t longest = Longest(i);
    if (longest == kNoEnd || longest < p) return kNoEnd;
    if (directive.width == 0 || longest - p <= directive.width) return longest;
    for (std::size_t end = p + directive.width + 1; end-- > p;) {
      if (Reach(i + 1, end)) return end;
    }
    return longest;
  }

  // The furthest place after which the directives following text i match;
  // it does not depend on where the text starts.
  std::size_t Longest(std::size_t i) {
    std::size_t& longest = longest_[i];
    if (longest == kUnknownEnd) {
      longest = kNoEnd;
      for (std::size_t end = value_.size() + 1; end-- > 0;) {
        if (Reach(i + 1, end)) {
          longest = end;
          break;
        }
      }
    }
    return longest;
  }

  std::size_t SkipBlanks(std::size_t p) const { return after_blanks_[p]; }

  std::string_view value_;
  const std::vector<Directive>& directives_;
  std::size_t stride_;
  std::vector<std::size_t> after_blanks_;
  std::vector<std::uint8_t> memo_;
  std::vector<std::size_t> longest_;
  bool strict_end_ = true;
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
