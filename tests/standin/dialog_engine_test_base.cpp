// WDialogBase in the stand-in: construction, its class table, the two
// entries that reach an object's slots 1 and 22, and delegate objects.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/dialog_engine_driver.h"

namespace engine_test {
namespace {

namespace entry = standin::entry;

template <typename F>
void* Address(F function) {
  return reinterpret_cast<void*>(function);
}

using Callable = void*(KORPUS_METHOD*)(void*);
void* CallableOf(void* delegate) {
  void* const* table = nullptr;
  std::memcpy(&table, delegate, sizeof table);
  return reinterpret_cast<Callable>(table[1])(delegate);
}

TEST(DialogBase, ConstructionSetsTheHostsClassTableAndZeroesTheHostState) {
  korpus_abi::WDialogBase base;
  std::memset(&base, 0xAB, sizeof base);
  EXPECT_EQ(entry::DialogConstruct(&base), &base);
  EXPECT_EQ(base.class_table, standin::dialog::BaseClassTable().data());
  for (std::uint8_t byte : base.host_state) EXPECT_EQ(byte, 0);
}

TEST(DialogBase, TheHostsClassTableHoldsTheInheritedEntriesInSlotOrder) {
  const auto table = standin::dialog::BaseClassTable();
  ASSERT_EQ(table.size(), 32u);
  const void* expected[32] = {};
  expected[2] = Address(&entry::DialogVirtual20958);
  expected[3] = Address(&entry::DialogVirtual20959);
  expected[4] = Address(&entry::DialogVirtual20960);
  expected[5] = Address(&entry::DialogVirtual20961);
  expected[6] = Address(&entry::DialogVirtual20962);
  expected[7] = Address(&entry::DialogVirtual20963);
  expected[8] = Address(&entry::DialogVirtual20964);
  expected[9] = Address(&entry::DialogVirtual20965);
  expected[10] = Address(&entry::DialogVirtual20966);
  expected[11] = Address(&entry::DialogVirtual20957);
  expected[12] = Address(&entry::DialogVirtual20948);
  expected[13] = Address(&entry::DialogVirtual20949);
  expected[14] = Address(&entry::DialogVirtual20950);
  expected[15] = Address(&entry::DialogVirtual20951);
  expected[16] = Address(&entry::DialogVirtual20952);
  expected[17] = Address(&entry::DialogVirtual20953);
  expected[18] = Address(&entry::DialogVirtual20954);
  expected[19] = Address(&entry::DialogVirtual20955);
  expected[20] = Address(&entry::DialogVirtual20956);
  expected[21] = Address(&entry::DialogVirtual20947);
  expected[23] = Address(&entry::DialogVirtual20939);
  expected[24] = Address(&entry::DialogVirtual20940);
  expected[25] = Address(&entry::DialogVirtual20941);
  expected[26] = Address(&entry::DialogVirtual20942);
  expected[27] = Address(&entry::DialogVirtual20943);
  expected[28] = Address(&entry::DialogVirtual20944);
  expected[29] = Address(&entry::DialogVirtual20945);
  expected[30] = Address(&entry::DialogVirtual20946);
  expected[31] = Address(&entry::DialogVirtual20937);
  for (std::size_t slot = 0; slot < 32; ++slot) {
    if (slot == 0 || slot == 1 || slot == 22) {
      EXPECT_NE(table[slot], nullptr) << slot;
      continue;
    }
    EXPECT_EQ(table[slot], expected[slot]) << slot;
  }
}

TEST(DialogBase, TheBasesOwnOperationsAnswerZero) {
  korpus_abi::WDialogBase base;
  entry::DialogConstruct(&base);
  const auto table = standin::dialog::BaseClassTable();
  using Plain = std::int32_t(KORPUS_METHOD*)(void*);
  for (std::size_t slot = 2; slot < 32; ++slot) {
    if (slot == 22) continue;
    EXPECT_EQ(reinterpret_cast<Plain>(table[slot])(&base), 0) << slot;
  }
  EXPECT_EQ(entry::DialogDeliverEvent(&base, 3, 1), 0);
  EXPECT_EQ(entry::DialogRowText(&base, -1, 0), 0);
}

TEST(DialogBase, SlotZeroDestroysAndFreesWhenAsked) {
  auto* object = static_cast<korpus_abi::WDialogBase*>(entry::AllocateZeroed(1, sizeof(korpus_abi::WDialogBase)));
  entry::DialogConstruct(object);
  using Destroy = void*(KORPUS_METHOD*)(void*, std::uint32_t);
  auto destroy = reinterpret_cast<Destroy>(standin::dialog::BaseClassTable()[0]);
  // Without bit 0 the object stays; with it the memory goes back (the
  // sanitizer build would report a leak otherwise).
  EXPECT_EQ(destroy(object, 0), object);
  EXPECT_EQ(object->class_table, standin::dialog::BaseClassTable().data());
  destroy(object, 1);
}

TEST(DialogBase, DestructionPutsTheHostsTableBack) {
  FakeDialog dialog;
  ASSERT_NE(dialog.base.class_table, standin::dialog::BaseClassTable().data());
  entry::DialogDestruct(&dialog);
  EXPECT_EQ(dialog.base.class_table, standin::dialog::BaseClassTable().data());
  dialog.base.class_table = dialog.table;
}

TEST(DialogBase, DeliverEventCallsSlotOneWithCodeAndKind) {
  FakeDialog dialog;
  dialog.on_event = [](std::int16_t code, std::int16_t kind) { return code + kind; };
  EXPECT_EQ(entry::DialogDeliverEvent(&dialog, 0x3E00, 1), 0x3E01);
  EXPECT_EQ(entry::DialogDeliverEvent(&dialog, 0, -2), -2);
  EXPECT_EQ(dialog.events, (std::vector<Event>{{0x3E00, 1}, {0, -2}}));
}

TEST(DialogBase, RowTextCallsSlotTwentyTwo) {
  FakeDialog dialog;
  dialog.rows = {"first", "second"};
  EXPECT_EQ(entry::DialogRowText(&dialog, -1, 0), 2);
  EXPECT_STREQ(reinterpret_cast<const char*>(entry::DialogRowText(&dialog, 1, 0)), "second");
  EXPECT_EQ(dialog.row_requests, (std::vector<std::int32_t>{-1, 1}));
}

// A plug-in that hands over no object, an object without a class table or
// a row no list has gets 0 and nothing is called.
TEST(DialogBase, NoObjectNoClassTableAndRowsOutOfRangeAnswerZero) {
  EXPECT_EQ(entry::DialogConstruct(nullptr), nullptr);
  entry::DialogDestruct(nullptr);
  EXPECT_EQ(entry::DialogDeliverEvent(nullptr, 3, 1), 0);
  EXPECT_EQ(entry::DialogRowText(nullptr, 0, 0), 0);

  korpus_abi::WDialogBase tableless{};
  EXPECT_EQ(entry::DialogDeliverEvent(&tableless, 3, 1), 0);
  EXPECT_EQ(entry::DialogRowText(&tableless, 0, 0), 0);

  FakeDialog dialog;
  dialog.rows = {"only"};
  EXPECT_EQ(entry::DialogRowText(&dialog, -2, 0), 0);
  EXPECT_EQ(entry::DialogRowText(&dialog, 32768, 0), 0);
  EXPECT_TRUE(dialog.row_requests.empty());
}

// Delegates ---------------------------------------------------------------

TEST(Delegate, ItsCallableReachesTheBoundMemberOfTheObject) {
  FakeDialog dialog;
  dialog.rows = {"only"};
  alignas(void*) std::uint8_t events[korpus_abi::kDelegateSize];
  alignas(void*) std::uint8_t rows[korpus_abi::kDelegateSize];
  EXPECT_EQ(entry::DelegateMake(events, &dialog, Address(&entry::DialogDeliverEvent)), events);
  entry::DelegateMake(rows, &dialog, Address(&entry::DialogRowText));
  standin::dialog::DelegateClient client(CallableOf(rows), CallableOf(events));
  client.Event(5, 1);
  EXPECT_EQ(dialog.events, (std::vector<Event>{{5, 1}}));
  EXPECT_EQ(client.Row(-1), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(client.Row(0)), "only");
  entry::DelegateRelease(events);
  entry::DelegateRelease(rows);
}

TEST(Delegate, WorksInStorageThatIsNotAlignedForPointers) {
  FakeDialog dialog;
  alignas(void*) std::uint8_t storage[korpus_abi::kDelegateSize + 1];
  void* delegate = storage + 1;
  entry::DelegateMake(delegate, &dialog, Address(&entry::DialogDeliverEvent));
  standin::dialog::DelegateClient client(nullptr, CallableOf(delegate));
  client.Event(7, 1);
  EXPECT_EQ(dialog.events, (std::vector<Event>{{7, 1}}));
  EXPECT_EQ(client.Row(-1), 0);
}

TEST(Delegate, AReleasedDelegateHandsOutNoCallableAndCallsNothing) {
  FakeDialog dialog;
  alignas(void*) std::uint8_t delegate[korpus_abi::kDelegateSize];
  entry::DelegateMake(delegate, &dialog, Address(&entry::DialogDeliverEvent));
  void* callable = CallableOf(delegate);
  ASSERT_NE(callable, nullptr);
  entry::DelegateRelease(delegate);
  EXPECT_EQ(CallableOf(delegate), nullptr);
  standin::dialog::DelegateClient stale(nullptr, callable);
  EXPECT_EQ(stale.Event(5, 1), 0);
  EXPECT_TRUE(dialog.events.empty());
}

TEST(Delegate, SlotZeroReleasesItToo) {
  FakeDialog dialog;
  alignas(void*) std::uint8_t delegate[korpus_abi::kDelegateSize];
  entry::DelegateMake(delegate, &dialog, Address(&entry::DialogDeliverEvent));
  using Destroy = void*(KORPUS_METHOD*)(void*, std::uint32_t);
  reinterpret_cast<Destroy>(standin::dialog::DelegateClassTable()[0])(delegate, 0);
  EXPECT_EQ(CallableOf(delegate), nullptr);
}

}  // namespace
}  // namespace engine_test
