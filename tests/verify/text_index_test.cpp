// The index that the merge and the table walks answer their look-ups from.
#include "verify/model/text_index.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace verify {
namespace {

TEST(ShortTextIndex, FirstNumberFiledUnderATextStays) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(3));
  EXPECT_EQ(index.Add("S00012", 4), 4);
  EXPECT_EQ(index.Add("S00012", 9), 4);
  EXPECT_EQ(index.Find("S00012"), 4);
  EXPECT_EQ(index.size(), 1u);
}

TEST(ShortTextIndex, TextsThatDifferInCaseLengthOrOneByteAreDifferent) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(4));
  index.Add("AB12", 0);
  index.Add("ab12", 1);
  index.Add("AB1", 2);
  index.Add("AB12\x8f", 3);
  EXPECT_EQ(index.Find("AB12"), 0);
  EXPECT_EQ(index.Find("ab12"), 1);
  EXPECT_EQ(index.Find("AB1"), 2);
  EXPECT_EQ(index.Find("AB12\x8f"), 3);
  EXPECT_EQ(index.Find("AB 12"), ShortTextIndex::kAbsent);
  EXPECT_EQ(index.Find("AB123"), ShortTextIndex::kAbsent);
}

// A code-table record may hold an empty code, which an empty item matches.
TEST(ShortTextIndex, EmptyTextIsFiledLikeAnyOther) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(1));
  EXPECT_EQ(index.Find(""), ShortTextIndex::kAbsent);
  EXPECT_EQ(index.Add("", 0), 0);
  EXPECT_EQ(index.Find(""), 0);
}

// No host field holds more than 17 bytes, so nothing longer can match.
TEST(ShortTextIndex, TextLongerThanTheWidestFieldIsNeverFiled) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(2));
  EXPECT_EQ(index.Add("12345678901234567", 0), 0);
  EXPECT_EQ(index.Add("123456789012345678", 1), ShortTextIndex::kAbsent);
  EXPECT_EQ(index.Find("12345678901234567"), 0);
  EXPECT_EQ(index.Find("123456789012345678"), ShortTextIndex::kAbsent);
}

TEST(ShortTextIndex, AdditionBeyondTheReservedRoomIsRefused) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(2));
  index.Add("A", 0);
  index.Add("B", 1);
  EXPECT_EQ(index.Add("C", 2), ShortTextIndex::kAbsent);
  EXPECT_EQ(index.Add("A", 7), 0);
  EXPECT_EQ(index.Find("C"), ShortTextIndex::kAbsent);
}

TEST(ShortTextIndex, UnreservedIndexFindsNothing) {
  ShortTextIndex index;
  EXPECT_EQ(index.Add("A", 0), ShortTextIndex::kAbsent);
  EXPECT_EQ(index.Find("A"), ShortTextIndex::kAbsent);
}

TEST(ShortTextIndex, FiveThousandSymbolsAreAllFoundUnderTheirNumbers) {
  ShortTextIndex index;
  ASSERT_TRUE(index.Reserve(5000));
  char text[16];
  for (int n = 0; n < 5000; ++n) {
    std::snprintf(text, sizeof text, "S%05d", n * 7);
    ASSERT_EQ(index.Add(text, n), n);
  }
  for (int n = 0; n < 5000; ++n) {
    std::snprintf(text, sizeof text, "S%05d", n * 7);
    EXPECT_EQ(index.Find(text), n);
    std::snprintf(text, sizeof text, "S%05d", n * 7 + 1);
    EXPECT_EQ(index.Find(text), ShortTextIndex::kAbsent);
  }
}

}  // namespace
}  // namespace verify
