// Numbers of the number input lines: whole values in units of the last
// decimal place (thousandths for three places), typed with a decimal point
// or comma.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace standin::dialog {

// 2500 with three places: "2.500"; -5 with three places: "-0.005".
std::string FormatDecimal(std::int32_t value, int decimals);

// True when the text can still become a number: an optional leading minus,
// digits, one decimal point or comma, at most `decimals` digits after it.
bool IsDecimalPrefix(std::string_view text, int decimals);

// The value of a whole typed number; empty text is 0. Null when the text is
// not a number or its value lies outside [low, high].
std::optional<std::int32_t> ParseDecimal(std::string_view text, int decimals, std::int32_t low, std::int32_t high);

}  // namespace standin::dialog
