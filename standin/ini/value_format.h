// Values of INI keys: formatted like printf on writing, parsed on reading
// with a scanf-like reader whose text fields end at the format's literals.
#pragma once

#include <cstdarg>
#include <optional>
#include <string>
#include <string_view>

namespace standin::ini {

// printf into a string of any length; nullopt when vsnprintf refuses.
std::optional<std::string> FormatValue(const char* format, std::va_list args);

// Reads the value with the format and stores through the pointers in args.
// Supported: %d %i (decimal) %u (with hh or h), %s, %Ns, %c, %Nc, %*…, %%,
// blanks (any run of blanks, none included).
// Text fields keep their blanks and may be empty. Where a literal of the
// format also occurs inside a text, the split that lets the conversions
// after that text succeed wins, the text taking as much as it can: so the
// row "Śruba M6, ocynk,ABC,1000,2000" read with "%120s,%16s,%d,%d" gives the
// name "Śruba M6, ocynk". A %Ns prefers a split within its N characters and
// stores at most N of them; a plain %s stores at most kIniPlainTextLimit.
// Integers out of their type's range do not read (no clamping). A split
// that uses the whole value is preferred; failing that, text after the last
// conversion is ignored, as scanf does. False when a conversion cannot be
// filled; nothing is stored then.
bool ScanValue(std::string_view value, const char* format, std::va_list args);

}  // namespace standin::ini
