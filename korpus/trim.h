// Trimming a text: the stand-in's and the host program's one way, for the
// words of a script, the names and values of an INI file and a field's text.
#pragma once

#include <string_view>
#include <type_traits>

namespace standin {

// What a script's words and an INI file's names and values are set off by.
inline constexpr std::string_view kBlanks = " \t";

// What is left stays within the text, an empty rest at its end: its
// callers copy from where it points.
template <class Char>
constexpr std::basic_string_view<Char> TrimLeft(std::basic_string_view<Char> text,
                                                std::type_identity_t<std::basic_string_view<Char>> white) {
  const auto first = text.find_first_not_of(white);
  return text.substr(first == text.npos ? text.size() : first);
}

// The text without the characters of `white` at either end.
template <class Char>
constexpr std::basic_string_view<Char> Trim(std::basic_string_view<Char> text,
                                            std::type_identity_t<std::basic_string_view<Char>> white) {
  text = TrimLeft(text, white);
  return text.substr(0, text.find_last_not_of(white) + 1);
}

constexpr std::string_view TrimBlanksLeft(std::string_view text) { return TrimLeft(text, kBlanks); }
constexpr std::string_view TrimBlanks(std::string_view text) { return Trim(text, kBlanks); }

}  // namespace standin
