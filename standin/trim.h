// Trimming a text: the stand-in's and the host program's one way, for the
// words of a script, the names and values of an INI file, a field's text
// and an e-invoice's values.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>

namespace standin {

// What a script's words and an INI file's names and values are set off by.
inline constexpr std::string_view kBlanks = " \t";

// Whether `c` is one of `set`: compared in place, since the sets are a few
// characters long and a resume trims every name and value of its file.
template <class Char>
constexpr bool IsOneOf(Char c, std::basic_string_view<Char> set) {
  for (const Char member : set) {
    if (c == member) return true;
  }
  return false;
}

// What is left stays within the text, an empty rest at its end: its
// callers copy from where it points.
template <class Char>
constexpr std::basic_string_view<Char> TrimLeft(std::basic_string_view<Char> text,
                                                std::type_identity_t<std::basic_string_view<Char>> white) {
  while (!text.empty() && IsOneOf(text.front(), white)) text.remove_prefix(1);
  return text;
}

// The text without the characters of `white` at either end.
template <class Char>
constexpr std::basic_string_view<Char> Trim(std::basic_string_view<Char> text,
                                            std::type_identity_t<std::basic_string_view<Char>> white) {
  text = TrimLeft(text, white);
  while (!text.empty() && IsOneOf(text.back(), white)) text.remove_suffix(1);
  return text;
}

// XML's white space, which xsd:token and the numbers and dates of an
// e-invoice collapse.
inline constexpr std::string_view kXmlWhiteSpace = " \t\r\n";

// The text trimmed of `white`, and each run of it inside one blank.
inline std::string Collapse(std::string_view text, std::string_view white = kXmlWhiteSpace) {
  std::string value;
  bool blank = false;
  for (const char c : Trim(text, white)) {
    if (IsOneOf(c, white)) {
      blank = true;
      continue;
    }
    if (blank) value += ' ';
    blank = false;
    value += c;
  }
  return value;
}

constexpr std::string_view TrimBlanksLeft(std::string_view text) { return TrimLeft(text, kBlanks); }
constexpr std::string_view TrimBlanks(std::string_view text) { return Trim(text, kBlanks); }

}  // namespace standin
