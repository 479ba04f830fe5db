// The packed records that cross the boundary, measured at run time on
// each build: the Linux build and the 32-bit Windows build must print and
// check the same sizes and offsets. Records that hold a pointer follow the
// pointer's size; at 32 bits they are the host's own layout.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>

#include "abi/records.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/records.h"

namespace {

struct Field {
  const char* name;
  std::size_t offset;
  std::size_t expected;
};

void Check(const char* record, std::size_t size, std::size_t expected_size, std::initializer_list<Field> fields) {
  std::printf("%-16s size %4zu\n", record, size);
  EXPECT_EQ(size, expected_size) << record;
  for (const Field& f : fields) {
    std::printf("  %-20s at %4zu\n", f.name, f.offset);
    EXPECT_EQ(f.offset, f.expected) << record << "." << f.name;
  }
}

constexpr std::size_t kPointer = sizeof(void*);

TEST(PackedLayouts, CheckRecordsOfThePlugin) {
  using verify::CountedItem;
  using verify::Position;
  Check("Position", sizeof(Position), 146,
        {{"name", offsetof(Position, name), 0},
         {"symbol", offsetof(Position, symbol), 121},
         {"counted", offsetof(Position, counted), 138},
         {"invoiced", offsetof(Position, invoiced), 142}});
  Check("CountedItem", sizeof(CountedItem), 1796,
        {{"symbol", offsetof(CountedItem, symbol), 0},
         {"alternative", offsetof(CountedItem, alternative), 256},
         {"quantity_text", offsetof(CountedItem, quantity_text), 512},
         {"quantity", offsetof(CountedItem, quantity), 768},
         {"line", offsetof(CountedItem, line), 772}});
  Check("ValueBuffer", sizeof(verify::ValueBuffer), 27,
        {{"symbol", offsetof(verify::ValueBuffer, symbol), 2},
         {"quantity", offsetof(verify::ValueBuffer, quantity), 19},
         {"list", offsetof(verify::ValueBuffer, list), 23},
         {"no_additions", offsetof(verify::ValueBuffer, no_additions), 25}});
  using verify::SummaryCounters;
  Check("SummaryCounters", sizeof(SummaryCounters), 24,
        {{"on_document", offsetof(SummaryCounters, on_document), 0},
         {"differences", offsetof(SummaryCounters, differences), 4},
         {"off_invoice", offsetof(SummaryCounters, off_invoice), 8},
         {"correct", offsetof(SummaryCounters, correct), 12},
         {"new_goods", offsetof(SummaryCounters, new_goods), 16},
         {"unchecked", offsetof(SummaryCounters, unchecked), 20}});
}

TEST(PackedLayouts, HostTableRecords) {
  using namespace korpus_abi;
  Check("PositionRecord", sizeof(PositionRecord), 164,
        {{"name", offsetof(PositionRecord, name), 2},
         {"symbol", offsetof(PositionRecord, symbol), 123},
         {"quantity", offsetof(PositionRecord, quantity), 140}});
  Check("ContextRecord", sizeof(ContextRecord), 32,
        {{"number", offsetof(ContextRecord, number), 2}, {"flag", offsetof(ContextRecord, flag), 24}});
  Check("GoodsRecord", sizeof(GoodsRecord), 160,
        {{"name", offsetof(GoodsRecord, name), 2}, {"symbol", offsetof(GoodsRecord, symbol), 123}});
  Check("CodeRecord", sizeof(CodeRecord), 148,
        {{"code", offsetof(CodeRecord, code), 0},
         {"factor", offsetof(CodeRecord, factor), 17},
         {"goods_symbol", offsetof(CodeRecord, goods_symbol), 21},
         {"first_locator", offsetof(CodeRecord, first_locator), 140},
         {"second_locator", offsetof(CodeRecord, second_locator), 142}});
}

TEST(PackedLayouts, HostObjectsAtThePointerSizeOfTheBuild) {
  using namespace korpus_abi;
  Check("TableObject", sizeof(TableObject), 104 + kPointer + 16,
        {{"version", offsetof(TableObject, version), 6},
         {"record", offsetof(TableObject, record), 8},
         {"list_handler", offsetof(TableObject, list_handler), 104}});
  Check("ListState", sizeof(ListState), 128,
        {{"first_visible", offsetof(ListState, first_visible), 80},
         {"top", offsetof(ListState, top), 84},
         {"cursor", offsetof(ListState, cursor), 88}});
  // The check object: the host's base, then 356 bytes of packed fields
  // holding one pointer (the position block) and the block's room.
  const std::size_t base = sizeof(WDialogBase);
  Check("CZrobPrufacje", sizeof(verify::CZrobPrufacje), base + 352 + kPointer, {});
#if defined(__i386__)
  // The host's own 32-bit layout.
  EXPECT_EQ(sizeof(WDialogBase), 32u);
  EXPECT_EQ(sizeof(verify::CZrobPrufacje), 388u);
  EXPECT_EQ(sizeof(TableObject), 124u);
#endif
}

}  // namespace
