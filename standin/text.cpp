// Text services of the host: code pages, bounded copy, comparison, fields
// of a line, and the two real-number helpers.
#include <cmath>
#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "standin/entries.h"
#include "standin/testing.h"

namespace standin {

namespace {

// Byte tables built once from the shared code-page tables.
struct PageTables {
  unsigned char mazovia_to_1250[256];
  unsigned char from_1250_to_mazovia[256];
  constexpr PageTables() : mazovia_to_1250{}, from_1250_to_mazovia{} {
    for (int byte = 0; byte < 256; ++byte) {
      const int to1250 = codepage::UnicodeToWindows1250(codepage::MazoviaToUnicode(static_cast<std::uint8_t>(byte)));
      mazovia_to_1250[byte] = static_cast<unsigned char>(to1250 < 0 ? '?' : to1250);
      const char32_t ch = codepage::Windows1250ToUnicode(static_cast<std::uint8_t>(byte));
      const int toMazovia = ch == 0 && byte != 0 ? -1 : codepage::UnicodeToMazovia(ch);
      from_1250_to_mazovia[byte] = static_cast<unsigned char>(toMazovia < 0 ? '?' : toMazovia);
    }
  }
};

constexpr PageTables kTables{};

// Fields are separated by a comma, a semicolon or a tab; the line end
// belongs to no field.
bool IsSeparator(char c) { return c == ',' || c == ';' || c == '\t'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

std::atomic<bool> compare_ignoring_case = false;

int FoldedCompare(const char* left, const char* right) {
  auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c; };
  for (;; ++left, ++right) {
    const int l = fold(static_cast<unsigned char>(*left));
    const int r = fold(static_cast<unsigned char>(*right));
    if (l != r || l == 0) return l - r;
  }
}

}  // namespace

namespace testing {

void CompareTextIgnoringCase(bool on) { compare_ignoring_case = on; }

}  // namespace testing

namespace entry {

std::int32_t KORPUS_CALLEE ConvertCodePage(char* destination, const char* source, std::int32_t from,
                                           std::int32_t to) {
  if (destination == nullptr || source == nullptr) return 0;
  const unsigned char* table = nullptr;
  if (from == codepage::kPageMazovia && to == codepage::kPageWindows1250) table = kTables.mazovia_to_1250;
  if (from == codepage::kPageWindows1250 && to == codepage::kPageMazovia) table = kTables.from_1250_to_mazovia;
  std::size_t i = 0;
  for (; source[i] != '\0'; ++i) {
    const auto byte = static_cast<unsigned char>(source[i]);
    destination[i] = static_cast<char>(table != nullptr ? table[byte] : byte);
  }
  destination[i] = '\0';
  return table != nullptr || from == to ? 1 : 0;
}

void KORPUS_CALLEE CopyBounded(char* destination, const char* source, std::int32_t maximum) {
  if (destination == nullptr) return;
  const auto limit = static_cast<std::size_t>(maximum < 0 ? 0 : maximum);
  std::size_t i = 0;
  for (; source != nullptr && i < limit && source[i] != '\0'; ++i) destination[i] = source[i];
  destination[i] = '\0';
}

std::int32_t KORPUS_CALLER CompareText(const char* left, const char* right) {
  left = left != nullptr ? left : "";
  right = right != nullptr ? right : "";
  const int result = compare_ignoring_case ? FoldedCompare(left, right) : std::strcmp(left, right);
  return result < 0 ? -1 : (result > 0 ? 1 : 0);
}

std::int32_t KORPUS_CALLEE LineField(std::int32_t field, const char* line, char* destination) {
  if (destination != nullptr) destination[0] = '\0';
  if (line == nullptr || destination == nullptr || field < 0) return 1;
  const char* start = line;
  for (std::int32_t skipped = 0; skipped < field; ++skipped) {
    while (!IsLineEnd(*start) && !IsSeparator(*start)) ++start;
    if (!IsSeparator(*start)) return 1;
    ++start;
  }
  std::size_t length = 0;
  while (!IsLineEnd(start[length]) && !IsSeparator(start[length])) ++length;
  length = std::min(length, korpus_abi::kLineFieldSize - 1);
  std::memcpy(destination, start, length);
  destination[length] = '\0';
  return 0;
}

std::int32_t KORPUS_CALLEE RealToWhole(double value, std::int32_t) {
  if (std::isnan(value)) return 0;
  const double rounded = std::round(value);
  if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(rounded);
}

double KORPUS_CALLEE RoundReal(double value, std::int32_t places) {
  const double scale = std::pow(10.0, places < 0 ? 0 : (places > 9 ? 9 : places));
  return std::round(value * scale) / scale;
}

}  // namespace entry

}  // namespace standin
