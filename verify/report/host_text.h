// Fixed-text boxes and code-page conversion through the host.
#pragma once

#include <cstdint>

namespace verify {

// A host box with a fixed text; the answer is of no interest to callers.
void ShowText(const char* caption, const char* text, std::int32_t kind);

// Converts a NUL-terminated text between host code pages into destination,
// which must hold the source's length and its NUL.
void ConvertText(char* destination, const char* source, std::int32_t from, std::int32_t to);

}  // namespace verify
