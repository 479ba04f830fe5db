#include <gtest/gtest.h>

#include <utility>

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "standin/dialog/controls.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/entries.h"
#include "standin/recording_frontend.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/make_positions.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/class_table.h"
#include "verify/dialog/dialog_template.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

using testing_support::MakePosition;

std::string Row(CZrobPrufacje& check, std::int16_t row) {
  const std::intptr_t text = check.RowText(row);
  return text == 0 ? std::string("<null>") : codepage::MazoviaToUtf8(reinterpret_cast<const char*>(text));
}

class DialogObjectTest : public ::testing::Test {
 protected:
  void SetUp() override { ::testing_support::BindToStandIn(); }
  standin::RecordingFrontEnd front_;
};

TEST_F(DialogObjectTest, RemarksFollowCountedAgainstInvoiced) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {
                               MakePosition("Śruba", "A1", 2000, 2000),
                               MakePosition("Wkręt", "A2", 2500, 2000),
                               MakePosition("Nit", "A3", 1000, 2000),
                               MakePosition("Podkładka", "A4", 0, 2000),
                               MakePosition("Nowy towar", "A5", 1000, 0),
                               MakePosition("Pusty", "A6", 0, 0),
                               MakePosition("Zwrot", "A7", -1000, 2000),
                           });
  EXPECT_EQ(Row(check, 0), "   1. Śruba\rA1\r2.00\r2.00\r  OK");
  EXPECT_EQ(Row(check, 1), "   2. Wkręt\rA2\r2.50\r2.00\rDUŻO");
  EXPECT_EQ(Row(check, 2), "   3. Nit\rA3\r1.00\r2.00\rmało");
  EXPECT_EQ(Row(check, 3), "   4. Podkładka\rA4\r0.00\r2.00\rniepruf.");
  EXPECT_EQ(Row(check, 4), "   5. Nowy towar\rA5\r1.00\r0.00\rDUŻO");
  EXPECT_EQ(Row(check, 5), "   6. Pusty\rA6\r0.00\r0.00\r  OK");
  EXPECT_EQ(Row(check, 6), "   7. Zwrot\rA7\r-1.00\r2.00\rmało");
}

TEST_F(DialogObjectTest, FirstRowRequestAfterAChangeIsNullAndClearsTheFlag) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 2500)});
  CheckAccess::SetRefresh(check, true);
  EXPECT_EQ(check.RowText(-1), 1);  // the count, flag untouched
  EXPECT_TRUE(check.list_refresh());
  EXPECT_EQ(Row(check, 0), "<null>");
  EXPECT_FALSE(check.list_refresh());
  EXPECT_EQ(Row(check, 0), "   1. Nit\rA3\r0.00\r2.50\rniepruf.");
}

TEST_F(DialogObjectTest, RowTextRemovesSpacesFromTheStoredSymbol) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "AB 12", 0, 1000)});
  EXPECT_EQ(Row(check, 0), "   1. Nit\rAB12\r0.00\r1.00\rniepruf.");
  EXPECT_STREQ(check.Positions()[0].symbol, "AB12");
}

TEST_F(DialogObjectTest, RowTextStaysInsideItsFieldForTheLongestPosition) {
  CZrobPrufacje check;
  const std::string name(120, 'N');
  CheckAccess::Fill(check, {MakePosition(name.c_str(), "SSSSSSSSSSSSSSSS", -2147483647, 2147483647)});
  const std::string row = Row(check, 0);
  EXPECT_EQ(row.rfind("   1. " + name + "\rSSSSSSSSSSSSSSSS\r-2147483.65\r2147483.65\r", 0), 0u) << row;
  EXPECT_LT(row.size(), 256u);
}

TEST_F(DialogObjectTest, RowOutsideTheListReadsEmpty) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000)});
  EXPECT_EQ(Row(check, 1), "");
  EXPECT_EQ(Row(check, 300), "");
  EXPECT_EQ(Row(check, -2), "");
}

TEST_F(DialogObjectTest, ACheckThatHasNotRunHasNoRows) {
  CZrobPrufacje check;
  EXPECT_TRUE(std::as_const(check).Positions().empty());
  EXPECT_TRUE(check.Positions().empty());
  EXPECT_EQ(check.RowText(-1), 0);
  EXPECT_EQ(Row(check, 0), "");
}

TEST_F(DialogObjectTest, ClassTableHoldsTheCheckOperationsAndTheInheritedHostEntries) {
  const auto table = ClassTable();
  ASSERT_EQ(table.size(), 32u);
  auto stub = [](auto function) { return reinterpret_cast<void*>(function); };
  const std::vector<std::pair<int, void*>> inherited = {
      {2, stub(&korpus::DialogVirtual20958)},  {3, stub(&korpus::DialogVirtual20959)},
      {4, stub(&korpus::DialogVirtual20960)},  {5, stub(&korpus::DialogVirtual20961)},
      {6, stub(&korpus::DialogVirtual20962)},  {7, stub(&korpus::DialogVirtual20963)},
      {8, stub(&korpus::DialogVirtual20964)},  {9, stub(&korpus::DialogVirtual20965)},
      {10, stub(&korpus::DialogVirtual20966)}, {11, stub(&korpus::DialogVirtual20957)},
      {12, stub(&korpus::DialogVirtual20948)}, {13, stub(&korpus::DialogVirtual20949)},
      {14, stub(&korpus::DialogVirtual20950)}, {15, stub(&korpus::DialogVirtual20951)},
      {16, stub(&korpus::DialogVirtual20952)}, {17, stub(&korpus::DialogVirtual20953)},
      {18, stub(&korpus::DialogVirtual20954)}, {19, stub(&korpus::DialogVirtual20955)},
      {20, stub(&korpus::DialogVirtual20956)}, {21, stub(&korpus::DialogVirtual20947)},
      {23, stub(&korpus::DialogVirtual20939)}, {24, stub(&korpus::DialogVirtual20940)},
      {25, stub(&korpus::DialogVirtual20941)}, {26, stub(&korpus::DialogVirtual20942)},
      {27, stub(&korpus::DialogVirtual20943)}, {28, stub(&korpus::DialogVirtual20944)},
      {29, stub(&korpus::DialogVirtual20945)}, {30, stub(&korpus::DialogVirtual20946)},
      {31, stub(&korpus::DialogVirtual20937)},
  };
  for (const auto& [slot, address] : inherited) EXPECT_EQ(table[slot], address) << "slot " << slot;
  for (int own : {0, 1, 22}) {
    for (const auto& [slot, address] : inherited) EXPECT_NE(table[own], address) << "slot " << own;
  }
}

TEST_F(DialogObjectTest, ObjectUsesItsOwnClassTableAndItsSlotsReachTheOperations) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000), MakePosition("Wkręt", "A4", 0, 1000)});
  const korpus_abi::ClassTable table = CheckAccess::TableOf(check);
  EXPECT_EQ(table, ClassTable().data());

  using RowSlot = std::intptr_t(KORPUS_METHOD*)(void*, std::int16_t, std::int32_t);
  EXPECT_EQ(reinterpret_cast<RowSlot>(table[22])(&check, -1, 0), 2);

  // A focus event on the list enables the hidden Enter button.
  standin::testing::SetControlState(13, 0x0002);
  using EventSlot = std::int32_t(KORPUS_METHOD*)(void*, std::int16_t, std::int16_t);
  EXPECT_EQ(reinterpret_cast<EventSlot>(table[1])(&check, 6, -1), 0);
  EXPECT_EQ(standin::testing::ControlStateOf(13), 0);
}

TEST_F(DialogObjectTest, DestructionReturnsThePositionsBlock) {
  const long allocations = standin::testing::CallCount(standin::Fault::Allocation);
  const long live = standin::testing::LiveBlocks();
  {
    CZrobPrufacje check;
    CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000)});
    ASSERT_NE(CheckAccess::Block(check), nullptr);
    EXPECT_EQ(standin::testing::LiveBlocks(), live + 1) << "the positions are in a host block";
  }
  EXPECT_EQ(standin::testing::CallCount(standin::Fault::Allocation), allocations + 1);
  EXPECT_EQ(standin::testing::LiveBlocks(), live) << "the destructor handed the block back to the host";
}

// The real check object inside a dialog of its own template, opened by the
// stand-in's engine, so that the value and state entries answer as in a run.
struct InItsDialog {
  CZrobPrufacje check;
  standin::testing::OpenedDialog opened{DialogTemplate().data(), &check.values()};
};

bool Disabled(std::int32_t id) { return (standin::testing::ControlStateOf(id) & standin::kStateDisabled) != 0; }
bool Checked(std::int32_t id) { return (standin::testing::ControlStateOf(id) & standin::kStateChecked) != 0; }

TEST_F(DialogObjectTest, OpeningFocusesTheSymbolEnablesTheQuantityTicksTheOptionAndSortsTheList) {
  InItsDialog in;
  ASSERT_TRUE(in.opened.ok());
  CheckAccess::Fill(in.check, {MakePosition("Nadwyżka", "B", 2000, 0), MakePosition("Brak", "A", 0, 3000)});
  standin::entry::ControlState(4, standin::kStateDisabled, 1);
  standin::entry::ControlState(5, standin::kStateDisabled, 1);
  standin::entry::ControlState(2, standin::kStateChecked, 0);
  in.check.HandleEvent(6, -1);  // the focus in the list before

  EXPECT_EQ(in.check.HandleEvent(0, -2), 0);

  EXPECT_FALSE(Disabled(4));
  EXPECT_FALSE(Disabled(5));
  EXPECT_TRUE(Checked(2));
  EXPECT_EQ(Row(in.check, 0).substr(0, 10), "   1. Brak");
  // Enter with the option on leads from the symbol field to the quantity.
  EXPECT_EQ(in.check.HandleEvent(13, 1), 5);
}

TEST_F(DialogObjectTest, TheQuantitiesOptionDisablesTheQuantityAndEnablesItAgain) {
  InItsDialog in;
  ASSERT_TRUE(in.opened.ok());
  for (const bool on : {false, true, false, true}) {
    SCOPED_TRACE(on ? "on" : "off");
    standin::entry::ControlState(2, standin::kStateChecked, on ? 1 : 0);
    EXPECT_EQ(in.check.HandleEvent(2, 1), 0);
    EXPECT_EQ(Disabled(4), !on);
    EXPECT_EQ(Disabled(5), !on);
  }
}

// The hidden Enter button serves the two fields and the list only: on a
// check box or a button Enter stays theirs.
TEST_F(DialogObjectTest, TheHiddenEnterButtonFollowsTheFocus) {
  InItsDialog in;
  ASSERT_TRUE(in.opened.ok());
  const struct {
    std::int16_t focus;
    bool enter_enabled;
  } cases[] = {{3, true}, {2, false}, {5, true}, {7, false}, {6, true}, {0x5001, false},
               {3, true}, {0x3E00, false}, {5, true}, {0x3F00, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.focus);
    EXPECT_EQ(in.check.HandleEvent(c.focus, -1), 0);
    EXPECT_EQ(Disabled(13), !c.enter_enabled);
  }
}

// A row chosen in the list puts its symbol into the symbol field; a choice
// event of another control, or a row that the list no longer has, copies
// nothing.
TEST_F(DialogObjectTest, AChosenRowOfTheListGivesItsSymbol) {
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "A1", 0, 1000), MakePosition("Klej", "B2", 0, 1000)});
  alignas(void*) std::uint8_t rows[korpus_abi::kDelegateSize];
  standin::entry::DelegateMake(rows, &check, reinterpret_cast<void*>(&standin::entry::DialogRowText));
  using Callable = void*(KORPUS_METHOD*)(void*);
  void* const* delegate_table = nullptr;
  std::memcpy(&delegate_table, rows, sizeof delegate_table);
  standin::testing::OpenedDialog opened(DialogTemplate().data(), &check.values(),
                                        reinterpret_cast<Callable>(delegate_table[1])(rows));
  ASSERT_TRUE(opened.ok());
  standin::dialog::ListBox* list = opened.dialog().FindList(6);
  ASSERT_NE(list, nullptr);
  list->Refresh(false);
  *static_cast<std::uint16_t*>(standin::entry::ValueAddress(6)) = 1;
  list->Sync();
  ASSERT_EQ(list->current(), 1);
  char* const symbol = static_cast<char*>(standin::entry::ValueAddress(3));

  const struct {
    const char* what;
    std::int16_t code;
    std::int32_t count;
    const char* symbol;
  } cases[] = {{"another control", 3, 2, "ZZ"}, {"the list", 6, 2, "B2"}, {"a row gone", 6, 1, "ZZ"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::strcpy(symbol, "ZZ");
    CheckAccess::SetCount(check, c.count);
    EXPECT_EQ(check.HandleEvent(c.code, 4), 0);
    EXPECT_STREQ(symbol, c.symbol);
  }
  CheckAccess::SetCount(check, 2);
  standin::entry::DelegateRelease(rows);
}

// Enter leads by the quantities option and the focused control: between
// the two fields with the option on, back to the symbol from the list,
// and nowhere (-2) from any other control.
TEST_F(DialogObjectTest, EnterLeadsByTheOptionAndTheFocus) {
  InItsDialog in;
  ASSERT_TRUE(in.opened.ok());
  const struct {
    bool quantities;
    std::int16_t focus;
    std::int32_t next;
  } cases[] = {{true, 3, 5},  {true, 5, 3},  {true, 6, 3},  {true, 2, -2}, {true, 0x3E00, -2},
               {false, 3, 3}, {false, 5, -2}, {false, 6, 3}, {false, 7, -2}, {false, 0x5001, -2}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.quantities << " " << c.focus);
    standin::entry::ControlState(2, standin::kStateChecked, c.quantities ? 1 : 0);
    in.check.HandleEvent(c.focus, -1);
    EXPECT_EQ(in.check.HandleEvent(13, 1), c.next);
  }
}

// Slot 0 destroys the object as the host asks: the positions block goes
// back, the host's part is destroyed, and with bit 0 the object's own
// memory is returned too.
TEST_F(DialogObjectTest, SlotZeroDestroysAndWithBitZeroFreesTheObject) {
  using DestroySlot = void*(KORPUS_METHOD*)(void*, std::uint32_t);
  for (const std::uint32_t flags : {0u, 1u}) {
    SCOPED_TRACE(flags);
    ::testing_support::BindToStandIn();  // so that the host's destructor is looked up when reached
    const long live = standin::testing::LiveBlocks();
    const int destructs = standin::testing::LookupCount(20903);
    void* memory = korpus::AllocateZeroed(1, sizeof(CZrobPrufacje));
    ASSERT_NE(memory, nullptr);
    auto* check = new (memory) CZrobPrufacje;
    CheckAccess::Fill(*check, {MakePosition("Nit", "A3", 0, 1000)});
    ASSERT_EQ(standin::testing::LiveBlocks(), live + 2);

    EXPECT_EQ(reinterpret_cast<DestroySlot>(ClassTable()[0])(check, flags), check);

    EXPECT_EQ(standin::testing::LookupCount(20903), destructs + 1);
    if (flags == 0) {
      EXPECT_EQ(standin::testing::LiveBlocks(), live + 1) << "the object stays";
      check->~CZrobPrufacje();  // does nothing more
      EXPECT_EQ(standin::testing::LiveBlocks(), live + 1);
      korpus::Free(memory);
    }
    EXPECT_EQ(standin::testing::LiveBlocks(), live);
  }
}

// The free entry missing and answered Abort: the block is given up, the
// host's part of the object is still destroyed, and the failure reaches
// the caller of Destroy; the destructor afterwards does nothing more.
TEST_F(DialogObjectTest, DestroyGoesOnPastAnAbandonedFreeAndReportsIt) {
  standin::testing::HideEntry(21287);
  front_.Answer(3);  // Abort
  const int destructs = standin::testing::LookupCount(20903);
  {
    CZrobPrufacje check;
    CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000)});
    Position* const block = CheckAccess::Block(check);
    ASSERT_NE(block, nullptr);
    EXPECT_THROW(check.Destroy(0), host::binding::HostCallAbandoned);
    standin::entry::Free(block);  // what the host lacked
    EXPECT_EQ(CheckAccess::Block(check), nullptr) << "no pointer to a block that may be gone";
    EXPECT_EQ(check.count(), 0);
    EXPECT_EQ(standin::testing::LookupCount(20903), destructs + 1) << "the host's destructor was reached";
  }
  EXPECT_EQ(standin::testing::LookupCount(20903), destructs + 1) << "destroyed once";
  standin::testing::ShowAllEntries();
}

// Every step of the destruction is tried even when each one's entry is
// missing and answered Abort; the first failure is the one reported.
TEST_F(DialogObjectTest, DestroyTriesEveryStepAndReportsTheFirstFailure) {
  const std::uint16_t missing[] = {21287, 20903, 21294};  // free, host destructor, object delete
  for (const std::uint16_t ordinal : missing) {
    standin::testing::HideEntry(ordinal);
    front_.Answer(3);  // Abort
  }
  CZrobPrufacje check;
  CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000)});
  Position* const block = CheckAccess::Block(check);
  try {
    check.Destroy(1);
    ADD_FAILURE() << "the failures were not reported";
  } catch (const host::binding::HostCallAbandoned& abandoned) {
    EXPECT_EQ(abandoned.ordinal(), 21287u);
  }
  EXPECT_EQ(front_.boxes().size(), std::size(missing)) << "every step reached its entry";
  standin::testing::ShowAllEntries();
  standin::entry::Free(block);
}

// The same failure inside the destructor ends nothing but the free.
TEST_F(DialogObjectTest, DestructorSwallowsAnAbandonedFree) {
  standin::testing::HideEntry(21287);
  front_.Answer(3);
  const int destructs = standin::testing::LookupCount(20903);
  Position* block = nullptr;
  {
    CZrobPrufacje check;
    CheckAccess::Fill(check, {MakePosition("Nit", "A3", 0, 1000)});
    block = CheckAccess::Block(check);
  }
  standin::entry::Free(block);
  EXPECT_EQ(standin::testing::LookupCount(20903), destructs + 1);
  EXPECT_EQ(front_.boxes().size(), 1u);
  standin::testing::ShowAllEntries();
}

}  // namespace
}  // namespace verify
