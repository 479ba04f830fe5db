#include "standin/dialog/decimal.h"

#include <cstdlib>

namespace standin::dialog {

namespace {

bool IsSeparator(char c) { return c == '.' || c == ','; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole part of more digits is out of range of a 32-bit value anyway;
// more places than six would not fit one either.
constexpr int kMaxWholeDigits = 10;
constexpr int kMaxPlaces = 6;

int Places(int decimals) { return decimals < 0 ? 0 : (decimals > kMaxPlaces ? kMaxPlaces : decimals); }

std::int64_t Power10(int exponent) {
  std::int64_t value = 1;
  for (int i = 0; i < exponent; ++i) value *= 10;
  return value;
}

}  // namespace

std::string FormatDecimal(std::int32_t value, int decimals) {
  decimals = Places(decimals);
  const bool negative = value < 0;
  const std::int64_t magnitude = std::llabs(std::int64_t{value});
  const std::int64_t scale = Power10(decimals);
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / scale);
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % scale);
    text += '.';
    text += std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return text;
}

bool IsDecimalPrefix(std::string_view text, int decimals) {
  decimals = Places(decimals);
  std::size_t at = 0;
  if (at < text.size() && text[at] == '-') ++at;
  while (at < text.size() && IsDigit(text[at])) ++at;
  if (at == text.size()) return true;
  if (decimals <= 0 || !IsSeparator(text[at])) return false;
  ++at;
  int places = 0;
  while (at < text.size() && IsDigit(text[at])) {
    ++at;
    ++places;
  }
  return at == text.size() && places <= decimals;
}

std::optional<std::int32_t> ParseDecimal(std::string_view text, int decimals, std::int32_t low, std::int32_t high) {
  decimals = Places(decimals);
  if (!IsDecimalPrefix(text, decimals)) return std::nullopt;
  if (text.empty()) return low <= 0 && 0 <= high ? std::optional<std::int32_t>(0) : std::nullopt;
  const bool negative = text.front() == '-';
  std::int64_t whole = 0;
  std::int64_t fraction = 0;
  int places = 0;
  int whole_digits = 0;
  bool after_separator = false;
  for (char c : text.substr(negative ? 1 : 0)) {
    if (IsSeparator(c)) {
      after_separator = true;
      continue;
    }
    if (after_separator) {
      fraction = fraction * 10 + (c - '0');
      ++places;
    } else {
      if (++whole_digits > kMaxWholeDigits) return std::nullopt;
      whole = whole * 10 + (c - '0');
    }
  }
  if (whole_digits == 0 && places == 0) return std::nullopt;
  std::int64_t value = whole * Power10(decimals) + fraction * Power10(decimals - places);
  if (negative) value = -value;
  if (value < low || value > high) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

}  // namespace standin::dialog
