#include "verify/dialog/dialog_template.h"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "tests/support/mazovia.h"

namespace {

const verify::DialogTemplateBytes& T() { return verify::DialogTemplate(); }

std::uint16_t U16(std::size_t at) { return static_cast<std::uint16_t>(T()[at] | T()[at + 1] << 8); }
std::int16_t I16(std::size_t at) { return static_cast<std::int16_t>(U16(at)); }
std::uint32_t U32(std::size_t at) { return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16; }

std::string TextAt(std::size_t at) {
  std::string text;
  while (T().at(at) != 0) text += static_cast<char>(T()[at++]);
  return text;
}

struct Expected {
  std::size_t at;
  std::uint16_t kind;
  std::int16_t id;
  std::uint16_t style;
  std::uint16_t hot_key;
  std::uint16_t column, row, width, height;
  std::string text;  // Mazovia bytes
};

using testing_support::Mz;
std::string KeyCaption(const char* key, const char* caption) {
  return std::string(1, '\x05') + key + '\x01' + caption;
}

// Every record of the template, input lines at their two leading words.
const std::vector<Expected>& Records() {
  static const std::vector<Expected> records = {
      {0x008, 0xFFFF, 1, 0, 0, 0, 0, 82, 21, Mz("Sprawdź fakturę")},
      {0x02C, 3, -1, 0x0800, 0, 1, 1, 1, 1, ""},
      {0x041, 2, 2, 0x0140, 'U', 2, 15, 24, 1, Mz("~U~względniaj ilości")},
      {0x06A, 3, -1, 0, 'S', 35, 1, 15, 1, Mz("~S~ymbol towaru:")},
      {0x08F, 5, 3, 0x8540, 0, 29, 2, 20, 1, ""},
      {0x0BA, 3, 4, 0, 'I', 57, 1, 6, 1, Mz("~I~lość")},
      {0x0D6, 5, 5, 0x0540, 0, 51, 2, 12, 1, ""},
      {0x107, 4, 0x5801, 0, 0, 2, 3, 78, 1, "l-30Nazwa\rl16Symbol\rl14Zliczono\rl14Ilosc na fak.\rp10Uwagi"},
      {0x155, 3, -1, 0, 'N', 100, 100, 2, 1, "~N~"},
      {0x16D, 6, 6, 0x05C8, 0, 2, 4, 78, 10, ""},
      {0x182, 3, -1, 0x0800, 0, 1, 1, 1, 1, ""},
      {0x197, 2, 7, 0x0140, 0, 2, 16, 78, 1, Mz("Nie dopisuj pozycji, których brak na fakturze")},
      {0x1D9, 0, 13, 0x0110, 13, 1000, 1000, 1, 1, ""},
      {0x1EE, 0, 0x5001, 0x0004, 0x5500, 6, 18, 15, 1, KeyCaption("F12", " OK")},
      {0x20B, 0, 0x3E00, 0x0100, 0x3E00, 25, 18, 28, 1, KeyCaption("F4", " Odczytaj inwentaryzator")},
      {0x23C, 0, 0x3F00, 0x0100, 0x3F00, 57, 18, 18, 1, KeyCaption("F5", " Zapisz raport")},
  };
  return records;
}

// Where the head of a record starts: input lines have two words before it.
std::size_t HeadOf(const Expected& r) { return r.kind == 5 ? r.at + 4 : r.at; }
std::size_t FixedLength(const Expected& r) { return r.kind == 5 ? U16(r.at + 2) : 20; }
std::size_t TextOf(const Expected& r) { return HeadOf(r) + FixedLength(r); }

TEST(DialogTemplate, HeaderCountsTheBytesAndTheControls) {
  EXPECT_EQ(T().size(), 612u);
  EXPECT_EQ(U32(0), 607u);
  EXPECT_EQ(U16(4), 603u);
  EXPECT_EQ(U16(6), 15u);
}

TEST(DialogTemplate, EveryRecordHasItsHeadAtItsOffset) {
  for (const Expected& r : Records()) {
    SCOPED_TRACE("record at " + std::to_string(r.at));
    const std::size_t head = HeadOf(r);
    EXPECT_EQ(U16(r.at), r.kind);
    EXPECT_EQ(U16(head), r.kind);
    EXPECT_EQ(I16(head + 2), r.id);
    EXPECT_EQ(U16(head + 4), r.style);
    EXPECT_EQ(U16(head + 6), r.hot_key);
    EXPECT_EQ(U16(head + 8), r.column);
    EXPECT_EQ(U16(head + 10), r.row);
    EXPECT_EQ(U16(head + 12), r.width);
    EXPECT_EQ(U16(head + 14), r.height);
    EXPECT_EQ(U32(head + 16), 0u);
    EXPECT_EQ(TextAt(TextOf(r)), r.text);
  }
}

TEST(DialogTemplate, RecordsFollowEachOtherWithoutGaps) {
  const auto& records = Records();
  for (std::size_t i = 0; i + 1 < records.size(); ++i) {
    const std::size_t end = TextOf(records[i]) + records[i].text.size() + 1;
    EXPECT_EQ(end, records[i + 1].at) << "after record " << i;
  }
  const Expected& last = records.back();
  EXPECT_EQ(TextOf(last) + last.text.size(), 0x262u);
  EXPECT_EQ(T()[0x262], 0);
  EXPECT_EQ(T()[0x263], 0);
}

// An input record at `at` of `size` bytes: after its 20 bytes of frame,
// eight zeros and four words; gives where its own fields begin.
std::size_t ExpectInputTail(std::size_t at, unsigned size, const std::array<unsigned, 4>& words) {
  EXPECT_EQ(U16(at + 2), size);
  const std::size_t tail = at + 4 + 20;
  for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(T()[tail + i], 0) << i;
  for (std::size_t i = 0; i < words.size(); ++i) EXPECT_EQ(U16(tail + 8 + 2 * i), words[i]) << "word " << i;
  return tail;
}

TEST(DialogTemplate, SymbolInputEndsWithEightZerosAndItsFiveWords) {
  const std::size_t tail = ExpectInputTail(0x08F, 38, {16, 8, 0, 16});
  EXPECT_EQ(U16(tail + 16), 1u);
}

TEST(DialogTemplate, QuantityInputCarriesThreeDecimalsAndItsBounds) {
  const std::size_t tail = ExpectInputTail(0x0D6, 44, {10, 3, 0, 0});
  EXPECT_EQ(static_cast<std::int32_t>(U32(tail + 16)), -2147483647);
  EXPECT_EQ(static_cast<std::int32_t>(U32(tail + 20)), 2147483647);
}

TEST(DialogTemplate, PolishLettersAreMazoviaBytes) {
  // "Sprawdź fakturę": ź is 0xA6 and ę 0x91 in Mazovia.
  const std::string title = TextAt(0x008 + 20);
  ASSERT_EQ(title.size(), 15u);
  EXPECT_EQ(static_cast<std::uint8_t>(title[6]), 0xA6);
  EXPECT_EQ(static_cast<std::uint8_t>(title[14]), 0x91);
  // "~I~lość": ś is 0x9E, ć 0x8D.
  const std::string label = TextAt(0x0BA + 20);
  EXPECT_EQ(static_cast<std::uint8_t>(label[5]), 0x9E);
  EXPECT_EQ(static_cast<std::uint8_t>(label[6]), 0x8D);
}

}  // namespace
