#pragma once

#include <cstdarg>
#include <string>

namespace standin {

// printf-style formatting into a string of any length.
std::string FormatV(const char* format, std::va_list args);
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace standin
