// The engine's small parts where the dialog tests do not reach every case:
// numbers of the number fields, the column layout, the line editor with a
// text longer than typing allows, and templates the reader must refuse.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "standin/dialog/decimal.h"
#include "standin/dialog/line_editor.h"
#include "standin/dialog/markup.h"
#include "standin/dialog/template_reader.h"
#include "verify/dialog/dialog_template.h"

namespace {

using namespace standin::dialog;

constexpr std::int32_t kLow = -2147483647;
constexpr std::int32_t kHigh = 2147483647;

TEST(Decimal, FormatsWithTheGivenPlaces) {
  EXPECT_EQ(FormatDecimal(2500, 3), "2.500");
  EXPECT_EQ(FormatDecimal(0, 3), "0.000");
  EXPECT_EQ(FormatDecimal(-5, 3), "-0.005");
  EXPECT_EQ(FormatDecimal(-2147483647, 3), "-2147483.647");
  EXPECT_EQ(FormatDecimal(-2147483647 - 1, 3), "-2147483.648");
  EXPECT_EQ(FormatDecimal(42, 0), "42");
}

TEST(Decimal, ParsesPointOrCommaUpToThePlaces) {
  EXPECT_EQ(ParseDecimal("2,5", 3, kLow, kHigh), 2500);
  EXPECT_EQ(ParseDecimal("2.5", 3, kLow, kHigh), 2500);
  EXPECT_EQ(ParseDecimal("-0,001", 3, kLow, kHigh), -1);
  EXPECT_EQ(ParseDecimal("5.", 3, kLow, kHigh), 5000);
  EXPECT_EQ(ParseDecimal(".5", 3, kLow, kHigh), 500);
  EXPECT_EQ(ParseDecimal("", 3, kLow, kHigh), 0);
  EXPECT_EQ(ParseDecimal("2147483.647", 3, kLow, kHigh), 2147483647);
}

TEST(Decimal, RefusesWhatIsNoNumberOrOutOfBounds) {
  EXPECT_EQ(ParseDecimal("-", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal(",", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("1.2345", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("1,2,3", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("1-", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("2147483.648", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("-2147483.648", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("99999999999999999999", 3, kLow, kHigh), std::nullopt);
  EXPECT_EQ(ParseDecimal("5", 3, 0, 4000), std::nullopt);
  EXPECT_EQ(ParseDecimal("1.5", 0, kLow, kHigh), std::nullopt);
}

TEST(Markup, AnElasticColumnTakesWhatTheOthersLeave) {
  const auto columns = ParseColumns("l-30Nazwa\rl16Symbol\rl14Zliczono\rl14Ilosc na fak.\rp10Uwagi");
  EXPECT_EQ(LayoutColumns(columns, 78), (std::vector<int>{20, 16, 14, 14, 10}));
  EXPECT_EQ(LayoutColumns(columns, 200), (std::vector<int>{30, 16, 14, 14, 10}));
  // Too narrow for the fixed columns: the rightmost are cut.
  EXPECT_EQ(LayoutColumns(columns, 40), (std::vector<int>{0, 16, 14, 7, 0}));
}

// Headers of other shapes: no alignment letter, no width, an empty field,
// two elastic columns sharing an odd remainder, no header at all.
TEST(Markup, ColumnsOfOtherHeaders) {
  struct Case {
    const char* header;
    int total;
    std::vector<int> widths;
    std::u32string first_title;
  };
  const Case cases[] = {
      {"Nazwa\rp5Cena", 20, {0, 5}, U"Nazwa"},
      {"8Kod\r\rl4Ilość"_mz, 20, {8, 0, 4}, U"Kod"},
      {"l-9A\rl-9B", 12, {6, 5}, U"A"},
      {"l-9A\rl-9B\rl-9C", 12, {4, 3, 3}, U"A"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.header);
    const auto columns = ParseColumns(c.header);
    EXPECT_EQ(LayoutColumns(columns, c.total), c.widths);
    EXPECT_EQ(columns.front().title, c.first_title);
  }
  EXPECT_EQ(ParseColumns("p7Suma").front().right_aligned, true);
  EXPECT_TRUE(LayoutColumns({}, 40).empty());
}

// A key name with no closing byte marks the rest; a closing byte with no
// opening one marks nothing. Only the first letter between tildes is hot.
TEST(Markup, MarksOfCaptionsAndHotTexts) {
  using Marks = std::pair<std::size_t, std::size_t>;
  const auto button = ParseButtonCaption("\x05" "F10 Koniec");
  EXPECT_EQ(button.text, U"F10 Koniec");
  EXPECT_EQ(std::pair(button.mark_begin, button.mark_end), Marks(0, 0));
  const auto closed = ParseButtonCaption("Esc\x01 Wyjście"_mz);
  EXPECT_EQ(std::pair(closed.mark_begin, closed.mark_end), Marks(0, 3));
  const auto hot = ParseHotText("~Ab~c");
  EXPECT_EQ(hot.text, U"Abc");
  EXPECT_EQ(std::pair(hot.mark_begin, hot.mark_end), Marks(0, 1));
}

TEST(LineEditor, AnOverlongTextFromOutsideMayShrinkButNotGrow) {
  LineEditor editor(10);
  editor.SetText("-2147483.647");
  EXPECT_FALSE(editor.Type('1'));
  EXPECT_TRUE(editor.Backspace());
  EXPECT_EQ(editor.text(), "-2147483.64");
}

// What each key does to a whole selected text, and to the caret at either
// end of the text.
TEST(LineEditor, KeysOnASelectedTextAndAtTheEnds) {
  struct Case {
    const char* keys;  // D Delete, L Left, R Right, H Home, E End
    std::string text;
    std::size_t caret;
  };
  const Case cases[] = {
      {"D", "", 0},      {"L", "ABC", 0},  {"R", "ABC", 3}, {"RR", "ABC", 3},
      {"HL", "ABC", 0},  {"HRR", "ABC", 2}, {"LD", "BC", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keys);
    LineEditor editor(8);
    editor.SetText("ABC");
    editor.SelectAll();
    for (const char* key = c.keys; *key != '\0'; ++key) {
      switch (*key) {
        case 'D': editor.Delete(); break;
        case 'L': editor.Left(); break;
        case 'R': editor.Right(); break;
        case 'H': editor.Home(); break;
        default: editor.End(); break;
      }
    }
    EXPECT_EQ(editor.text(), c.text);
    EXPECT_EQ(editor.caret(), c.caret);
  }
}

// The caret stays in view: a field of no width shows from the caret, and
// moving left of the first shown character brings the text back.
TEST(LineEditor, TheFirstShownCharacterFollowsTheCaret) {
  LineEditor editor(20);
  editor.SetText("0123456789");
  EXPECT_EQ(editor.FirstVisible(0), 10u);
  EXPECT_EQ(editor.FirstVisible(4), 7u);
  editor.Home();
  EXPECT_EQ(editor.FirstVisible(4), 0u);
}

TEST(TemplateReader, ReadsTheCheckDialog) {
  const auto view = ReadTemplate(verify::DialogTemplate().data());
  ASSERT_TRUE(view.has_value());
  EXPECT_EQ(view->dialog.width, 82);
  EXPECT_EQ(view->dialog.height, 21);
  ASSERT_EQ(view->controls.size(), 15u);
  const ControlRecord& symbol = view->controls[3];
  EXPECT_EQ(symbol.kind, kKindInput);
  EXPECT_FALSE(symbol.input.numeric);
  EXPECT_EQ(symbol.input.max_length, 16);
  const ControlRecord& quantity = view->controls[5];
  EXPECT_TRUE(quantity.input.numeric);
  EXPECT_EQ(quantity.input.max_length, 10);
  EXPECT_EQ(quantity.input.decimals, 3);
  EXPECT_EQ(quantity.input.low, -2147483647);
  EXPECT_EQ(quantity.input.high, 2147483647);
  EXPECT_EQ(view->controls[14].text, "\x05" "F5\x01 Zapisz raport");
  // The texts are read where they are, not copied.
  EXPECT_EQ(static_cast<const void*>(view->controls[14].text.data()),
            static_cast<const void*>(verify::DialogTemplate().data() + 0x23C + 20));
}

TEST(TemplateReader, RefusesAHeaderThatCountsMoreRecordsThanThereAre) {
  verify::DialogTemplateBytes bytes = verify::DialogTemplate();
  bytes[6] = 16;
  EXPECT_FALSE(ReadTemplate(bytes.data()).has_value());
}

TEST(TemplateReader, RefusesAnInputLineWhoseFixedPartPassesTheEnd) {
  verify::DialogTemplateBytes bytes = verify::DialogTemplate();
  bytes[0x0D6 + 2] = 0xFF;  // the quantity's fixed part length
  bytes[0x0D6 + 3] = 0x7F;
  EXPECT_FALSE(ReadTemplate(bytes.data()).has_value());
  EXPECT_FALSE(ReadTemplate(nullptr).has_value());
}

}  // namespace
