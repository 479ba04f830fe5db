// Reading values with a format: numbers, texts, and the progress rows that
// must split from the right.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "abi/codepage.h"
#include "tests/support/standin_ini_scratch.h"

namespace {

using ini_test::kRead;
using ini_test::kWrite;
using standin::entry::IniAccess;

constexpr const char* kRowFormat = "%120s,%16s,%d,%d";

// The fields of a position that a row fills, with guards that must survive.
struct Row {
  char name[121];
  char guard1[4];
  char symbol[17];
  char guard2[4];
  std::int32_t counted;
  std::int32_t invoiced;

  Row() {
    std::memset(this, '#', sizeof *this);
    counted = -1;
    invoiced = -1;
  }
  bool GuardsIntact() const {
    return std::string(guard1, 4) == "####" && std::string(guard2, 4) == "####";
  }
};

class IniRead : public ini_test::ScratchDirectory {
 protected:
  void SetUp() override {
    ScratchDirectory::SetUp();
    file_ = PathOf("Niezgodnosci.ini");
  }

  // Stores the value as a hand-edited file would hold it.
  void Store(const std::string& value) {
    ini_test::WriteBytes(file_, "[Nr_faktury]\r\nr00=" + value + "\r\n");
  }

  bool ReadRow(Row& row) {
    const bool done =
        IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", kRowFormat, row.name, row.symbol, &row.counted, &row.invoiced) == 0;
    EXPECT_TRUE(row.GuardsIntact());
    return done;
  }

  // The row read back as "name|symbol|counted|invoiced"; "unread" when the
  // read fails.
  std::string ReadBack() {
    Row row;
    if (!ReadRow(row)) return "unread";
    return std::string(row.name, ::strnlen(row.name, sizeof row.name)) + "|" +
           std::string(row.symbol, ::strnlen(row.symbol, sizeof row.symbol)) + "|" + std::to_string(row.counted) +
           "|" + std::to_string(row.invoiced);
  }

  std::optional<std::int32_t> ReadInt(const std::string& value) {
    Store(value);
    std::int32_t number = -777;
    if (IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%d", &number) != 0) return std::nullopt;
    return number;
  }

  std::string file_;
};

TEST_F(IniRead, ARowWrittenWithCommasReadsBackIntoItsFourFields) {
  ASSERT_EQ(IniAccess(file_.c_str(), kWrite, "Nr_faktury", "r00", "%s,%s,%d,%d", "Nowy towar", "ABC1", 2500, 0), 0);
  ASSERT_TRUE(standin::FlushIniFiles());
  EXPECT_EQ(ini_test::ReadIfPresent(file_), "[Nr_faktury]\r\nr00=Nowy towar,ABC1,2500,0\r\n");
  EXPECT_EQ(ReadBack(), "Nowy towar|ABC1|2500|0");
}

TEST_F(IniRead, ANameHoldingACommaComesBackWhole) {
  Store("Śruba M6, ocynk,ABC,1000,2000"_mz);
  EXPECT_EQ(ReadBack(), "Śruba M6, ocynk|ABC|1000|2000"_mz);
}

TEST_F(IniRead, EmptyNamesAndSymbolsAndNegativeQuantitiesReadBack) {
  Store("Gwóźdź, 3 mm,,-5,0"_mz);
  EXPECT_EQ(ReadBack(), "Gwóźdź, 3 mm||-5|0"_mz);
  Store(",,0,0");
  EXPECT_EQ(ReadBack(), "||0|0");
}

TEST_F(IniRead, BlanksBelongToTheTexts) {
  ASSERT_EQ(IniAccess(file_.c_str(), kWrite, "Nr_faktury", "r00", "%s,%s,%d,%d", " Klej  ", " K 1 ", 1, 2), 0);
  EXPECT_EQ(ReadBack(), " Klej  | K 1 |1|2");
}

// A symbol holding a comma cannot be told apart from a name holding one;
// the name takes the comma.
TEST_F(IniRead, ACommaInTheSymbolGoesToTheName) {
  Store("Kabel,AB,CD,1,2");
  EXPECT_EQ(ReadBack(), "Kabel,AB|CD|1|2");
}

TEST_F(IniRead, TextsLongerThanTheirFieldsAreCut) {
  Store(std::string(130, 'N') + "," + "ABCDEFGHIJKLMNOPQRS" + ",1,2");
  EXPECT_EQ(ReadBack(), std::string(120, 'N') + "|ABCDEFGHIJKLMNOP|1|2");
}

// Within its width a text prefers the split that fits: "A" rather than
// "A,B" cut to one character.
TEST_F(IniRead, AWidthLimitedTextPrefersASplitWithinItsWidth) {
  Store("A,B,C,1,2");
  char name[2];
  char symbol[17];
  std::int32_t counted = 0;
  std::int32_t invoiced = 0;
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%1s,%16s,%d,%d", name, symbol, &counted, &invoiced), 0);
  EXPECT_STREQ(name, "A");
  EXPECT_STREQ(symbol, "B,C");
}

TEST_F(IniRead, ARowMissingAFieldFailsAndStoresNothing) {
  for (const char* broken : {"Nowy,ABC,5", "Nowy,ABC,5,", "Nowy,ABC,x,5", "Nowy", ""}) {
    Store(broken);
    Row row;
    EXPECT_FALSE(ReadRow(row)) << broken;
    EXPECT_EQ(row.name[0], '#') << broken;
    EXPECT_EQ(row.counted, -1) << broken;
  }
}

TEST_F(IniRead, IntegersTakeBlanksASignAndDigits) {
  EXPECT_EQ(ReadInt("1000"), 1000);
  EXPECT_EQ(ReadInt("  -25"), -25);
  EXPECT_EQ(ReadInt("+7"), 7);
  EXPECT_EQ(ReadInt("-2147483648"), -2147483648LL);
  EXPECT_EQ(ReadInt("2147483647"), 2147483647);
  EXPECT_EQ(ReadInt("12 sztuk"), 12);
}

TEST_F(IniRead, IntegersThatAreMissingOrOutOfRangeFail) {
  EXPECT_EQ(ReadInt(""), std::nullopt);
  EXPECT_EQ(ReadInt("abc"), std::nullopt);
  EXPECT_EQ(ReadInt("-"), std::nullopt);
  EXPECT_EQ(ReadInt("2147483648"), std::nullopt);
  EXPECT_EQ(ReadInt("-2147483649"), std::nullopt);
  EXPECT_EQ(ReadInt("99999999999999999999999999"), std::nullopt);
}

TEST_F(IniRead, AShortIntegerFillsTwoBytesAndChecksItsRange) {
  Store("-5");
  std::int16_t pair[2] = {0x1111, 0x2222};
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%hd", &pair[0]), 0);
  EXPECT_EQ(pair[0], -5);
  EXPECT_EQ(pair[1], 0x2222);
  standin::testing::ForgetIniFiles();
  Store("40000");
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%hd", &pair[0]), 0);
  EXPECT_EQ(pair[0], -5);
}

// Unsigned and narrow integers: the field's bytes and no more are filled,
// and a number outside the field's range does not read.
TEST_F(IniRead, EveryIntegerConversionFillsItsBytesWithinItsRange) {
  struct Case {
    const char* value;
    const char* format;
    std::size_t bytes;                  // that the conversion fills
    std::optional<std::uint64_t> read;  // their value, as an unsigned
  };
  const Case cases[] = {
      {"4000000000", "%u", 4, 4000000000u}, {"4294967296", "%u", 4, std::nullopt},
      {"65535", "%hu", 2, 65535u},          {"65536", "%hu", 2, std::nullopt},
      {"255", "%hhu", 1, 255u},             {"256", "%hhu", 1, std::nullopt},
      {"-128", "%hhd", 1, 0x80u},           {"128", "%hhd", 1, std::nullopt},
      {"-12", "%i", 4, 0xFFFFFFF4u},        {"\t 7", "%d", 4, 7u},
      {"7", "%5d", 4, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.format) + " of " + c.value);
    standin::testing::ForgetIniFiles();
    Store(c.value);
    std::uint8_t field[8];
    std::memset(field, 0x5A, sizeof field);
    const bool read = IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", c.format, field) == 0;
    ASSERT_EQ(read, c.read.has_value());
    std::uint64_t got = 0;
    for (std::size_t i = 0; i < c.bytes; ++i) got |= std::uint64_t{field[i]} << (8 * i);
    if (c.read) {
      EXPECT_EQ(got, *c.read);
    }
    for (std::size_t i = read ? c.bytes : 0; i < sizeof field; ++i) EXPECT_EQ(field[i], 0x5A) << "byte " << i;
  }
}

// Any run of white space in the format matches any run of blanks, or none.
TEST_F(IniRead, WhiteSpaceOfTheFormatMatchesAnyRunOfBlanks) {
  std::int32_t a = 0;
  std::int32_t b = 0;
  for (const char* value : {"1 2", "1\t \t2", "12"}) {
    SCOPED_TRACE(value);
    standin::testing::ForgetIniFiles();
    Store(value);
    ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%1c\n\t%d", &a, &b), 0);
    EXPECT_EQ(static_cast<char>(a), '1');
    EXPECT_EQ(b, 2);
  }
}

TEST_F(IniRead, APlainTextTakesTheWholeValue) {
  Store("FV 1/2024, korekta ,2");
  char text[260];
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%s", text), 0);
  EXPECT_STREQ(text, "FV 1/2024, korekta ,2");
}

TEST_F(IniRead, LiteralsAndBlanksOfTheFormatMustMatch) {
  Store("nr: 12 / 34%");
  std::int32_t a = 0;
  std::int32_t b = 0;
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "nr: %d / %d%%", &a, &b), 0);
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 34);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "nr; %d", &a), 0);
}

TEST_F(IniRead, ACharacterConversionTakesExactlyItsWidthWithoutATerminator) {
  Store("AB-7");
  char code[4] = {'#', '#', '#', '#'};
  std::int32_t number = 0;
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%3c%d", code, &number), 0);
  EXPECT_EQ(std::string(code, 4), "AB-#");
  EXPECT_EQ(number, 7);
}

TEST_F(IniRead, ASuppressedConversionConsumesWithoutAStore) {
  Store("Pominięty,42"_mz);
  std::int32_t number = 0;
  ASSERT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%*s,%d", &number), 0);
  EXPECT_EQ(number, 42);
}

TEST_F(IniRead, ConversionsThatAreNotOfferedFailTheRead) {
  Store("1.5");
  double real = 0;
  long wide = 0;
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%f", &real), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%ld", &wide), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%0s", nullptr), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%", nullptr), 0);
  // Texts and characters of another size, and widths no buffer could take.
  char text[8] = {};
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%hs", text), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%hhc", text), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", "%99999999s", text), 0);
  EXPECT_STREQ(text, "");
}

// Characters take one byte unless a width says more, and need that many;
// any white space may end a format, and so may a literal.
TEST_F(IniRead, CharactersAndTheEndsOfAFormat) {
  Store("AB 7x");
  struct Case {
    const char* format;
    bool read;
    std::string first;  // the first target's bytes
  };
  const Case cases[] = {
      {"%c", true, "A###"},        {"%2c", true, "AB##"},          {"%6c", false, "####"},
      {"%2c %d\r\v\f", true, "AB##"}, {"%2c %dx", true, "AB##"}, {"%2c %dy", false, "####"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    char first[4] = {'#', '#', '#', '#'};
    std::int32_t number = -1;
    EXPECT_EQ(IniAccess(file_.c_str(), kRead, "Nr_faktury", "r00", c.format, first, &number) == 0, c.read);
    EXPECT_EQ(std::string(first, 4), c.first);
    if (c.read && std::string_view(c.format).find('d') != std::string_view::npos) {
      EXPECT_EQ(number, 7);
    }
  }
}

TEST_F(IniRead, ALongRunOfSeparatorsSplitsLikeAShortOne) {
  // Every comma is a candidate split; the name takes what fits its width.
  Store(std::string(10000, ',') + "1,2");
  Row row;
  ASSERT_TRUE(ReadRow(row));
  EXPECT_EQ(std::string(row.name), std::string(120, ','));
  EXPECT_EQ(row.counted, 1);
}

}  // namespace
