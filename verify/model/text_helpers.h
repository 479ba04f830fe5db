// Small text helpers that every part of the check uses.
#pragma once

#include <cstdint>

namespace verify {

// Removes every space (code 32) from the text in place and closes the gaps;
// answers the same text.
char* StripSpaces(char* text);

// A host box with a formatted text; the host's answer, which tells
// something of a question only.
std::int16_t ShowMessage(const char* caption, const char* format, std::int32_t kind, ...);

// The host's bounded copy: at most `maximum` characters and the NUL.
void BoundedCopy(char* destination, const char* source, std::int16_t maximum);

}  // namespace verify
