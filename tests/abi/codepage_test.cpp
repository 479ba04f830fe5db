#include "abi/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "standin/entries.h"

namespace {

const std::string kPolishUtf8 = "ĄĆĘŁŃÓŚŹŻąćęłńóśźż";
const std::string kPolishMazovia =
    "\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7";
const std::string kPolish1250 = "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF";

TEST(Mazovia, LiteralsAreConvertedAtCompileTime) {
  constexpr const char* text = "Błąd"_mz;
  EXPECT_EQ(std::string(text), "B\x92\x86\x64");
  EXPECT_EQ(std::string("ĄĆĘŁŃÓŚŹŻąćęłńóśźż"_mz), kPolishMazovia);
  EXPECT_EQ(std::string("\x02%s\x01"_mz), "\x02%s\x01");
}

TEST(Mazovia, Utf8RoundTripOfThePolishLetters) {
  EXPECT_EQ(codepage::Utf8ToMazovia(kPolishUtf8), kPolishMazovia);
  EXPECT_EQ(codepage::MazoviaToUtf8(kPolishMazovia), kPolishUtf8);
}

TEST(Mazovia, OtherBytesShowAsCodePage437) {
  EXPECT_EQ(codepage::MazoviaToUtf8("\xB0\xC4\xE1"), "░─ß");
  EXPECT_EQ(codepage::Utf8ToMazovia("€"), "?");
}

TEST(ConvertCodePage, PolishLettersBetweenMazoviaAndWindows1250) {
  char buffer[64];
  standin::entry::ConvertCodePage(buffer, kPolishMazovia.c_str(), 1, 3);
  EXPECT_EQ(std::string(buffer), kPolish1250);
  standin::entry::ConvertCodePage(buffer, kPolish1250.c_str(), 3, 1);
  EXPECT_EQ(std::string(buffer), kPolishMazovia);
}

TEST(ConvertCodePage, ReportHeaderWordChangesOnlyItsTwoLetters) {
  char buffer[16];
  standin::entry::ConvertCodePage(buffer, "Ilość"_mz, 1, 3);
  EXPECT_EQ(std::string(buffer), "Ilo\x9C\xE6");
}

TEST(ConvertCodePage, BytesWithoutEquivalentBecomeQuestionMarks) {
  char buffer[8];
  standin::entry::ConvertCodePage(buffer, "\xB0\xDB\x81", 1, 3);  // ░ █ ü
  EXPECT_EQ(std::string(buffer), "??\xFC");
}

TEST(ConvertCodePage, InPlaceConversion) {
  char buffer[] = "Wtyczk\x91 \x98ruba";
  standin::entry::ConvertCodePage(buffer, buffer, 1, 3);
  EXPECT_EQ(std::string(buffer), "Wtyczk\xEA \x8Cruba");
}

}  // namespace
