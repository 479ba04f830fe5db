// What the engine draws: the check dialog from its template, centred, with
// the list's columns, the remarks' colours and the states of controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "standin/dialog/base_operations.h"
#include "standin/dialog/markup.h"
#include "tests/support/dialog_engine_driver.h"
#include "verify/dialog/template_writer.h"

namespace engine_test {
namespace {

using standin::Role;
using namespace std::string_literals;
using standin::entry::ControlState;

// Rows as the check formats them: "%4d. %s\r%s\r%0.2f\r%0.2f\r%s".
std::vector<std::string> CheckRows() {
  return {
      codepage::Utf8ToMazovia("   1. Kawa mielona 250g\rKAWA250\r2.00\r2.00\r  OK"),
      codepage::Utf8ToMazovia("   2. Herbata zielona liściasta 100g\rHERB100\r3.00\r2.00\rDUŻO"),
      codepage::Utf8ToMazovia("   3. Cukier\rCUK1\r1.00\r5.00\rmało"),
      codepage::Utf8ToMazovia("   4. Mąka pszenna\rMAKA\r0.00\r2.50\rniepruf."),
  };
}

// A template may place a control anywhere and give it any size: drawing
// touches only the cells on the screen, and nothing beside them.
TEST(ScreenDrawing, ShapesPartlyOrWhollyOffTheScreenChangeOnlyItsCells) {
  struct Shape {
    int column, row, width, height;
    std::size_t changed;  // cells of the 10 x 4 screen that change
  };
  const Shape shapes[] = {
      {12, 1, 5, 1, 0},  {-3, 0, 5, 1, 2},       {8, 3, 65535, 65535, 2}, {0, 0, 65535, 65535, 40},
      {3, -2, 2, 3, 2},  {0, 0, -5, 2, 0},       {9, 4, 1, 1, 0},         {-70000, 1, 70003, 1, 3},
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(testing::Message() << shape.column << "," << shape.row << " " << shape.width << "x" << shape.height);
    standin::Screen screen({10, 4});
    screen.Fill(shape.column, shape.row, shape.width, shape.height, U'#', Role::Normal);
    std::size_t changed = 0;
    for (int row = 0; row < 4; ++row) {
      for (int column = 0; column < 10; ++column) changed += screen.At(column, row).ch == U'#' ? 1 : 0;
    }
    EXPECT_EQ(changed, shape.changed);
    standin::Screen framed({10, 4});
    framed.FramedBox(shape.column, shape.row, shape.width, shape.height, standin::kDoubleFrame);
    framed.PutText(shape.column, shape.row, std::u32string(200, U'x'), Role::Normal, shape.width);
  }
}

// Aligned text written in place is the same as the aligned text built and
// written, wherever it starts and however wide its field.
TEST(ScreenDrawing, AlignedTextInPlaceIsTheAlignedTextWritten) {
  for (const int column : {-5, 0, 3, 9, 12}) {
    for (const int width : {0, 2, 4, 7, 40, 65535}) {
      for (const bool right : {false, true}) {
        SCOPED_TRACE(testing::Message() << column << " " << width << (right ? " right" : " left"));
        standin::Screen built({10, 2});
        standin::Screen in_place({10, 2});
        built.PutText(column, 1, standin::dialog::Align(U"Nit ą", width, right), Role::Normal, width);
        EXPECT_EQ(in_place.PutAligned(column, 1, U"Nit ą", width, right, Role::Normal), width);
        for (int c = 0; c < 10; ++c) EXPECT_EQ(in_place.At(c, 1), built.At(c, 1)) << "cell " << c;
      }
    }
  }
}

// A dialog of the host's other shapes: no title, Polish hot letters on
// check boxes, a button with a hot letter, and a list with no header.
TEST(OtherDialogs, PolishHotLettersBareLettersAndAListWithoutHeader) {
  namespace t = verify::dialog_template;
  const std::u32string letters = U"ĄĆĘŁŃÓŚŹŻ";
  t::TemplateWriter<512> w;
  w.Record({t::kKindDialog, 1, 0, 0, 0, 0, 40, 12}, "");
  for (std::size_t i = 0; i < letters.size(); ++i) {
    const auto hot = static_cast<std::uint16_t>(codepage::UnicodeToMazovia(letters[i]));
    const std::string caption = "~" + std::string(1, static_cast<char>(hot)) + "~";
    w.Record({t::kKindCheckBox, static_cast<std::int16_t>(10 + i), 0, hot, 2, static_cast<std::uint16_t>(1 + i), 8, 1},
             caption.c_str());
  }
  w.Record({t::kKindButton, 20, 0, 'Z', 14, 10, 10, 1}, "~Z~amknij");
  w.Record({t::kKindList, 30, 0, 0, 14, 1, 20, 3}, "");
  w.Finish();

  KeyFrontEnd front({40, 12});
  FakeDialog dialog;
  dialog.rows = {"Nit\rM6"};
  std::vector<Step> steps;
  for (const char32_t letter : U"ąćęńóśźż"s) steps.push_back({standin::AltKey(letter), {}});
  steps.push_back({standin::CharKey(U'ł'), {}});  // bare: a check box has the focus
  steps.push_back({standin::CharKey(U'z'), {}});
  steps.push_back(K(KeyName::Esc));
  front.Script(steps);
  std::array<std::uint16_t, 10> values{};
  values[0] = 7;  // any word but 0 is ticked
  RunDialog(dialog, values.data(), w.bytes().data());

  EXPECT_EQ(values, (std::array<std::uint16_t, 10>{0, 1, 1, 1, 1, 1, 1, 1, 1, 0}));
  EXPECT_NE(std::find(dialog.events.begin(), dialog.events.end(), Event{20, 1}), dialog.events.end());
  const standin::Screen& s = front.last();
  EXPECT_EQ(s.RowUtf8(0), "╔" + [] {
    std::string rule;
    for (int i = 0; i < 38; ++i) rule += "═";
    return rule;
  }() + "╗");
  EXPECT_EQ(Cells(s, 14, 1, 6), "Nit M6");
}

// Fields of other lengths and bounds than the check's, and a button that
// answers a function key of its own.
TEST(OtherDialogs, FieldsOfOtherLengthsAndBoundsAndAButtonOfItsOwnKey) {
  namespace t = verify::dialog_template;
  t::TemplateWriter<512> w;
  w.Record({t::kKindDialog, 1, 0, 0, 0, 0, 30, 6}, "Pola");
  w.TextInput({t::kKindInput, 3, 0x8000, 0, 2, 1, 8, 1}, 4, 0, 0, 0, 0);
  w.NumberInput({t::kKindInput, 5, 0, 0, 2, 2, 8, 1}, 3, 0, 0, 100);
  w.Button({t::kKindButton, 20, 0, 0x4400, 2, 4, 12, 1}, "F10", " Koniec");
  w.Finish();
#pragma pack(push, 1)
  struct {
    char text[5] = {};
    std::int32_t number = -1;
  } values;
#pragma pack(pop)
  KeyFrontEnd front({30, 6});
  FakeDialog dialog;
  front.Script(Join({{{standin::CharKey(char32_t{7}), {}}}, Type("ABCDE"), {K(KeyName::Tab)}, Type("150"),
                     {K(KeyName::Tab)},
                     {K(KeyName::Backspace), K(KeyName::Backspace), K(KeyName::Backspace)}, Type("99"),
                     {K(KeyName::Tab), K(KeyName::F10), K(KeyName::Esc)}}));
  RunDialog(dialog, &values, w.bytes().data());
  EXPECT_STREQ(values.text, "ABCD");
  const std::int32_t number = values.number;  // packed: not bound by reference
  EXPECT_EQ(number, 99);
  EXPECT_EQ(front.signals(), 3);  // the fifth letter, a control character, 150 above the bound
  EXPECT_NE(std::find(dialog.events.begin(), dialog.events.end(), Event{20, 1}), dialog.events.end());
  EXPECT_EQ(Cells(front.last(), 2, 4, 12), "[F10 Koniec]");
}

// A dialog too small for its frame draws nothing and still runs.
TEST(OtherDialogs, ADialogTooSmallForAFrameDrawsNothing) {
  namespace t = verify::dialog_template;
  t::TemplateWriter<512> w;
  w.Record({t::kKindDialog, 1, 0, 0, 0, 0, 1, 1}, "Za mały"_mz);
  w.Finish();
  KeyFrontEnd front({3, 3});
  FakeDialog dialog;
  front.Script({K(KeyName::Esc)});
  EXPECT_EQ(RunDialog(dialog, nullptr, w.bytes().data()), 0);
  for (int row = 0; row < 3; ++row) EXPECT_EQ(front.last().RowUtf8(row), "") << row;
}

class DialogScreen : public ::testing::Test {
 protected:
  void RunWithCheckLikeOpening(std::vector<Step> steps) {
    dialog_.rows = CheckRows();
    dialog_.on_event = [](std::int16_t, std::int16_t kind) {
      if (kind == -2) {
        ControlState(2, 0x0001, 1);
        ControlState(0, 0x8000, 1);
      }
      return 0;
    };
    front_.Script(std::move(steps));
    RunDialog(dialog_, &values_);
  }

  KeyFrontEnd front_{{82, 21}};
  FakeDialog dialog_;
  Values values_;
};

TEST_F(DialogScreen, TheCheckDialogAsDrawnFromItsTemplate) {
  values_.quantity = 1000;
  RunWithCheckLikeOpening({K(KeyName::Esc)});
  const std::string expected =
      "╔═══════════════════════════════ Sprawdź fakturę ════════════════════════════════╗\n"
      "║                                  Symbol towaru:        Ilość                   ║\n"
      "║                            ····················  1.000·······                  ║\n"
      "║ Nazwa               │Symbol          │Zliczono      │Ilosc na fak. │     Uwagi ║\n"
      "║    1. Kawa mielona 2│KAWA250         │2.00          │2.00          │        OK ║\n"
      "║    2. Herbata zielon│HERB100         │3.00          │2.00          │      DUŻO ║\n"
      "║    3. Cukier        │CUK1            │1.00          │5.00          │      mało ║\n"
      "║    4. Mąka pszenna  │MAKA            │0.00          │2.50          │  niepruf. ║\n"
      "║                     │                │              │              │           ║\n"
      "║                     │                │              │              │           ║\n"
      "║                     │                │              │              │           ║\n"
      "║                     │                │              │              │           ║\n"
      "║                     │                │              │              │           ║\n"
      "║                     │                │              │              │           ║\n"
      "║                                                                                ║\n"
      "║ [X] Uwzględniaj ilości                                                         ║\n"
      "║ [ ] Nie dopisuj pozycji, których brak na fakturze                              ║\n"
      "║                                                                                ║\n"
      "║     [   F12 OK    ]    [F4 Odczytaj inwentaryzator]    [F5 Zapisz raport]      ║\n"
      "║                                                                                ║\n"
      "╚════════════════════════════════════════════════════════════════════════════════╝\n";
  EXPECT_EQ(front_.last().ToUtf8(), expected);
}

TEST_F(DialogScreen, TheFocusedSymbolFieldShowsTheCaretAtItsText) {
  RunWithCheckLikeOpening(Join({Type("AB"), {K(KeyName::Esc)}}));
  EXPECT_EQ(front_.last().cursor(), (standin::CellPosition{31, 2}));
  EXPECT_EQ(front_.last().At(29, 2).role, Role::Input);
  EXPECT_EQ(front_.last().At(51, 2).role, Role::Input);
}

TEST_F(DialogScreen, RemarksCarryTheirColourRoles) {
  RunWithCheckLikeOpening({K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Down), K(KeyName::Esc)});
  const standin::Screen& s = front_.last();
  // Row 4 is not current: its remark is green over the text only.
  EXPECT_EQ(s.At(78, 4).role, Role::RemarkOk);
  EXPECT_EQ(s.At(79, 4).role, Role::RemarkOk);
  EXPECT_EQ(s.At(77, 4).role, Role::RemarkOk);  // the remark's own leading blanks
  EXPECT_EQ(s.At(75, 4).role, Role::Normal);
  // Row 5 is the focused list's current row.
  EXPECT_EQ(s.At(76, 5).role, Role::Current);
  EXPECT_EQ(s.At(2, 5).role, Role::Current);
  EXPECT_EQ(s.At(76, 6).role, Role::RemarkLittle);
  EXPECT_EQ(s.At(72, 7).role, Role::RemarkUnchecked);
  EXPECT_EQ(s.At(71, 7).role, Role::Normal);
}

TEST_F(DialogScreen, TheCurrentRowStaysMarkedWhenTheFocusLeavesTheList) {
  RunWithCheckLikeOpening({K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Down), K(KeyName::Tab), K(KeyName::Esc)});
  EXPECT_EQ(front_.last().At(2, 5).role, Role::Marked);
  EXPECT_EQ(front_.last().At(76, 5).role, Role::Marked);
  EXPECT_EQ(front_.last().At(2, 4).role, Role::Normal);
}

TEST_F(DialogScreen, HotLettersAndKeyNamesAreMarked) {
  RunWithCheckLikeOpening({K(KeyName::Esc)});
  const standin::Screen& s = front_.last();
  EXPECT_EQ(s.At(35, 1).role, Role::Hot);  // S of "Symbol towaru:"
  EXPECT_EQ(s.At(36, 1).role, Role::Normal);
  EXPECT_EQ(s.At(57, 1).role, Role::Hot);  // I of "Ilość"
  EXPECT_EQ(s.At(6, 15).role, Role::Hot);  // U of the option
  EXPECT_EQ(s.At(10, 18).role, Role::Hot);  // "F12"
  EXPECT_EQ(s.At(12, 18).role, Role::Hot);
  EXPECT_EQ(s.At(13, 18).role, Role::Normal);
}

TEST_F(DialogScreen, DisabledControlsAreDrawnAsDisabled) {
  RunWithCheckLikeOpening({Probe([] {
                             ControlState(4, 0x0002, 1);
                             ControlState(5, 0x0002, 1);
                             ControlState(0, 0x8000, 1);
                           }),
                           K(KeyName::Esc)});
  const standin::Screen& s = front_.last();
  for (int c = 57; c < 62; ++c) EXPECT_EQ(s.At(c, 1).role, Role::Disabled) << c;
  for (int c = 51; c < 63; ++c) EXPECT_EQ(s.At(c, 2).role, Role::Disabled) << c;
}

TEST_F(DialogScreen, TheDialogIsCentredOnALargerScreen) {
  KeyFrontEnd wide({100, 30});
  FakeDialog dialog;
  wide.Script({K(KeyName::Esc)});
  RunDialog(dialog, nullptr);
  const standin::Screen& s = wide.last();
  EXPECT_EQ(s.width(), 100);
  EXPECT_EQ(s.height(), 30);
  EXPECT_EQ(s.RowUtf8(3), "");
  EXPECT_EQ(s.At(9, 4).ch, U'╔');
  EXPECT_EQ(s.At(90, 24).ch, U'╝');
  EXPECT_EQ(s.At(8, 4).ch, U' ');
}

TEST_F(DialogScreen, ALongNumberScrollsInsideItsField) {
  // The quantity field is 12 cells; "-2147483.647" is set by the handler.
  dialog_.on_event = [](std::int16_t, std::int16_t kind) {
    if (kind == -2) *static_cast<std::int32_t*>(standin::entry::ValueAddress(5)) = -2147483647;
    return 0;
  };
  front_.Script({Alt('I'), K(KeyName::End), K(KeyName::Esc)});
  RunDialog(dialog_, &values_);
  EXPECT_EQ(Cells(front_.last(), 51, 2, 12), "2147483.647·");
  EXPECT_EQ(front_.last().cursor(), (standin::CellPosition{62, 2}));
}

// A front end that may look at no picture (a fuzz target, a script that
// prints none) still sees the same dialog: the lists ask for their rows and
// the dialog hears of each refresh and each drawing as when it is drawn.
class PictureOptional : public KeyFrontEnd {
 public:
  explicit PictureOptional(bool wanted) : wanted_(wanted) {}
  bool WantsPicture() override { return wanted_; }

 private:
  bool wanted_;
};

int refreshes = 0;
int drawings = 0;
std::int32_t KORPUS_METHOD CountRefresh(void*) { return ++refreshes, 0; }
std::int32_t KORPUS_METHOD CountDrawing(void*) { return ++drawings, 0; }

struct Observed {
  int presents = 0;
  std::vector<std::int32_t> row_requests;
  int refreshes = 0;
  int drawings = 0;
};

Observed RunSeeingPictures(bool wanted) {
  PictureOptional front(wanted);
  FakeDialog dialog;
  dialog.rows = CheckRows();
  dialog.table[static_cast<int>(standin::dialog::BaseOperation::ListRefreshed)] = reinterpret_cast<void*>(&CountRefresh);
  dialog.table[static_cast<int>(standin::dialog::BaseOperation::Drawn)] = reinterpret_cast<void*>(&CountDrawing);
  refreshes = drawings = 0;
  Values values;
  front.Script({Alt('L'), K(KeyName::Down), K(KeyName::Down), K(KeyName::End), K(KeyName::Esc)});
  RunDialog(dialog, &values);
  return {front.presents(), dialog.row_requests, refreshes, drawings};
}

TEST(DialogPictures, AFrontEndThatWantsNoPictureGetsNoneButTheDialogRunsAlike) {
  const Observed drawn = RunSeeingPictures(true);
  const Observed undrawn = RunSeeingPictures(false);
  EXPECT_GT(drawn.presents, 0);
  EXPECT_EQ(undrawn.presents, 0);
  EXPECT_FALSE(drawn.row_requests.empty());
  EXPECT_EQ(undrawn.row_requests, drawn.row_requests);
  EXPECT_GT(drawn.refreshes, 0);
  EXPECT_EQ(undrawn.refreshes, drawn.refreshes);
  EXPECT_EQ(drawn.drawings, drawn.presents);
  EXPECT_EQ(undrawn.drawings, drawn.drawings);
}

}  // namespace
}  // namespace engine_test
