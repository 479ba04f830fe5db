// Quantities that come from outside the check (a collector line, a typed
// entry) on their way into the 32-bit thousandths of a position.
#pragma once

#include <cstdint>
#include <optional>

namespace verify {

// The decimal integer at the start of a quantity text: optional white
// space, an optional sign, digits up to the first other character. No
// digits give 0; a fraction is cut off. A run of digits too long for any
// quantity reads as a value that is out of range, never wraps.
std::int64_t LeadingUnits(const char* text);

// True when a value in thousandths, after rounding to a whole number,
// fits a 32-bit quantity.
bool FitsQuantity(double thousandths);

// Whole units to thousandths; empty when the result does not fit.
std::optional<std::int32_t> UnitsToThousandths(std::int64_t units);

// quantity × 0.001 × factor as the host's whole-number conversion gives it;
// empty when the result would not fit a 32-bit quantity.
std::optional<std::int32_t> ScaleByFactor(std::int32_t thousandths, std::int32_t factor);

}  // namespace verify
