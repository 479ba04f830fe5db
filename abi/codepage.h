// Code pages of the host: Mazovia (the host's page 1, what every stored text
// uses) and Windows-1250 (page 3, what Windows and the report header get).
// Everything here is constexpr so that plug-in literals can be written in
// UTF-8 and stored as Mazovia without hand-written escapes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace codepage {

// The host's numbers of the two pages, as its conversion entry takes them.
inline constexpr std::int32_t kPageMazovia = 1;
inline constexpr std::int32_t kPageWindows1250 = 3;

// Upper half (0x80..0xFF) of Mazovia: code page 437 with 18 Polish letters.
inline constexpr std::array<char32_t, 128> kMazoviaHigh = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x0105, 0x00E7,  // 80
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x0107, 0x00C4, 0x0104,  // 88
    0x0118, 0x0119, 0x0142, 0x00F4, 0x00F6, 0x0106, 0x00FB, 0x00F9,  // 90
    0x015A, 0x00D6, 0x00DC, 0x00A2, 0x0141, 0x00A5, 0x015B, 0x0192,  // 98
    0x0179, 0x017B, 0x00F3, 0x00D3, 0x0144, 0x0143, 0x017A, 0x017C,  // A0
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,  // A8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,  // B0
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,  // B8
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,  // C8
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,  // D0
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

// Upper half of Windows-1250; 0 marks a byte that the page leaves undefined.
inline constexpr std::array<char32_t, 128> kWindows1250High = {
    0x20AC, 0,      0x201A, 0,      0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0,      0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0,      0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

constexpr char32_t MazoviaToUnicode(std::uint8_t byte) {
  return byte < 0x80 ? char32_t{byte} : kMazoviaHigh[byte - 0x80];
}

constexpr char32_t Windows1250ToUnicode(std::uint8_t byte) {
  return byte < 0x80 ? char32_t{byte} : kWindows1250High[byte - 0x80];
}

// -1 when the page has no byte for the character.
constexpr int UnicodeToPage(char32_t ch, const std::array<char32_t, 128>& high) {
  if (ch < 0x80) return static_cast<int>(ch);
  for (std::size_t i = 0; i < high.size(); ++i) {
    if (high[i] == ch) return static_cast<int>(0x80 + i);
  }
  return -1;
}

constexpr int UnicodeToMazovia(char32_t ch) { return UnicodeToPage(ch, kMazoviaHigh); }
constexpr int UnicodeToWindows1250(char32_t ch) { return UnicodeToPage(ch, kWindows1250High); }

// One UTF-8 sequence starting at text[pos]; advances pos. Malformed input
// yields U+FFFD and consumes one byte.
constexpr char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<std::uint8_t>(text[pos]);
  int extra = 0;
  char32_t ch = 0;
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    ch = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    ch = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    ch = lead & 0x07;
  } else {
    ++pos;
    return 0xFFFD;
  }
  if (pos + extra >= text.size()) {
    ++pos;
    return 0xFFFD;
  }
  for (int i = 1; i <= extra; ++i) {
    const auto next = static_cast<std::uint8_t>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return 0xFFFD;
    }
    ch = (ch << 6) | (next & 0x3F);
  }
  pos += extra + 1;
  return ch;
}

inline void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else if (ch < 0x10000) {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (ch >> 18));
    out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

inline std::string MazoviaToUtf8(std::string_view mazovia) {
  std::string out;
  out.reserve(mazovia.size());
  for (char c : mazovia) AppendUtf8(out, MazoviaToUnicode(static_cast<std::uint8_t>(c)));
  return out;
}

// Characters that Mazovia lacks become '?'.
inline std::string Utf8ToMazovia(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    const int byte = UnicodeToMazovia(DecodeUtf8(utf8, pos));
    out += static_cast<char>(byte < 0 ? '?' : byte);
  }
  return out;
}

// Compile-time literal conversion: "Błąd"_mz is a NUL-terminated Mazovia
// text with static storage.
template <std::size_t N>
struct Utf8Literal {
  char bytes[N]{};
  constexpr Utf8Literal(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) bytes[i] = text[i];
  }
  constexpr std::string_view view() const { return {bytes, N - 1}; }
};

template <Utf8Literal S>
consteval std::size_t MazoviaLength() {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < S.view().size(); ++count) DecodeUtf8(S.view(), pos);
  return count;
}

template <Utf8Literal S>
struct MazoviaLiteral {
  static constexpr auto Build() {
    std::array<char, MazoviaLength<S>() + 1> out{};
    std::size_t at = 0;
    for (std::size_t pos = 0; pos < S.view().size();) {
      const char32_t ch = DecodeUtf8(S.view(), pos);
      const int byte = UnicodeToMazovia(ch);
      if (byte < 0) throw "character outside Mazovia in a literal";
      out[at++] = static_cast<char>(byte);
    }
    return out;
  }
  static constexpr auto value = Build();
};

}  // namespace codepage

template <codepage::Utf8Literal S>
constexpr const char* operator""_mz() {
  return codepage::MazoviaLiteral<S>::value.data();
}
