// The position list and the merge of counted items, against the stand-in
// host without any goods or code tables.
#include <algorithm>
#include <limits>

#include "standin/dialog/controls.h"
#include "standin/testing.h"
#include "tests/support/model_fixture.h"

namespace verify::testing_support {
namespace {

using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

const std::string kNotOnInvoice =
    "Uwaga: Na sprawdzanej fakturze brak towaru o kodzie %s!\nTowar ten zostanie pominięty przy sprawdzaniu!";

std::string NotOnInvoice(const std::string& code) {
  std::string text = kNotOnInvoice;
  text.replace(text.find("%s"), 2, code);
  return text;
}

// ---- Adding and removing positions ---------------------------------------

using PositionBlockTest = ModelTest;

TEST_F(PositionBlockTest, AddingGrowsTheBlockToExactlyTheListAndCountsNewGoods) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 2000), MakePosition("Nit", "N1", 0, 1000)});
  check_.AddPosition(codepage::Utf8ToMazovia("Wkręt").c_str(), "W1", 3000);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|0|2000", "Nit|N1|0|1000", "Wkręt|W1|3000|0"));
  EXPECT_EQ(CheckAccess::Capacity(check_), 3);
  EXPECT_EQ(NewGoods(), 1);
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(PositionBlockTest, AddingToAListWithoutABlockAllocatesOne) {
  check_.AddPosition("Nowy", "X", 1000);
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy|X|1000|0"));
  EXPECT_EQ(CheckAccess::Capacity(check_), 1);
}

TEST_F(PositionBlockTest, RefusedResizeLeavesBlockCountAndCountersAsTheyWere) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 2000)});
  const Position* block = CheckAccess::Block(check_);
  standin::testing::FailNth(standin::Fault::Allocation, 1);
  check_.AddPosition("Nowy", "X", 1000);
  EXPECT_EQ(CheckAccess::Block(check_), block);
  EXPECT_EQ(CheckAccess::Capacity(check_), kInitialPositions);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|0|2000"));
  EXPECT_EQ(NewGoods(), 0);
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(PositionBlockTest, TextsLongerThanTheirFieldsAreCutAndTheFieldsStayTerminated) {
  const std::string name(130, 'n');
  const std::string symbol = "KOD-ZBYT-DLUGI-DLA-POLA";
  check_.AddPosition(name.c_str(), symbol.c_str(), 1000);
  ASSERT_EQ(check_.count(), 1);
  EXPECT_THAT(Rows(check_), ElementsAre(std::string(120, 'n') + "|KOD-ZBYT-DLUGI-D|1000|0"));
}

TEST_F(PositionBlockTest, ShortTextsLeaveNoStaleBytesInTheirFields) {
  check_.AddPosition("A", "B", 0);
  const Position& added = check_.Positions()[0];
  EXPECT_TRUE(AllZero(added.name + 1, sizeof added.name - 1));
  EXPECT_TRUE(AllZero(added.symbol + 1, sizeof added.symbol - 1));
}

TEST_F(PositionBlockTest, RemovingMovesLaterPositionsUpAndClearsTheFreedPlace) {
  CheckAccess::Fill(check_,
                    {MakePosition("A", "1", 1, 10), MakePosition("B", "2", 2, 20), MakePosition("C", "3", 3, 30)});
  check_.RemovePosition(0);
  EXPECT_THAT(Rows(check_), ElementsAre("B|2|2|20", "C|3|3|30"));
  EXPECT_TRUE(AllZero(CheckAccess::Block(check_) + 2, sizeof(Position)));
}

TEST_F(PositionBlockTest, RemovingAnIndexOutsideTheListChangesNothing) {
  CheckAccess::Fill(check_, {MakePosition("A", "1", 1, 10)});
  check_.RemovePosition(1);
  check_.RemovePosition(-1);
  EXPECT_THAT(Rows(check_), ElementsAre("A|1|1|10"));
}

TEST_F(PositionBlockTest, ReservingGrowsPastTheStartingBlockAndKeepsThePositions) {
  CheckAccess::Fill(check_, {MakePosition("A", "1", 1, 10)});
  ASSERT_TRUE(check_.ReservePositions(7000));
  EXPECT_GE(CheckAccess::Capacity(check_), 7000);
  EXPECT_THAT(Rows(check_), ElementsAre("A|1|1|10"));
  const Position* block = CheckAccess::Block(check_);
  EXPECT_TRUE(AllZero(block + kInitialPositions, sizeof(Position) * (7000 - kInitialPositions)));
}

// At least the room asked for, zero-filled, the positions kept: also when
// half as much again is not enough, and for a check without a block yet.
// Room beyond what a host block can hold is refused without asking.
TEST_F(PositionBlockTest, ReservingGivesTheRoomAskedForOrRefusesIt) {
  const struct {
    bool with_block;
    std::int32_t room;
    bool given;
  } cases[] = {{true, 9000, true}, {false, 3, true}, {true, 0x7FFFFFFF, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.room);
    CZrobPrufacje check;
    if (c.with_block) CheckAccess::Fill(check, {MakePosition("A", "1", 1, 10)});
    const std::int32_t count = check.count();
    const long asked = standin::testing::CallCount(standin::Fault::Allocation);

    EXPECT_EQ(check.ReservePositions(c.room), c.given);

    EXPECT_EQ(check.count(), count);
    if (!c.given) {
      EXPECT_EQ(standin::testing::CallCount(standin::Fault::Allocation), asked);
      continue;
    }
    const std::int32_t capacity = CheckAccess::Capacity(check);
    EXPECT_GE(capacity, c.room);
    const Position* block = CheckAccess::Block(check);
    EXPECT_TRUE(AllZero(block + count, sizeof(Position) * static_cast<std::size_t>(std::min(capacity, c.room) - count)));
    if (c.with_block) {
      EXPECT_THAT(Rows(check), ElementsAre("A|1|1|10"));
    }
  }
}

TEST_F(PositionBlockTest, ReservingWhatTheBlockHoldsAsksTheHostForNothing) {
  CheckAccess::Fill(check_, {});
  const long before = standin::testing::CallCount(standin::Fault::Allocation);
  EXPECT_TRUE(check_.ReservePositions(kInitialPositions));
  EXPECT_EQ(standin::testing::CallCount(standin::Fault::Allocation), before);
}

TEST_F(PositionBlockTest, RefusedReservationLeavesTheBlock) {
  CheckAccess::Fill(check_, {MakePosition("A", "1", 1, 10)});
  const Position* block = CheckAccess::Block(check_);
  standin::testing::FailNth(standin::Fault::Allocation, 1);
  EXPECT_FALSE(check_.ReservePositions(5001));
  EXPECT_EQ(CheckAccess::Block(check_), block);
  EXPECT_EQ(CheckAccess::Capacity(check_), kInitialPositions);
  EXPECT_THAT(Rows(check_), ElementsAre("A|1|1|10"));
}

// ---- Removing counted items -----------------------------------------------

TEST(RemoveCountedItemTest, LaterItemsMoveUpWholeAndTheFreedPlaceIsCleared) {
  std::vector<CountedItem> items = {MakeItem("A", 1000, "ALT-A"), MakeItem("B", 2000, "ALT-B"),
                                    MakeItem("C", 3000, "ALT-C")};
  std::strcpy(items[2].quantity_text, "3");
  std::strcpy(items[2].line, "C;3");
  EXPECT_EQ(RemoveCountedItem(items.data(), 3, 1), 3);
  EXPECT_STREQ(items[0].symbol, "A");
  EXPECT_STREQ(items[1].symbol, "C");
  EXPECT_STREQ(items[1].alternative, "ALT-C");
  EXPECT_STREQ(items[1].quantity_text, "3");
  EXPECT_EQ(items[1].quantity, 3000);
  EXPECT_STREQ(items[1].line, "C;3");
  EXPECT_TRUE(AllZero(&items[2], sizeof(CountedItem)));
}

// An index outside the items, or no items at all, moves nothing.
TEST(RemoveCountedItemTest, IndexOutsideTheItemsChangesNothing) {
  std::vector<CountedItem> items = {MakeItem("A", 1000), MakeItem("B", 2000)};
  const std::vector<CountedItem> before = items;
  for (const std::int32_t index : {-1, 2}) {
    EXPECT_EQ(RemoveCountedItem(items.data(), 2, index), 2);
    EXPECT_EQ(std::memcmp(items.data(), before.data(), sizeof(CountedItem) * items.size()), 0) << index;
  }
  EXPECT_EQ(RemoveCountedItem(nullptr, 2, 0), 2);
}

// ---- The merge ---------------------------------------------------------------

using MergeTest = ModelTest;

// No items (none given, or a count of none) count nothing and add nothing.
TEST_F(MergeTest, NoItemsChangeNothing) {
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 500, 1000)});
  std::vector<CountedItem> items = {MakeItem("ZZ", 1000)};
  check_.MergeCountedItems(nullptr, 1);
  check_.MergeCountedItems(items.data(), 0);
  check_.MergeCountedItems(items.data(), -1);
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N1|500|1000"));
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(MergeTest, ItemsThatAllMatchLeaveNoBoxAndNoNewPosition) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 2000), MakePosition("Nit", "N1", 500, 1000)});
  std::vector<CountedItem> items = {MakeItem("N1", 500), MakeItem("S1", 2000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|2000|2000", "Nit|N1|1000|1000"));
  EXPECT_EQ(NewGoods(), 0);
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(MergeTest, TwoItemsOfOneSymbolBothAddToItsPosition) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 2000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000), MakeItem("S1", 1500)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|2500|2000"));
}

TEST_F(MergeTest, OfTwoPositionsWithOneSymbolOnlyTheFirstInListOrderReceives) {
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 0, 1000), MakePosition("Nit drugi", "N1", 700, 1000)});
  std::vector<CountedItem> items = {MakeItem("N1", 1000), MakeItem("N1", 2000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N1|3000|1000", "Nit drugi|N1|700|1000"));
}

TEST_F(MergeTest, ItemsRemovedInTheFirstPassLeaveTheOthersToTheSecond) {
  // Removing the first item must keep the later items' alternative codes
  // with their quantities.
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 1000), MakePosition("Nit", "N1", 0, 1000),
                             MakePosition("Wkręt", "W1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000), MakeItem("PACZKA-N", 2000, "N1"),
                                    MakeItem("PACZKA-W", 3000, "W1")};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|1000|1000", "Nit|N1|2000|1000", "Wkręt|W1|3000|1000"));
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(MergeTest, MatchedItemsLeaveTheArrayWithTheRestInOrderAndZerosBehind) {
  standin::testing::SetControlState(7, 1);
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 1000), MakePosition("Nit", "N1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000), MakeItem("X 9", 1000), MakeItem("P1", 1000, "N1"),
                                    MakeItem("Y7", 500)};
  Merge(items);
  EXPECT_STREQ(items[0].symbol, "X9");
  EXPECT_STREQ(items[1].symbol, "Y7");
  EXPECT_EQ(items[1].quantity, 500);
  EXPECT_TRUE(AllZero(&items[2], 2 * sizeof(CountedItem)));
}

TEST_F(MergeTest, TheSymbolWinsOverAnAlternativeCodeOfAnEarlierPosition) {
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 0, 1000), MakePosition("Śruba", "S1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000, "N1")};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N1|0|1000", "Śruba|S1|1000|1000"));
}

TEST_F(MergeTest, SpacesInTheCodeAreIgnoredButLetterCaseIsNot) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "AB12", 0, 2000)});
  std::vector<CountedItem> items = {MakeItem(" AB 12 ", 1000), MakeItem("ab12", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|AB12|1000|2000", "Nowy towar|ab12|1000|0"));
}

TEST_F(MergeTest, APositionSymbolWithASpaceDoesNotMatchTheSameCodeWithout) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "AB 12", 0, 2000)});
  std::vector<CountedItem> items = {MakeItem("AB12", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|AB 12|0|2000", "Nowy towar|AB12|1000|0"));
}

TEST_F(MergeTest, APositionWithoutASymbolNeverReceivesAndAnEmptyCodeBecomesANewPosition) {
  CheckAccess::Fill(check_, {MakePosition("Usługa", "", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Usługa||0|1000", "Nowy towar||1000|0"));
  EXPECT_EQ(NewGoods(), 1);
}

TEST_F(MergeTest, TwoLeftItemsWithOneCodeGiveTwoNewPositions) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("X9", 1000), MakeItem("X9", 2000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|0|1000", "Nowy towar|X9|1000|0", "Nowy towar|X9|2000|0"));
  EXPECT_EQ(NewGoods(), 2);
}

TEST_F(MergeTest, ALongCollectorCodeIsCutToTheSymbolFieldOfItsNewPosition) {
  CheckAccess::Fill(check_, {});
  std::vector<CountedItem> items = {MakeItem("5901234567890123456789", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy towar|5901234567890123|1000|0"));
}

TEST_F(MergeTest, WithNoAdditionsAnUnknownCodeIsAnnouncedAndDropped) {
  standin::testing::SetControlState(7, 1);
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000), MakeItem("X 9", 1000), MakeItem("Ź2", 500)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|1000|1000"));
  EXPECT_THAT(BoxTexts(), ElementsAre(NotOnInvoice("X9"), NotOnInvoice("Ź2")));
  EXPECT_EQ(front_.boxes()[0].kind, 1);
  EXPECT_EQ(front_.signals(), 2);
  EXPECT_EQ(NewGoods(), 0);
}

TEST_F(MergeTest, WithNoAdditionsAnEmptyCodeIsAnnouncedEmpty) {
  standin::testing::SetControlState(7, 1);
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("", 1000)};
  Merge(items);
  EXPECT_THAT(BoxTexts(), ElementsAre(NotOnInvoice("")));
}

// The host's states answered per call: the no-additions option is on for
// the first question only, as if the user cleared it during the merge.
class OptionClearedAfterTheFirstQuestion final : public standin::ControlStates {
 public:
  std::uint16_t Get(std::int32_t id) const override {
    if (id != 7) return 0;
    return questions_++ == 0 ? standin::kStateChecked : 0;
  }
  void Set(std::int32_t, std::uint16_t) override {}
  int questions() const { return questions_; }

 private:
  mutable int questions_ = 0;
};

TEST_F(MergeTest, TheNoAdditionsOptionIsAskedAfreshForEveryItemLeft) {
  OptionClearedAfterTheFirstQuestion states;
  standin::SetCurrentControlStates(&states);
  CheckAccess::Fill(check_, {});
  std::vector<CountedItem> items = {MakeItem("X9", 1000), MakeItem("Y8", 2000)};
  Merge(items);
  standin::SetCurrentControlStates(nullptr);
  EXPECT_EQ(states.questions(), 2);
  EXPECT_THAT(BoxTexts(), ElementsAre(NotOnInvoice("X9")));
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy towar|Y8|2000|0"));
}

TEST_F(MergeTest, OtherBitsOfTheOptionsStateDoNotTurnNoAdditionsOn) {
  standin::testing::SetControlState(7, 0x0002);
  CheckAccess::Fill(check_, {});
  std::vector<CountedItem> items = {MakeItem("X9", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy towar|X9|1000|0"));
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

TEST_F(MergeTest, ASumBeyondTheQuantityRangeIsRefusedAndTheUserIsTold) {
  CheckAccess::Fill(check_,
                    {MakePosition("Śruba", "S1", kMax - 500, 1000), MakePosition("Nit", "N1", kMin + 500, 1000)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000), MakeItem("N1", -1000), MakeItem("S1", -500)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|" + std::to_string(kMax - 1000) + "|1000",
                                        "Nit|N1|" + std::to_string(kMin + 500) + "|1000"));
  EXPECT_THAT(BoxTexts(),
              ElementsAre("Błąd: Ilość towaru S1 przekroczyłaby dopuszczalny zakres!\nIlość nie została dodana.",
                          "Błąd: Ilość towaru N1 przekroczyłaby dopuszczalny zakres!\nIlość nie została dodana."));
  // The refused items were meant for their positions: no new goods.
  EXPECT_EQ(check_.count(), 2);
}

TEST_F(MergeTest, ASumThatReachesTheRangeLimitExactlyIsAccepted) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", kMax - 1000, 0)});
  std::vector<CountedItem> items = {MakeItem("S1", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S1|" + std::to_string(kMax) + "|0"));
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

// ---- Normalisation ------------------------------------------------------------

using NormaliseTest = ModelTest;

TEST_F(NormaliseTest, EqualNameAndSymbolBecomeOnePositionCountedOnceOnTheDocument) {
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S1", 0, 2000), MakePosition("Nit", "N1", 0, 1000),
                             MakePosition("Śruba", "S1", 500, 3000)});
  check_.NormalisePositions();
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N1|0|1000", "Śruba|S1|500|5000"));
  EXPECT_EQ(OnDocument(), 2);
}

TEST_F(NormaliseTest, ManyDuplicatesCollapseAndTheFreedPlacesAreCleared) {
  std::vector<Position> list;
  for (int i = 0; i < 40; ++i) list.push_back(MakePosition("Nit", "N1", 0, 1000));
  list.push_back(MakePosition("Ćwiek", "C1", 0, 1000));
  CheckAccess::Fill(check_, list);
  check_.NormalisePositions();
  EXPECT_THAT(Rows(check_), ElementsAre("Ćwiek|C1|0|1000", "Nit|N1|0|40000"));
  EXPECT_TRUE(AllZero(CheckAccess::Block(check_) + 2, sizeof(Position) * 39));
}

TEST_F(NormaliseTest, OnlyNeighboursAfterTheNameSortAreMerged) {
  // Equal names come in no defined order: the two N1 meet and merge, or
  // stay apart with N2 between them. Either way nothing is lost or
  // doubled, and the list ends sorted by symbol.
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 500, 1000), MakePosition("Nit", "N2", 0, 1000),
                             MakePosition("Nit", "N1", 250, 2000)});
  check_.NormalisePositions();
  EXPECT_THAT(Rows(check_), AnyOf(ElementsAre("Nit|N1|750|3000", "Nit|N2|0|1000"),
                                  ElementsAre("Nit|N1|500|1000", "Nit|N1|250|2000", "Nit|N2|0|1000"),
                                  ElementsAre("Nit|N1|250|2000", "Nit|N1|500|1000", "Nit|N2|0|1000")));
  EXPECT_EQ(OnDocument(), check_.count());
}

TEST_F(NormaliseTest, EqualSymbolsWithDifferentNamesStayApart) {
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 0, 1000), MakePosition("Nit stalowy", "N1", 0, 2000)});
  check_.NormalisePositions();
  EXPECT_EQ(check_.count(), 2);
}

TEST_F(NormaliseTest, DuplicatesWhoseSumLeavesTheRangeStayApart) {
  CheckAccess::Fill(check_, {MakePosition("Nit", "N1", 0, kMax), MakePosition("Nit", "N1", 0, 1)});
  check_.NormalisePositions();
  EXPECT_EQ(check_.count(), 2);
  EXPECT_EQ(OnDocument(), 2);
}

TEST_F(NormaliseTest, TheResultIsOrderedBySymbolBytes) {
  // Bytes, not letters: "Z" (0x5A) before "a" (0x61) before "Ą" (Mazovia 0x8F).
  CheckAccess::Fill(check_, {MakePosition("A", "Ą1", 0, 1), MakePosition("B", "a1", 0, 1),
                             MakePosition("C", "Z1", 0, 1), MakePosition("D", "", 0, 1)});
  check_.NormalisePositions();
  EXPECT_THAT(Rows(check_), ElementsAre("D||0|1", "C|Z1|0|1", "B|a1|0|1", "A|Ą1|0|1"));
}

TEST_F(NormaliseTest, AnEmptyListStaysEmpty) {
  CheckAccess::Fill(check_, {});
  check_.NormalisePositions();
  EXPECT_EQ(check_.count(), 0);
  EXPECT_EQ(OnDocument(), 0);
}

// ---- The display order -----------------------------------------------------------

using DisplayOrderTest = ModelTest;

TEST_F(DisplayOrderTest, ShortagesFirstMatchesInTheMiddleSurplusesLast) {
  CheckAccess::Fill(check_, {MakePosition("Nowy towar", "X", 3000, 0), MakePosition("Śruba", "S1", 5000, 5000),
                             MakePosition("Nit", "N1", 1000, 5000)});
  check_.SortForDisplay();
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N1|1000|5000", "Śruba|S1|5000|5000", "Nowy towar|X|3000|0"));
}

TEST_F(DisplayOrderTest, EqualDifferencesAreOrderedByTheHostsComparisonOfSymbols) {
  // Byte order would put "a7" last; the host's collation here ignores case.
  standin::testing::CompareTextIgnoringCase(true);
  CheckAccess::Fill(check_, {MakePosition("A", "W2", 0, 0), MakePosition("B", "W10", 1000, 1000),
                             MakePosition("C", "a7", 2000, 2000), MakePosition("D", "B2", 0, 0)});
  check_.SortForDisplay();
  standin::testing::CompareTextIgnoringCase(false);
  EXPECT_THAT(Rows(check_), ElementsAre("C|a7|2000|2000", "D|B2|0|0", "B|W10|1000|1000", "A|W2|0|0"));
}

TEST_F(DisplayOrderTest, DifferencesBeyondThe32BitRangeDoNotWrapAround) {
  // −4 000 000 000 would wrap to +294 967 296 in 32 bits.
  CheckAccess::Fill(check_,
                    {MakePosition("Nadwyżka", "B", 1000, 0), MakePosition("Brak", "A", -2000000000, 2000000000)});
  check_.SortForDisplay();
  EXPECT_THAT(Rows(check_), ElementsAre("Brak|A|-2000000000|2000000000", "Nadwyżka|B|1000|0"));
}

}  // namespace
}  // namespace verify::testing_support
