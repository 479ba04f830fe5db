#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/testing.h"

namespace {

using namespace standin::entry;

std::string Field(int number, const char* line, std::int32_t* result = nullptr) {
  char destination[256] = "garbage";
  const std::int32_t r = LineField(number, line, destination);
  if (result != nullptr) *result = r;
  return destination;
}

TEST(CopyBounded, CopiesAtMostTheMaximumAndAlwaysTerminates) {
  char destination[8];
  std::memset(destination, 'x', sizeof destination);
  CopyBounded(destination, "ABCDEFGHIJ", 4);
  EXPECT_STREQ(destination, "ABCD");
  CopyBounded(destination, "AB", 4);
  EXPECT_STREQ(destination, "AB");
  CopyBounded(destination, "AB", 0);
  EXPECT_STREQ(destination, "");
}

// Whatever pointers and numbers a caller hands over, the text entries
// neither crash nor write where they were not asked to.
TEST(TextEntries, NullPointersAndNegativeNumbersAreAnsweredSafely) {
  char destination[8];
  std::memset(destination, 'x', sizeof destination);
  CopyBounded(nullptr, "AB", 4);
  CopyBounded(destination, nullptr, 4);
  EXPECT_STREQ(destination, "");
  CopyBounded(destination, "AB", -3);
  EXPECT_STREQ(destination, "");

  EXPECT_EQ(CompareText(nullptr, ""), 0);
  EXPECT_EQ(CompareText(nullptr, "a"), -1);
  EXPECT_EQ(CompareText("a", nullptr), 1);

  std::memset(destination, 'x', sizeof destination);
  EXPECT_NE(LineField(-1, "a,b", destination), 0);
  EXPECT_STREQ(destination, "");
  std::memset(destination, 'x', sizeof destination);
  EXPECT_NE(LineField(0, nullptr, destination), 0);
  EXPECT_STREQ(destination, "");
  EXPECT_NE(LineField(0, "a", nullptr), 0);

  EXPECT_EQ(ConvertCodePage(nullptr, "a", 1, 3), 0);
  EXPECT_EQ(ConvertCodePage(destination, nullptr, 1, 3), 0);
  // The same page copies; a pair it cannot convert copies too, and says so.
  EXPECT_EQ(ConvertCodePage(destination, "Łą"_mz, 1, 1), 1);
  EXPECT_STREQ(destination, "Łą"_mz);
  EXPECT_EQ(ConvertCodePage(destination, "Łą"_mz, 1, 7), 0);
  EXPECT_STREQ(destination, "Łą"_mz);
}

TEST(LineField, CommaSemicolonAndTabSeparate) {
  EXPECT_EQ(Field(0, "8710841030181,12,003278,14:41:03\n"), "8710841030181");
  EXPECT_EQ(Field(1, "8710841030181,12,003278,14:41:03\n"), "12");
  EXPECT_EQ(Field(1, "ABC;7\n"), "7");
  EXPECT_EQ(Field(1, "ABC\t7\r\n"), "7");
  EXPECT_EQ(Field(2, "a,b;c\td"), "c");
}

TEST(LineField, TheLineEndBelongsToNoField) {
  EXPECT_EQ(Field(0, "ABC\r\n"), "ABC");
  EXPECT_EQ(Field(1, "ABC,5\n"), "5");
}

TEST(LineField, BlanksStayInsideAField) {
  EXPECT_EQ(Field(0, "AB 12   ,    +7\n"), "AB 12   ");
  EXPECT_EQ(Field(1, "AB 12   ,    +7\n"), "    +7");
}

TEST(LineField, AMissingFieldAnswersNonZeroAndEmptiesTheDestination) {
  std::int32_t result = 0;
  EXPECT_EQ(Field(1, "ABC\n", &result), "");
  EXPECT_NE(result, 0);
  EXPECT_EQ(Field(0, "\n", &result), "");
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Field(1, "ABC,\n", &result), "");
  EXPECT_EQ(result, 0);
}

TEST(LineField, ALongFieldIsCutToTheDestination) {
  const std::string line(1000, 'A');
  EXPECT_EQ(Field(0, line.c_str()).size(), 255u);
}

TEST(RealNumbers, WholeNumberOfAWholeProduct) {
  EXPECT_EQ(RealToWhole(2000 * 0.001 * 12000, 1), 24000);
  EXPECT_EQ(RealToWhole(-1000.0, 1), -1000);
  EXPECT_EQ(RealToWhole(1e12, 1), 2147483647);
  // What no whole number holds ends at the nearest bound, or at zero.
  EXPECT_EQ(RealToWhole(-1e12, 1), -2147483647 - 1);
  EXPECT_EQ(RealToWhole(std::nan(""), 1), 0);
}

TEST(RealNumbers, RoundingGivesZeroOnlyForZero) {
  EXPECT_EQ(RoundReal(0.0, 1), 0.0);
  EXPECT_NE(RoundReal(1.0, 1), 0.0);
  EXPECT_NE(RoundReal(-1.0, 1), 0.0);
}

TEST(RealNumbers, RoundingTakesZeroToNinePlaces) {
  EXPECT_EQ(RoundReal(2.5004, 3), 2.5);
  EXPECT_EQ(RoundReal(2.6, -1), 3.0);
  EXPECT_EQ(RoundReal(0.12345678904, 12), 0.123456789);
}

TEST(CompareText, ComparesBytesUnsigned) {
  EXPECT_LT(CompareText("A", "B"), 0);
  EXPECT_GT(CompareText("\x92", "z"), 0);
  EXPECT_EQ(CompareText("AB12", "AB12"), 0);
}

TEST(CompareText, TheCollationOfTheTestsIgnoresTheCaseOfLatinLettersOnly) {
  standin::testing::CompareTextIgnoringCase(true);
  EXPECT_EQ(CompareText("ab12", "AB12"), 0);
  EXPECT_LT(CompareText("ab", "ABC"), 0);
  EXPECT_NE(CompareText("\x86", "\x8F"), 0);  // Mazovia ą and Ą stay apart
  standin::testing::CompareTextIgnoringCase(false);
  EXPECT_GT(CompareText("ab12", "AB12"), 0);
}

}  // namespace
