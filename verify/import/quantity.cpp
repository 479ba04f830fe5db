#include "verify/import/quantity.h"

#include <cmath>
#include <limits>

#include "abi/host_codes.h"
#include "host/korpus/entries.h"

namespace verify {

namespace {

bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A thousandth as the scaling multiplies by it (not a division by 1000,
// which rounds differently).
constexpr double kThousandth = 0.001;

// Far beyond any quantity, far below what 64 bits hold.
constexpr std::int64_t kUnitsCeiling = std::int64_t{1} << 40;

}  // namespace

std::int64_t LeadingUnits(const char* text) {
  if (text == nullptr) return 0;
  while (IsWhiteSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  std::int64_t units = 0;
  for (; IsDigit(*text); ++text) {
    if (units < kUnitsCeiling) units = units * 10 + (*text - '0');
  }
  return negative ? -units : units;
}

bool FitsQuantity(double thousandths) {
  if (!std::isfinite(thousandths)) return false;
  const double whole = std::round(thousandths);
  return whole >= static_cast<double>(std::numeric_limits<std::int32_t>::min()) &&
         whole <= static_cast<double>(std::numeric_limits<std::int32_t>::max());
}

std::optional<std::int32_t> UnitsToThousandths(std::int64_t units) {
  const std::int64_t limit = std::numeric_limits<std::int32_t>::max() / korpus_abi::kOneUnit;
  if (units > limit || units < -limit) return std::nullopt;
  return static_cast<std::int32_t>(units * korpus_abi::kOneUnit);
}

std::optional<std::int32_t> ScaleByFactor(std::int32_t thousandths, std::int32_t factor) {
  const double scaled = thousandths * kThousandth * factor;
  if (!FitsQuantity(scaled)) return std::nullopt;
  return korpus::RealToWhole(scaled, 1);
}

}  // namespace verify
