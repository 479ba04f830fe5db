// The dialog engine driven through its entries with the check's template,
// a fake dialog object and scripted keys: events, focus, editing, the
// list.
#include <gtest/gtest.h>

#include <cstring>

#include "standin/dialog/dialog_testing.h"
#include "standin/dialog/engine.h"
#include "tests/support/dialog_engine_driver.h"

namespace engine_test {
namespace {

using standin::entry::ControlState;

constexpr std::int16_t kOk = 0x5001;
constexpr std::int16_t kF4 = 0x3E00;
constexpr std::int16_t kF5 = 0x3F00;

class DialogEngine : public ::testing::Test {
 protected:
  std::int32_t Run(std::vector<Step> steps) {
    front_.Script(std::move(steps));
    return RunDialog(dialog_, &values_);
  }

  // The Enter button's answer as the check gives it: 3 -> 5 -> 3.
  void AnswerEnterLikeTheCheck() {
    dialog_.on_event = [this](std::int16_t code, std::int16_t kind) -> std::int32_t {
      if (kind == -1) focus_ = code;
      if (kind == 1 && code == 13) return focus_ == 3 ? 5 : 3;
      return 0;
    };
  }

  KeyFrontEnd front_;
  FakeDialog dialog_;
  Values values_;
  std::int16_t focus_ = 0;
};

// Opening and closing ---------------------------------------------------------

TEST_F(DialogEngine, OpensWithTheOpeningEventThenTheFocusInTheSymbolField) {
  EXPECT_EQ(Run({K(KeyName::Esc)}), 0);
  EXPECT_EQ(dialog_.events, (std::vector<Event>{{0, -2}, {3, -1}, {0, 2}}));
}

TEST_F(DialogEngine, EndOfInputClosesTheDialogAsEscDoes) {
  EXPECT_EQ(Run({}), 0);
  EXPECT_EQ(dialog_.events, (std::vector<Event>{{0, -2}, {3, -1}, {0, 2}}));
}

TEST_F(DialogEngine, F12PressesOkWhichEndsTheDialogWithItsCommand) {
  EXPECT_EQ(Run({K(KeyName::F12)}), kOk);
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{kOk, 1}, {kOk, 2}}));
}

TEST_F(DialogEngine, OkAnsweredAsTakenKeepsTheDialogOpen) {
  dialog_.on_event = [](std::int16_t code, std::int16_t kind) { return kind == 1 && code == kOk ? -2 : 0; };
  EXPECT_EQ(Run({K(KeyName::F12), K(KeyName::Esc)}), 0);
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{kOk, 1}, {0, 2}}));
}

TEST_F(DialogEngine, F4AndF5SendTheirButtonsCommands) {
  Run({K(KeyName::F4), K(KeyName::F5), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{kF4, 1}, {kF5, 1}, {0, 2}}));
}

// The host's help key: a box over the dialog, which goes on as it was; the
// plug-in hears of no event, the field keeps its text.
TEST_F(DialogEngine, F1ShowsTheKeysInABoxAndTheDialogGoesOn) {
  std::string symbol;
  Run(Join({Type("AB"), {K(KeyName::F1), Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].caption, "Pomoc"_mz);
  EXPECT_NE(front_.boxes()[0].text.find("F5                zapisz raport niezgodności"_mz), std::string::npos);
  EXPECT_EQ(front_.signals(), 0);
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{0, 2}}));
  EXPECT_EQ(symbol, "AB");
}

TEST_F(DialogEngine, ADisabledButtonIgnoresItsKey) {
  Run({Probe([] { ControlState(kF4, 0x0002, 1); }), K(KeyName::F4), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{0, 2}}));
}

TEST_F(DialogEngine, TheClosingStoresTheValuesIntoTheBuffer) {
  Run(Join({Type("AB"), {K(KeyName::Esc)}}));
  EXPECT_STREQ(values_.symbol, "AB");
}

TEST_F(DialogEngine, AMalformedTemplateRunsNothing) {
  verify::DialogTemplateBytes broken = verify::DialogTemplate();
  broken[4] = 0x10;  // the two byte counts disagree
  front_.Script({K(KeyName::Esc)});
  EXPECT_EQ(RunDialog(dialog_, &values_, broken.data()), -1);
  broken = verify::DialogTemplate();
  broken[0x262] = 'x';  // the last text loses its NUL
  EXPECT_EQ(RunDialog(dialog_, &values_, broken.data()), -1);
  EXPECT_TRUE(dialog_.events.empty());
}

TEST_F(DialogEngine, ASecondDialogCannotOpenWhileOneRuns) {
  std::int32_t nested = 0;
  Run({Probe([&] {
         FakeDialog other;
         nested = RunDialog(other, nullptr);
       }),
       K(KeyName::Esc)});
  EXPECT_EQ(nested, -1);
}

// Enter ---------------------------------------------------------------------

TEST_F(DialogEngine, EnterInTheSymbolFieldAcceptsItThenAsksTheEnterButtonWhereTheFocusGoes) {
  AnswerEnterLikeTheCheck();
  Run(Join({Type("AB"), {K(KeyName::Enter), K(KeyName::Esc)}}));
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{3, 1}, {13, 1}, {5, -1}, {0, 2}}));
}

TEST_F(DialogEngine, EnterAcceptsAnUneditedFieldToo) {
  AnswerEnterLikeTheCheck();
  Run({K(KeyName::Enter), K(KeyName::Enter), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(),
            (std::vector<Event>{{3, 1}, {13, 1}, {5, -1}, {5, 1}, {13, 1}, {3, -1}, {0, 2}}));
}

TEST_F(DialogEngine, EnterAnsweredWithTakenKeepsTheFocus) {
  dialog_.on_event = [](std::int16_t code, std::int16_t kind) { return kind == 1 && code == 13 ? -2 : 0; };
  Run({K(KeyName::Enter), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{3, 1}, {13, 1}, {0, 2}}));
}

TEST_F(DialogEngine, EnterWithTheEnterButtonDisabledOnlyAcceptsTheField) {
  Run({Probe([] { ControlState(13, 0x0002, 1); }), K(KeyName::Enter), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{3, 1}, {0, 2}}));
}

TEST_F(DialogEngine, EnterOnAFocusedButtonPressesThatButton) {
  // Tab order from the symbol field: quantity, list, option, OK, F4.
  Run({K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Enter),
       K(KeyName::Esc)});
  const auto events = dialog_.EventsAfterOpening();
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[events.size() - 2], (Event{kF4, 1}));
}

TEST_F(DialogEngine, EnterOnAListRowChoosesItThenPressesTheEnterButton) {
  dialog_.rows = {"a", "b", "c"};
  std::int32_t row_at_choice = -5;
  std::int32_t filled = -5;
  std::int32_t count = -5;
  dialog_.on_event = [&](std::int16_t code, std::int16_t kind) -> std::int32_t {
    if (kind == 4) {
      row_at_choice = standin::entry::CurrentRow(6);
      count = standin::entry::ListValue(6, &filled, 1);
    }
    return kind == 1 && code == 13 ? 3 : 0;
  };
  Run({Alt('N'), K(KeyName::Down), K(KeyName::Down), K(KeyName::Enter), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{6, -1}, {6, 4}, {13, 1}, {3, -1}, {0, 2}}));
  EXPECT_EQ(row_at_choice, 2);
  EXPECT_EQ(filled, 2);
  EXPECT_EQ(count, 3);
}

// Focus ---------------------------------------------------------------------

TEST_F(DialogEngine, TabWalksTheFocusableControlsInTemplateOrder) {
  Run({K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab),
       K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{5, -1},
                                                              {6, -1},
                                                              {7, -1},
                                                              {kOk, -1},
                                                              {kF4, -1},
                                                              {kF5, -1},
                                                              {2, -1},
                                                              {3, -1},
                                                              {0, 2}}));
}

TEST_F(DialogEngine, ShiftTabWalksBackwards) {
  Run({K(KeyName::ShiftTab), K(KeyName::ShiftTab), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{2, -1}, {kF5, -1}, {0, 2}}));
}

TEST_F(DialogEngine, TabSkipsDisabledControls) {
  Run({Probe([] { ControlState(5, 0x0002, 1); }), K(KeyName::Tab), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{6, -1}, {0, 2}}));
}

TEST_F(DialogEngine, LeavingAnEditedFieldAcceptsItBeforeTheFocusMoves) {
  Run(Join({Type("X"), {K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Esc)}}));
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{3, 1}, {5, -1}, {6, -1}, {0, 2}}));
}

TEST_F(DialogEngine, AHandlerThatDisablesTheFocusedControlMovesTheFocusOn) {
  dialog_.on_event = [](std::int16_t code, std::int16_t kind) {
    if (kind == 1 && code == 2) ControlState(2, 0x0002, 1);
    return 0;
  };
  Run({K(KeyName::ShiftTab), {standin::CharKey(U' '), {}}, K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{2, -1}, {2, 1}, {3, -1}, {0, 2}}));
}

TEST_F(DialogEngine, ALabelsHotLetterFocusesTheControlAfterIt) {
  Run({Alt('I'), Alt('n'), Alt('S'), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{5, -1}, {6, -1}, {3, -1}, {0, 2}}));
}

TEST_F(DialogEngine, ADisabledLabelsHotLetterDoesNothing) {
  Run({Probe([] {
         ControlState(4, 0x0002, 1);
         ControlState(5, 0x0002, 1);
       }),
       Alt('I'), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{0, 2}}));
}

TEST_F(DialogEngine, BareLettersAreHotLettersOutsideInputLines) {
  // In the symbol field "n" is typed; on the list it goes to the option.
  Run(Join({Type("n"), {Alt('N')}, Type("u"), {K(KeyName::Esc)}}));
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{3, 1}, {6, -1}, {2, -1}, {2, 1}, {0, 2}}));
}

// Check boxes ---------------------------------------------------------------

TEST_F(DialogEngine, SpaceTogglesAFocusedCheckBoxAndReportsIt) {
  std::vector<std::uint16_t> states;
  dialog_.on_event = [&](std::int16_t code, std::int16_t kind) {
    if (kind == 1 && code == 7) states.push_back(ControlState(7, 0, 0));
    return 0;
  };
  Run({K(KeyName::Tab), K(KeyName::Tab), K(KeyName::Tab), {standin::CharKey(U' '), {}},
       {standin::CharKey(U' '), {}}, K(KeyName::Esc)});
  EXPECT_EQ(states, (std::vector<std::uint16_t>{1, 0}));
}

TEST_F(DialogEngine, TheOptionsHotLetterFocusesAndTogglesIt) {
  Run({Alt('U'), K(KeyName::Esc)});
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{2, -1}, {2, 1}, {0, 2}}));
  EXPECT_EQ(values_.quantities_option, 1);
}

TEST_F(DialogEngine, ACheckBoxSetThroughItsStateWordShowsAsTicked) {
  dialog_.on_event = [](std::int16_t, std::int16_t kind) {
    if (kind == -2) ControlState(2, 0x0001, 1);
    return 0;
  };
  Run({K(KeyName::Esc)});
  EXPECT_EQ(Cells(front_.last(), 0, 15, 25), "║ [X] Uwzględniaj ilości ");
  EXPECT_EQ(values_.quantities_option, 1);
}

// Values --------------------------------------------------------------------

TEST_F(DialogEngine, StoreValuesWritesTheControlsInTemplateOrder) {
  values_.list = 1;
  dialog_.rows = {"a", "b", "c"};
  std::uint8_t stored[32];
  std::memset(stored, 0xEE, sizeof stored);
  std::int32_t answer = 0;
  Run(Join({Type("AB12"), {Alt('I')}, Type("2,5"),
            {Alt('U'), Alt('N'), K(KeyName::Down), Probe([&] { answer = standin::entry::StoreValues(stored, 1); }),
             K(KeyName::Esc)}}));
  EXPECT_EQ(answer, 1);
  const std::uint8_t expected[27] = {1,   0,   'A', 'B', '1', '2', 0, 0,    0,    0,    0, 0, 0, 0,
                                     0,   0,   0,   0,   0,   0xC4, 0x09, 0, 0, 2, 0, 0, 0};
  EXPECT_EQ(std::memcmp(stored, expected, sizeof expected), 0);
  EXPECT_EQ(stored[27], 0xEE) << "nothing past the 27 bytes";
}

TEST_F(DialogEngine, TheFieldsStartWithTheBuffersValues) {
  std::strcpy(values_.symbol, "OLD");
  values_.quantity = 1500;
  std::string symbol;
  std::int32_t quantity = 0;
  Run({Probe([&] {
         symbol = Symbol();
         quantity = Quantity();
       }),
       K(KeyName::Esc)});
  EXPECT_EQ(symbol, "OLD");
  EXPECT_EQ(quantity, 1500);
  EXPECT_EQ(Cells(front_.last(), 29, 2, 20), "OLD·················");
  EXPECT_EQ(Cells(front_.last(), 51, 2, 12), "1.500·······");
}

TEST_F(DialogEngine, OutsideADialogTheValueEntriesAnswerNothing) {
  EXPECT_EQ(standin::entry::ValueAddress(3), nullptr);
  std::uint8_t buffer[27] = {};
  EXPECT_EQ(standin::entry::StoreValues(buffer, 1), 0);
  EXPECT_EQ(standin::entry::CurrentRow(6), -1);
}

TEST(OpenedDialog, AnswersTheValueAndStateEntriesWithoutRunning) {
  Values values;
  std::strcpy(values.symbol, "AB");
  values.quantity = 2000;
  {
    standin::testing::OpenedDialog opened(verify::DialogTemplate().data(), &values);
    ASSERT_TRUE(opened.ok());
    EXPECT_EQ(Symbol(), "AB");
    EXPECT_EQ(Quantity(), 2000);
    ControlState(2, 0x0001, 1);
    ControlState(0, 0x8000, 1);
    EXPECT_EQ(ControlState(0, 0, 0), 0x8000) << "the redraw waits for a drawing";
    std::strcpy(static_cast<char*>(standin::entry::ValueAddress(3)), "XY");
    Values stored;
    EXPECT_EQ(standin::entry::StoreValues(&stored, 1), 1);
    EXPECT_EQ(stored.quantities_option, 1);
    EXPECT_STREQ(stored.symbol, "XY");
  }
  EXPECT_EQ(standin::entry::ValueAddress(3), nullptr);
}

// Editing the symbol field -------------------------------------------------

TEST_F(DialogEngine, TypingReplacesTheTextSelectedWhenTheFocusCame) {
  std::strcpy(values_.symbol, "OLD");
  std::string symbol;
  Run(Join({Type("AB"), {Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  EXPECT_EQ(symbol, "AB");
}

TEST_F(DialogEngine, CaretKeysEditInsideTheText) {
  std::string symbol;
  Run(Join({Type("ABCD"),
            {K(KeyName::Left), K(KeyName::Left), K(KeyName::Backspace), K(KeyName::Delete), K(KeyName::Home)},
            Type("X"),
            {K(KeyName::End)},
            Type("Y"),
            {K(KeyName::Right), K(KeyName::Delete), Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  EXPECT_EQ(symbol, "XADY");
}

TEST_F(DialogEngine, TheSymbolTakesSixteenCharactersAndSignalsTheRest) {
  std::string symbol;
  Run(Join({Type("ABCDEFGHIJKLMNOPQRST"), {Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  EXPECT_EQ(symbol, "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(front_.signals(), 4);
}

TEST_F(DialogEngine, PolishLettersAreStoredInMazovia) {
  std::string symbol;
  Run(Join({Type("ŻÓŁW"), {Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  EXPECT_EQ(symbol, codepage::Utf8ToMazovia("ŻÓŁW"));
  EXPECT_EQ(static_cast<std::uint8_t>(symbol[0]), 0xA1);
}

TEST_F(DialogEngine, WhatTheHandlerWritesIntoTheSymbolFieldShows) {
  dialog_.on_event = [](std::int16_t code, std::int16_t kind) {
    if (kind == 1 && code == 3) std::strcpy(static_cast<char*>(standin::entry::ValueAddress(3)), "AB12");
    return kind == 1 && code == 13 ? 3 : 0;
  };
  std::string symbol;
  Run(Join({Type("ab 12"), {K(KeyName::Enter)}, Type("Z"), {Probe([&] { symbol = Symbol(); }), K(KeyName::Esc)}}));
  EXPECT_EQ(Cells(front_.last(), 29, 2, 20), "Z···················");
  // Enter left the field's text selected, so "Z" replaced what the handler wrote.
  EXPECT_EQ(symbol, "Z");
}

// The quantity field -------------------------------------------------------

struct QuantityCase {
  const char* typed;
  std::int32_t value;
  const char* shown;
};

void PrintTo(const QuantityCase& c, std::ostream* out) { *out << '"' << c.typed << '"'; }

class QuantityField : public DialogEngine, public ::testing::WithParamInterface<QuantityCase> {};

TEST_P(QuantityField, AcceptsADecimalPointOrCommaAndShowsThreeDecimals) {
  std::int32_t accepted = -1;
  dialog_.on_event = [&](std::int16_t code, std::int16_t kind) -> std::int32_t {
    if (kind == 1 && code == 5) accepted = Quantity();
    return -2;
  };
  Run(Join({{Alt('I')}, Type(GetParam().typed), {K(KeyName::Enter), K(KeyName::Esc)}}));
  EXPECT_EQ(accepted, GetParam().value);
  EXPECT_EQ(Cells(front_.last(), 51, 2, 12), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Numbers, QuantityField,
                         ::testing::Values(QuantityCase{"2,5", 2500, "2.500·······"},
                                           QuantityCase{"2.5", 2500, "2.500·······"},
                                           QuantityCase{"-1", -1000, "-1.000······"},
                                           QuantityCase{"12", 12000, "12.000······"},
                                           QuantityCase{",005", 5, "0.005·······"},
                                           QuantityCase{"2147483,64", 2147483640, "2147483.640·"},
                                           QuantityCase{"1.2345", 1234, "1.234·······"},
                                           QuantityCase{"7a", 7000, "7.000·······"}));

TEST_F(DialogEngine, AQuantityThatIsNoNumberIsRefusedAndTheFocusStays) {
  Run(Join({{Alt('I')}, Type("-"), {K(KeyName::Enter), K(KeyName::Tab), K(KeyName::Esc)}}));
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{5, -1}, {0, 2}}));
  EXPECT_EQ(front_.signals(), 2);
}

TEST_F(DialogEngine, AQuantityOutsideTheBoundsIsRefused) {
  Run(Join({{Alt('I')}, Type("9999999.99"), {K(KeyName::Enter), K(KeyName::Esc)}}));
  EXPECT_EQ(dialog_.EventsAfterOpening(), (std::vector<Event>{{5, -1}, {0, 2}}));
  EXPECT_EQ(front_.signals(), 1);
}

TEST_F(DialogEngine, TheQuantityOfferedByTheHandlerIsSelectedSoTypingReplacesIt) {
  std::vector<std::int32_t> accepted;
  dialog_.on_event = [&](std::int16_t code, std::int16_t kind) -> std::int32_t {
    if (kind == -1) focus_ = code;
    if (kind == 1 && code == 3) *static_cast<std::int32_t*>(standin::entry::ValueAddress(5)) = 5000;
    if (kind == 1 && code == 5) {
      accepted.push_back(Quantity());
      *static_cast<std::int32_t*>(standin::entry::ValueAddress(5)) = 1000;
    }
    if (kind == 1 && code == 13) return focus_ == 3 ? 5 : 3;
    return 0;
  };
  standin::Screen offered;
  Run(Join({Type("AB"), {K(KeyName::Enter), Probe([&] { offered = front_.last(); })}, Type("3"),
            {K(KeyName::Enter), K(KeyName::Esc)}}));
  EXPECT_EQ(Cells(offered, 51, 2, 12), "5.000·······");
  EXPECT_EQ(offered.At(51, 2).role, standin::Role::Selection);
  EXPECT_EQ(accepted, (std::vector<std::int32_t>{3000}));
  EXPECT_EQ(Cells(front_.last(), 51, 2, 12), "1.000·······");
}

// The list ------------------------------------------------------------------

std::vector<std::string> NumberedRows(int count) {
  std::vector<std::string> rows;
  for (int i = 1; i <= count; ++i) rows.push_back("row " + std::to_string(i) + "\rS" + std::to_string(i));
  return rows;
}

// The name column of a list line: 20 cells from column 2.
std::string NameCell(const standin::Screen& screen, int line) { return Cells(screen, 2, 4 + line, 20); }

TEST_F(DialogEngine, TheListAsksTheCountThenTheVisibleRows) {
  dialog_.rows = NumberedRows(3);
  Run({K(KeyName::Esc)});
  ASSERT_GE(dialog_.row_requests.size(), 4u);
  EXPECT_EQ(std::vector<std::int32_t>(dialog_.row_requests.end() - 4, dialog_.row_requests.end()),
            (std::vector<std::int32_t>{-1, 0, 1, 2}));
  EXPECT_EQ(NameCell(front_.last(), 0), "row 1               ");
  EXPECT_EQ(NameCell(front_.last(), 2), "row 3               ");
}

TEST_F(DialogEngine, ANullRowMakesTheListReadItsRowsAgain) {
  dialog_.rows = NumberedRows(3);
  Run({Probe([&] {
         dialog_.row_requests.clear();
         dialog_.nulls_to_give = 1;
         dialog_.rows.push_back("row 4\rS4");
       }),
       K(KeyName::Down), K(KeyName::Esc)});
  const std::vector<std::int32_t> expected = {-1, 0, -1, 0, 1, 2, 3};
  ASSERT_GE(dialog_.row_requests.size(), expected.size());
  EXPECT_EQ(std::vector<std::int32_t>(dialog_.row_requests.begin(), dialog_.row_requests.begin() + 7), expected);
  EXPECT_EQ(NameCell(front_.last(), 3), "row 4               ");
}

TEST_F(DialogEngine, TheListScrollsToKeepTheCurrentRowInView) {
  dialog_.rows = NumberedRows(25);
  std::vector<std::int32_t> rows;
  auto note = [&] { return Probe([&] { rows.push_back(standin::entry::CurrentRow(6)); }); };
  Run({Alt('N'), K(KeyName::PgDn), note(), K(KeyName::Down), note(), K(KeyName::End), note(),
       Probe([&] { EXPECT_EQ(NameCell(front_.last(), 9), "row 25              "); }), K(KeyName::PgUp), note(),
       K(KeyName::Home), note(), K(KeyName::Up), note(), K(KeyName::Esc)});
  EXPECT_EQ(rows, (std::vector<std::int32_t>{10, 11, 24, 14, 0, 0}));
  EXPECT_EQ(NameCell(front_.last(), 0), "row 1               ");
}

// The host's row indexes are 16-bit: a longer list shows its first 32,767
// rows, never asks for another, and says on a line of its own how many are
// not shown.
TEST_F(DialogEngine, AListPast32767RowsShowsTheFirstOnesAndHowManyAreNot) {
  dialog_.rows = NumberedRows(40000);
  std::int32_t last_row = 0;
  Run({Alt('N'), K(KeyName::End), Probe([&] { last_row = standin::entry::CurrentRow(6); }), K(KeyName::Down),
       K(KeyName::PgDn), K(KeyName::Esc)});
  ASSERT_FALSE(dialog_.row_requests.empty());
  for (const std::int32_t row : dialog_.row_requests) {
    ASSERT_GE(row, -1);
    ASSERT_LT(row, 32767);
  }
  EXPECT_EQ(last_row, 32766);
  const standin::Screen& screen = front_.last();
  EXPECT_EQ(NameCell(screen, 8), "row 32767           ");
  EXPECT_EQ(Cells(screen, 2, 4 + 9, 36), "(pozycje niewidoczne na liście: 7233");
}

TEST_F(DialogEngine, AnEmptyListHasNoCurrentRow) {
  std::int32_t row = 0;
  dialog_.on_event = [&](std::int16_t, std::int16_t kind) {
    if (kind == 4) row = standin::entry::CurrentRow(6);
    return 0;
  };
  Run({Alt('N'), K(KeyName::Down), K(KeyName::Enter), K(KeyName::Esc)});
  EXPECT_EQ(row, -1);
}

// Redraws -------------------------------------------------------------------

TEST_F(DialogEngine, ARedrawRequestShowsTheDialogAtOnce) {
  int presents_in_handler = -1;
  dialog_.on_event = [&](std::int16_t code, std::int16_t kind) {
    if (kind == 1 && code == kF4) {
      dialog_.rows = {"new\rN1"};
      const int before = front_.presents();
      ControlState(0, 0x8000, 1);
      presents_in_handler = front_.presents() - before;
      EXPECT_EQ(NameCell(front_.last(), 0), "new                 ");
      EXPECT_EQ(ControlState(0, 0, 0) & 0x8000, 0);
    }
    return 0;
  };
  Run({K(KeyName::F4), K(KeyName::Esc)});
  EXPECT_EQ(presents_in_handler, 1);
}

}  // namespace
}  // namespace engine_test
