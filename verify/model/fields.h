// Fixed-width text fields: host records need not terminate a field that is
// full, and nothing may be written past one.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

namespace verify::fields {

// The text of a field, up to its NUL or its width.
inline std::string_view Text(const char* field, std::size_t width) { return {field, ::strnlen(field, width)}; }

template <std::size_t N>
std::string_view Text(const char (&field)[N]) {
  return Text(field, N);
}

// Copies text into a field of N bytes, cut to N - 1 characters, and fills
// the rest of the field with NULs.
template <std::size_t N>
void Store(char (&field)[N], std::string_view text) {
  const std::size_t length = text.size() < N ? text.size() : N - 1;
  std::memmove(field, text.data(), length);
  std::memset(field + length, 0, N - length);
}

// Byte-for-byte three-way comparison of two fields of the same width, on
// unsigned byte values.
template <std::size_t N>
int Compare(const char (&left)[N], const char (&right)[N]) {
  return std::strncmp(left, right, N);
}

}  // namespace verify::fields
