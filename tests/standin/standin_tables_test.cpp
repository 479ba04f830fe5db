// The stand-in's tables as the plug-in sees them through the entries, over
// both stores: record layouts byte for byte, scan order and end values,
// nested cursors, context numbers, versions and faults.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "abi/records.h"
#include "standin/entries.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/tables/value_problems.h"
#include "standin/testing.h"
#include "tests/support/fault_rounds.h"
#include "tests/support/legacy_database.h"

// Every allocation of the process (standin_allocation_count.cpp).
namespace allocation_count {
extern std::atomic<long> total;
}  // namespace allocation_count

namespace {

using namespace standin;
namespace abi = korpus_abi;

// Cursor and key storage as a caller of the scan entries holds it.
struct ScanStorage {
  alignas(8) std::uint8_t cursor[abi::kCursorSize] = {};
  alignas(8) std::uint8_t key[abi::kKeySize] = {};
};

std::string FieldText(const char* field) { return field; }

std::string Mz(const char* mazovia) { return mazovia; }

template <typename Record>
const Record& RecordOf(std::int32_t table) {
  return *static_cast<const Record*>(entry::OpenTable(table)->record);
}

// Starts a scan by number key; true when it started.
bool StartByNumber(ScanStorage& scan, std::int32_t table, std::int32_t index, std::int32_t value) {
  entry::BuildNumberKey(index, 0, scan.key, value);
  return entry::ScanStart(scan.cursor, entry::OpenTable(table), index, scan.key, 0, 0) != 0;
}

bool StartCodes(ScanStorage& scan) {
  entry::BuildTextKey(154, scan.key, "MMM", ".UNR", 117);
  return entry::ScanStart(scan.cursor, entry::OpenTable(117), 154, scan.key, 0, 0) != 0;
}

// Every record of a started scan, through `take`, and the step that ended it.
template <typename Take>
std::int32_t Drain(ScanStorage& scan, Take take) {
  for (;;) {
    const std::int32_t step = entry::ScanNext(scan.cursor);
    if (step != 1) return step;
    take();
  }
}

std::vector<std::string> PositionNames(std::int32_t table, std::int32_t index, std::int32_t invoice) {
  ScanStorage scan;
  std::vector<std::string> names;
  if (StartByNumber(scan, table, index, invoice)) {
    Drain(scan, [&] { names.push_back(RecordOf<abi::PositionRecord>(table).name); });
  }
  entry::ScanEnd(scan.cursor);
  return names;
}

std::vector<std::string> GoodsSymbols(std::int16_t catalogue) {
  *entry::FirstContextNumber() = catalogue;
  ScanStorage scan;
  std::vector<std::string> symbols;
  if (StartByNumber(scan, 49, 4, 0)) Drain(scan, [&] { symbols.push_back(RecordOf<abi::GoodsRecord>(49).symbol); });
  entry::ScanEnd(scan.cursor);
  return symbols;
}

// Rows as a test writes them.
InvoiceRow InvoiceOf(Register kind, std::string number, std::string issued = "", std::string counterparty = "",
                     std::int64_t id = 0) {
  return {.id = id, .kind = kind, .number = std::move(number), .issued = std::move(issued),
          .counterparty = std::move(counterparty)};
}

PositionRow PositionOf(std::int64_t invoice, std::int64_t line, std::string name, std::string symbol = "",
                       std::int32_t quantity = 0) {
  return {.invoice_id = invoice, .line = line, .name = std::move(name), .symbol = std::move(symbol),
          .quantity = quantity};
}

CatalogueRow CatalogueOf(std::int32_t number, bool searched, std::string name = "") {
  return {.number = number, .name = std::move(name), .searched = searched};
}

GoodsRow GoodsOf(std::int32_t catalogue, std::int32_t id, std::string symbol, std::string name = "") {
  return {.catalogue = catalogue, .id = id, .name = std::move(name), .symbol = std::move(symbol)};
}

CodeRow CodeOf(std::string code, std::int32_t factor = 1000, std::string goods_symbol = "", std::int32_t catalogue = 0,
               std::int32_t goods_id = 0) {
  return {.code = std::move(code), .factor = factor, .goods_symbol = std::move(goods_symbol), .catalogue = catalogue,
          .goods_id = goods_id};
}

enum class Kind { Memory, Database };

class Tables : public ::testing::TestWithParam<Kind> {
 protected:
  void SetUp() override {
    store_ = GetParam() == Kind::Memory ? MakeMemoryStore() : OpenDatabase(":memory:");
    UseStore(store_);
    tables::Reset();
  }
  void TearDown() override {
    tables::Reset();
    UseStore(nullptr);
  }

  Store& store() { return *store_; }

  std::int64_t Invoice(Register kind, const std::string& number) {
    return store().AddInvoice(InvoiceOf(kind, number, "2024-03-01", "Hurtownia"));
  }

  std::shared_ptr<Store> store_;
};

INSTANTIATE_TEST_SUITE_P(Stores, Tables, ::testing::Values(Kind::Memory, Kind::Database), [](const auto& param_info) {
  return param_info.param == Kind::Memory ? "Memory" : "Database";
});

// ---- table objects ----

TEST_P(Tables, EachNumberHasOneObjectForTheWholeProcess) {
  for (std::int32_t number : tables::kTableNumbers) {
    abi::TableObject* first = entry::OpenTable(number);
    ASSERT_NE(first, nullptr) << number;
    EXPECT_EQ(entry::OpenTable(number), first) << number;
    EXPECT_NE(first->record, nullptr) << number;
  }
  EXPECT_NE(entry::OpenTable(44), entry::OpenTable(52));
  EXPECT_EQ(entry::OpenTable(46), nullptr);
  EXPECT_EQ(entry::OpenTable(0), nullptr);
}

TEST_P(Tables, VersionsStartAtTheHostsLayouts) {
  EXPECT_EQ(entry::OpenTable(44)->version, 980);
  EXPECT_EQ(entry::OpenTable(52)->version, 828);
  EXPECT_EQ(entry::OpenTable(45)->version, 298);
  EXPECT_EQ(entry::OpenTable(53)->version, 626);
  EXPECT_EQ(entry::OpenTable(49)->version, 1024);
  // The version is a signed 16-bit word at byte 6 of the object.
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(entry::OpenTable(52));
  EXPECT_EQ(bytes[6] | bytes[7] << 8, 828);
}

TEST_P(Tables, AnOverriddenVersionHoldsUntilReset) {
  ASSERT_TRUE(tables::SetVersion(52, 830));
  EXPECT_EQ(entry::OpenTable(52)->version, 830);
  EXPECT_FALSE(tables::SetVersion(46, 1));
  tables::Reset();
  EXPECT_EQ(entry::OpenTable(52)->version, 828);
}

TEST_P(Tables, AnUnavailableTableOpensAsNullAndComesBackAsTheSameObject) {
  abi::TableObject* before = entry::OpenTable(53);
  ASSERT_TRUE(tables::SetAvailable(53, false));
  EXPECT_EQ(entry::OpenTable(53), nullptr);
  EXPECT_NE(entry::OpenTable(45), nullptr);
  tables::SetAvailable(53, true);
  EXPECT_EQ(entry::OpenTable(53), before);
}

std::int32_t KORPUS_CALLEE HostsOwnHandler(std::int32_t event, std::uint16_t, std::int32_t, void**, std::int32_t,
                                           abi::ListState*, std::int32_t, std::int32_t, std::int32_t, std::uint16_t,
                                           std::int32_t) {
  return event + 1;
}

TEST_P(Tables, RegistersCarryASettableListHandler) {
  abi::ListHandler sales = entry::OpenTable(44)->list_handler;
  ASSERT_EQ(sales, tables::DefaultListHandler());
  EXPECT_EQ(sales(231, 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(entry::OpenTable(52)->list_handler, tables::DefaultListHandler());
  EXPECT_EQ(entry::OpenTable(45)->list_handler, nullptr);

  ASSERT_TRUE(tables::SetListHandler(52, &HostsOwnHandler));
  EXPECT_EQ(entry::OpenTable(52)->list_handler(7, 0, 0, nullptr, 0, nullptr, 0, 0, 0, 0, 0), 8);
  EXPECT_FALSE(tables::SetListHandler(45, &HostsOwnHandler));
  tables::Reset();
  EXPECT_EQ(entry::OpenTable(52)->list_handler, tables::DefaultListHandler());
}

// ---- positions ----

TEST_P(Tables, SalesPositionsComeInLineOrderWithTheHostsLayout) {
  const std::int64_t invoice = Invoice(Register::Sales, "FV 1/2024");
  store().AddPosition(PositionOf(invoice, 3, "Śruba M6", "SR6", 2500));
  store().AddPosition(PositionOf(invoice, 1, "Łożysko 6204", "LOZ6204", 1000));
  store().AddPosition(PositionOf(invoice, 2, "Nakrętka", "", -3000));

  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 45, 812, static_cast<std::int32_t>(invoice)));
  const auto& record = RecordOf<abi::PositionRecord>(45);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&record);

  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(reinterpret_cast<const char*>(bytes + 2)), Mz("Łożysko 6204"_mz));
  EXPECT_EQ(FieldText(reinterpret_cast<const char*>(bytes + 123)), "LOZ6204");
  EXPECT_EQ(bytes[140] | bytes[141] << 8 | bytes[142] << 16 | bytes[143] << 24, 1000);

  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(record.name), Mz("Nakrętka"_mz));
  EXPECT_EQ(FieldText(record.symbol), "");
  EXPECT_EQ(std::int32_t{record.quantity}, -3000);

  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(record.name), Mz("Śruba M6"_mz));
  EXPECT_EQ(std::int32_t{record.quantity}, 2500);

  EXPECT_EQ(entry::ScanNext(scan.cursor), 2);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 2);
  EXPECT_EQ(entry::ScanEnd(scan.cursor), 1);
}

TEST_P(Tables, EachPositionsTableDeliversOnlyItsRegistersInvoices) {
  const std::int64_t sale = Invoice(Register::Sales, "FV 1");
  const std::int64_t purchase = Invoice(Register::Purchase, "FZ 1");
  store().AddPosition(PositionOf(sale, 0, "sold", "", 1000));
  store().AddPosition(PositionOf(purchase, 0, "bought", "", 1000));
  store().AddPosition(PositionOf(purchase, 0, "bought too", "", 1000));

  const auto sale_id = static_cast<std::int32_t>(sale);
  const auto purchase_id = static_cast<std::int32_t>(purchase);
  EXPECT_EQ(PositionNames(45, 812, sale_id), (std::vector<std::string>{"sold"}));
  EXPECT_EQ(PositionNames(53, 714, purchase_id), (std::vector<std::string>{"bought", "bought too"}));
  EXPECT_TRUE(PositionNames(45, 812, purchase_id).empty());
  EXPECT_TRUE(PositionNames(53, 714, sale_id).empty());
  EXPECT_TRUE(PositionNames(45, 812, 999).empty());
}

TEST_P(Tables, PositionsAddedWithoutALineFollowTheLastOne) {
  const std::int64_t invoice = Invoice(Register::Sales, "FV 2");
  store().AddPosition(PositionOf(invoice, 10, "ten"));
  store().AddPosition(PositionOf(invoice, 0, "after ten"));
  store().AddPosition(PositionOf(invoice, 5, "five"));
  EXPECT_EQ(PositionNames(45, 812, static_cast<std::int32_t>(invoice)),
            (std::vector<std::string>{"five", "ten", "after ten"}));
}

TEST_P(Tables, AScanNeedsTheTablesOwnIndexAndAKindOfKeyItKnows) {
  const std::int64_t invoice = Invoice(Register::Purchase, "FZ 2");
  store().AddPosition(PositionOf(invoice, 0, "x"));
  ScanStorage scan;
  EXPECT_FALSE(StartByNumber(scan, 53, 812, static_cast<std::int32_t>(invoice)));
  EXPECT_FALSE(StartByNumber(scan, 45, 714, static_cast<std::int32_t>(invoice)));
  // A key built for another index than the one scanned.
  entry::BuildNumberKey(714, 0, scan.key, static_cast<std::int32_t>(invoice));
  EXPECT_EQ(entry::ScanStart(scan.cursor, entry::OpenTable(53), 812, scan.key, 0, 0), 0);
  // A key buffer that no key entry wrote.
  std::uint8_t garbage[abi::kKeySize];
  std::memset(garbage, 0x5A, sizeof garbage);
  EXPECT_EQ(entry::ScanStart(scan.cursor, entry::OpenTable(53), 714, garbage, 0, 0), 0);
  // A table object that is not the host's.
  abi::TableObject stranger{};
  entry::BuildNumberKey(714, 0, scan.key, 1);
  EXPECT_EQ(entry::ScanStart(scan.cursor, &stranger, 714, scan.key, 0, 0), 0);
  EXPECT_EQ(entry::PrepareTable(&stranger, 255), 0);
  EXPECT_NE(entry::PrepareTable(entry::OpenTable(53), 255), 0);
  // Every table refuses an index not its own, and the kind of key it does
  // not take (codes a text key, the others a number).
  for (const auto& [table, index] : {std::pair{45, 812}, {53, 714}, {48, 3}, {49, 4}, {117, 154}}) {
    SCOPED_TRACE(table);
    entry::BuildNumberKey(index + 1, 0, scan.key, 0);
    EXPECT_EQ(entry::ScanStart(scan.cursor, entry::OpenTable(table), index + 1, scan.key, 0, 0), 0);
    if (table == 117) {
      entry::BuildNumberKey(index, 0, scan.key, 0);
    } else {
      entry::BuildTextKey(index, scan.key, "MMM", ".UNR", table);
    }
    EXPECT_EQ(entry::ScanStart(scan.cursor, entry::OpenTable(table), index, scan.key, 0, 0), 0);
  }
  entry::BuildTextKey(154, scan.key, "MMM", ".UNR", 117);
  EXPECT_EQ(entry::ScanStart(nullptr, entry::OpenTable(117), 154, scan.key, 0, 0), 0);
  EXPECT_EQ(entry::ScanStart(scan.cursor, entry::OpenTable(117), 154, nullptr, 0, 0), 0);
  EXPECT_EQ(entry::BuildNumberKey(4, 0, nullptr, 0), 0);
  EXPECT_EQ(entry::BuildTextKey(154, nullptr, "MMM", ".UNR", 117), 0);
  EXPECT_EQ(tables::ActiveScans(), 0);
}

// ---- goods, catalogues, codes ----

TEST_P(Tables, AGoodsRecordCutsALongPolishNameTo120BytesAndItsNul) {
  std::string name;  // 130 characters, every other one Polish
  for (int i = 0; i < 130; ++i) name += i % 2 == 0 ? "a" : "ł";
  if (GetParam() == Kind::Database) {
    // A new database states the field's length, so SQLite refuses the row;
    // an older one's long names are cut and named (ValueProblems tests).
    EXPECT_THROW(store().AddGoods(GoodsOf(7, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", name)), StoreError);
    return;
  }
  store().AddGoods(GoodsOf(7, 1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", name));

  *entry::FirstContextNumber() = 7;
  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  const auto* bytes = static_cast<const std::uint8_t*>(entry::OpenTable(49)->record);
  EXPECT_EQ(bytes[0], 0);
  EXPECT_EQ(bytes[1], 0);
  for (int i = 0; i < 120; ++i) ASSERT_EQ(bytes[2 + i], i % 2 == 0 ? 'a' : 0x92) << "name byte " << i;
  EXPECT_EQ(bytes[122], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 123)), "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(bytes[139], 0);
  entry::ScanEnd(scan.cursor);
}

TEST_P(Tables, ACodeRecordHoldsFactorAndLocatorsAtTheirBytes) {
  store().AddCode(CodeOf("5900001234567", 12000, "PIWO-ŻYWIEC", 3, 0x1234));
  ScanStorage scan;
  ASSERT_TRUE(StartCodes(scan));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  const auto* bytes = static_cast<const std::uint8_t*>(entry::OpenTable(117)->record);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes)), "5900001234567");
  EXPECT_EQ(bytes[17] | bytes[18] << 8 | bytes[19] << 16 | bytes[20] << 24, 12000);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 21)), Mz("PIWO-ŻYWIEC"_mz));
  EXPECT_EQ(bytes[140], 3);
  EXPECT_EQ(bytes[141], 0);
  EXPECT_EQ(bytes[142], 0x34);
  EXPECT_EQ(bytes[143], 0x12);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 2);
  entry::ScanEnd(scan.cursor);
}

TEST_P(Tables, CodesComeInCodeOrder) {
  store().AddCodes(std::vector<CodeRow>{CodeOf("300"), CodeOf("1000"), CodeOf("20"), CodeOf("1000", 6000)});
  store().ReadAhead();  // a private database's scans read for themselves
  ScanStorage scan;
  ASSERT_TRUE(StartCodes(scan));
  std::vector<std::pair<std::string, std::int32_t>> seen;
  const auto& record = RecordOf<abi::CodeRecord>(117);
  EXPECT_EQ(Drain(scan, [&] { seen.emplace_back(record.code, std::int32_t{record.factor}); }), 2);
  entry::ScanEnd(scan.cursor);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, std::int32_t>>{
                      {"1000", 1000}, {"1000", 6000}, {"20", 1000}, {"300", 1000}}));
}

TEST_P(Tables, CataloguesComeInNumberOrderWithNumberTextAndSearchedFlag) {
  store().AddCatalogues(std::vector<CatalogueRow>{CatalogueOf(12, true, "Napoje"), CatalogueOf(3, false, "Archiwum"),
                                                  CatalogueOf(250, true, "Chemia")});
  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 48, 3, 0));
  const auto* bytes = static_cast<const std::uint8_t*>(entry::OpenTable(48)->record);
  std::vector<std::pair<std::string, int>> seen;
  Drain(scan, [&] { seen.emplace_back(reinterpret_cast<const char*>(bytes + 2), bytes[24] | bytes[25] << 8); });
  entry::ScanEnd(scan.cursor);
  EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"3", 0}, {"12", 1}, {"250", 1}}));
}

TEST_P(Tables, TheFirstContextNumberChoosesWhichCataloguesGoodsAScanDelivers) {
  store().AddGoods(
      std::vector<GoodsRow>{GoodsOf(1, 20, "B"), GoodsOf(2, 1, "X"), GoodsOf(1, 10, "A"), GoodsOf(1, 30, "C")});
  EXPECT_EQ(GoodsSymbols(1), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(GoodsSymbols(2), (std::vector<std::string>{"X"}));
  EXPECT_TRUE(GoodsSymbols(3).empty());
}

TEST_P(Tables, NestedScansOfCataloguesAndGoodsRunSideBySide) {
  store().AddCatalogues(std::vector<CatalogueRow>{CatalogueOf(1, true), CatalogueOf(2, false), CatalogueOf(3, true)});
  store().AddGoods(
      std::vector<GoodsRow>{GoodsOf(1, 1, "A1"), GoodsOf(1, 2, "A2"), GoodsOf(2, 1, "B1"), GoodsOf(3, 1, "C1")});
  // As the goods search walks them: every searched catalogue, its goods.
  ScanStorage outer;
  ASSERT_TRUE(StartByNumber(outer, 48, 3, 0));
  const auto& catalogue = RecordOf<abi::ContextRecord>(48);
  std::vector<std::string> walked;
  const std::int32_t end = Drain(outer, [&] {
    if (catalogue.flag != 1) return;
    *entry::FirstContextNumber() = static_cast<std::int16_t>(std::atoi(catalogue.number));
    ScanStorage inner;
    ASSERT_TRUE(StartByNumber(inner, 49, 4, 0));
    EXPECT_EQ(tables::ActiveScans(), 2);
    Drain(inner, [&] { walked.push_back(RecordOf<abi::GoodsRecord>(49).symbol); });
    entry::ScanEnd(inner.cursor);
  });
  EXPECT_EQ(end, 2);
  entry::ScanEnd(outer.cursor);
  EXPECT_EQ(walked, (std::vector<std::string>{"A1", "A2", "C1"}));
  EXPECT_EQ(tables::ActiveScans(), 0);
}

TEST_P(Tables, TheGoodsReadFindsTheRecordThatBothContextNumbersName) {
  store().AddGoods(std::vector<GoodsRow>{GoodsOf(4, 9, "MAKA1", "Mąka"), GoodsOf(9, 4, "CUK", "Cukier")});
  *entry::FirstContextNumber() = 4;
  *entry::SecondContextNumber() = 9;
  EXPECT_NE(entry::ReadGoods(-1, 0), 0);
  const auto& goods = RecordOf<abi::GoodsRecord>(49);
  EXPECT_EQ(FieldText(goods.name), Mz("Mąka"_mz));
  EXPECT_EQ(FieldText(goods.symbol), "MAKA1");

  *entry::FirstContextNumber() = 9;
  *entry::SecondContextNumber() = 9;
  EXPECT_EQ(entry::ReadGoods(-1, 0), 0);
  EXPECT_EQ(FieldText(goods.symbol), "MAKA1") << "a miss leaves the buffer as it was";
}

TEST_P(Tables, LocatorsAboveTheSignedRangeStillReachTheirGoods) {
  store().AddGoods(GoodsOf(40000, 50000, "FAR"));
  store().AddCode(CodeOf("C", 1000, "", 40000, 50000));
  ScanStorage scan;
  ASSERT_TRUE(StartCodes(scan));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  const auto& code = RecordOf<abi::CodeRecord>(117);
  // What a caller does with the locators: into the two 16-bit numbers.
  *entry::FirstContextNumber() = static_cast<std::int16_t>(code.first_locator);
  *entry::SecondContextNumber() = static_cast<std::int16_t>(code.second_locator);
  entry::ScanEnd(scan.cursor);
  ASSERT_NE(entry::ReadGoods(-1, 0), 0);
  EXPECT_EQ(FieldText(RecordOf<abi::GoodsRecord>(49).symbol), "FAR");
}

TEST_P(Tables, CharactersOutsideMazoviaBecomeQuestionMarks) {
  store().AddGoods(GoodsOf(1, 1, "E", "Café €5 – ŁÓDŹ"));
  *entry::FirstContextNumber() = 1;
  *entry::SecondContextNumber() = 1;
  ASSERT_NE(entry::ReadGoods(-1, 0), 0);
  EXPECT_EQ(FieldText(RecordOf<abi::GoodsRecord>(49).name), Mz("Café ?5 ? ŁÓDŹ"_mz));
}

// ---- cursors, ends and faults ----

TEST_P(Tables, ACursorThatWasNeverStartedOrIsEndedAnswersZero) {
  ScanStorage scan;
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
  EXPECT_EQ(entry::ScanEnd(scan.cursor), 0);
  ASSERT_TRUE(StartCodes(scan));
  entry::ScanEnd(scan.cursor);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
}

// The replaced scan and one left open both count as never ended.
TEST_P(Tables, StartingAgainInTheSameStorageReplacesTheUnendedScan) {
  store().AddGoods(std::vector<GoodsRow>{GoodsOf(1, 1, "A"), GoodsOf(1, 2, "B")});
  *entry::FirstContextNumber() = 1;
  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  EXPECT_EQ(tables::ActiveScans(), 1);
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(RecordOf<abi::GoodsRecord>(49).symbol), "A");
  EXPECT_EQ(tables::TakeUnendedScans(), 2);
  EXPECT_EQ(tables::ActiveScans(), 0);
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  entry::ScanEnd(scan.cursor);
  EXPECT_EQ(tables::TakeUnendedScans(), 0);
}

TEST_P(Tables, AScanSetToFailStartsWithZero) {
  store().AddCode(CodeOf("A"));
  standin::testing::FailScanStart(117, true);
  ScanStorage scan;
  EXPECT_FALSE(StartCodes(scan));
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
  standin::testing::FailScanStart(117, false);
  EXPECT_TRUE(StartCodes(scan));
  entry::ScanEnd(scan.cursor);
}

TEST_P(Tables, AScanSetToBreakAnswersZeroAfterItsRecords) {
  store().AddGoods(std::vector<GoodsRow>{GoodsOf(1, 1, "A"), GoodsOf(1, 2, "B"), GoodsOf(1, 3, "C")});
  standin::testing::FailScanAfter(49, 1);
  *entry::FirstContextNumber() = 1;
  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  EXPECT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
  entry::ScanEnd(scan.cursor);

  // At the very end, too: instead of the normal end.
  standin::testing::FailScanAfter(49, 3);
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  EXPECT_EQ(Drain(scan, [] {}), 0);
  entry::ScanEnd(scan.cursor);

  standin::testing::FailScanAfter(49, -1);
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  EXPECT_EQ(Drain(scan, [] {}), 2);
  entry::ScanEnd(scan.cursor);
}

TEST_P(Tables, ReplacingTheStoreEndsEveryScanInProgress) {
  store().AddCode(CodeOf("A"));
  store().AddCode(CodeOf("B"));
  ScanStorage scan;
  ASSERT_TRUE(StartCodes(scan));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  UseStore(MakeMemoryStore());
  EXPECT_EQ(tables::ActiveScans(), 0);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0);
}

TEST_P(Tables, SteppingAScanAllocatesNothing) {
  std::vector<GoodsRow> goods;
  for (int i = 1; i <= 1000; ++i) {
    goods.push_back(GoodsOf(5, i, "S" + std::to_string(i), "Towar ż " + std::to_string(i)));
  }
  store().AddGoods(goods);
  *entry::FirstContextNumber() = 5;
  ScanStorage scan;
  const long at_start = allocation_count::total.load();
  ASSERT_TRUE(StartByNumber(scan, 49, 4, 0));
  ASSERT_GT(allocation_count::total.load(), at_start) << "the count sees the library's allocations";
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);  // a database may settle on its first step
  const long before = allocation_count::total.load();
  int records = 1;
  while (entry::ScanNext(scan.cursor) == 1) ++records;
  const long allocated = allocation_count::total.load() - before;
  entry::ScanEnd(scan.cursor);
  EXPECT_EQ(records, 1000);
  EXPECT_EQ(allocated, 0);
}

// ---- the host program's side ----

TEST_P(Tables, ARegistersInvoicesAreListedByIssueDate) {
  store().AddInvoice(InvoiceOf(Register::Sales, "FV 2", "2024-03-02", "Bar"));
  store().AddInvoice(InvoiceOf(Register::Purchase, "FZ 1", "2024-01-01", "Hurt"));
  store().AddInvoice(InvoiceOf(Register::Sales, "FV 1", "2024-03-01", "Bistro"));
  const auto sales = store().ListInvoices(Register::Sales);
  ASSERT_EQ(sales.size(), 2u);
  EXPECT_EQ(sales[0].number, "FV 1");
  EXPECT_EQ(sales[0].counterparty, "Bistro");
  EXPECT_EQ(sales[1].number, "FV 2");
  EXPECT_EQ(sales[1].issued, "2024-03-02");
  ASSERT_EQ(store().ListInvoices(Register::Purchase).size(), 1u);
  const auto found = store().FindInvoice(sales[1].id);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->kind, Register::Sales);
  EXPECT_EQ(found->number, "FV 2");
  EXPECT_FALSE(store().FindInvoice(12345).has_value());
}

TEST_P(Tables, AnInvoiceOrCatalogueNumberTakenTwiceIsRefused) {
  store().AddInvoice(InvoiceOf(Register::Sales, "A", "", "", 5));
  EXPECT_THROW(store().AddInvoice(InvoiceOf(Register::Sales, "B", "", "", 5)), StoreError);
  store().AddCatalogue(CatalogueOf(1, false));
  EXPECT_THROW(store().AddCatalogues(std::vector<CatalogueRow>{CatalogueOf(2, false), CatalogueOf(1, false)}),
               StoreError);
  // The refused call left none of its rows.
  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 48, 3, 0));
  EXPECT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(entry::ScanNext(scan.cursor), 2);
  entry::ScanEnd(scan.cursor);
}

TEST(RegisterRow, HoldsTheNumberAndTheIdentifierWhereTheRegisterPutsThem) {
  std::array<std::uint8_t, abi::kRegisterRowSize> row;
  row.fill(0xEE);
  tables::FillRegisterRow(InvoiceOf(Register::Sales, "FV 12/2024/Łódź", "", "", 0x01020304), row);
  EXPECT_EQ(row[0], 0);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(row.data() + 2)), Mz("FV 12/2024/Łódź"_mz));
  EXPECT_EQ(row[976], 0x04);
  EXPECT_EQ(row[979], 0x01);
  EXPECT_EQ(row[824], 0);

  tables::FillRegisterRow(InvoiceOf(Register::Purchase, std::string(40, '9'), "", "", 77), row);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(row.data() + 2)), std::string(32, '9'));
  EXPECT_EQ(row[824], 77);
  EXPECT_EQ(row[976], 0);
}

// ---- the database file ----

class DatabaseFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ =
        std::filesystem::temp_directory_path() / ("standin_tables_" + std::to_string(::getpid()) + "_" +
                                                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    tables::Reset();
  }
  void TearDown() override {
    tables::Reset();
    UseStore(nullptr);
    std::filesystem::remove_all(folder_);
  }

  // Runs SQL on the file as a user's SQLite tool would.
  void Sql(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
    sqlite3_free(error);
    sqlite3_close(db);
  }

  std::filesystem::path file() const { return folder_ / "korpus.db"; }

  std::filesystem::path folder_;
};

TEST_F(DatabaseFile, ANewFileGetsTheSchemaAndKeepsWhatWasWritten) {
  {
    auto store = OpenDatabase(file());
    const std::int64_t id = store->AddInvoice(InvoiceOf(Register::Purchase, "FZ 7", "2024-05-05"));
    store->AddPosition(PositionOf(id, 0, "Żelazko", "ZEL", 1500));
  }
  ASSERT_TRUE(std::filesystem::exists(file()));
  UseStore(OpenDatabase(file()));
  const auto invoices = CurrentStore().ListInvoices(Register::Purchase);
  ASSERT_EQ(invoices.size(), 1u);
  EXPECT_EQ(invoices[0].number, "FZ 7");
  EXPECT_EQ(PositionNames(53, 714, static_cast<std::int32_t>(invoices[0].id)),
            (std::vector<std::string>{Mz("Żelazko"_mz)}));
}

// NULLs that an older database holds are never read as empty texts or 0:
// a position that holds one fails its scan (the check is refused), any
// other record is left out; each is named.
TEST_F(DatabaseFile, NullsOfAnOlderDatabaseAreNamedAndNeverReadAsZero) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(
                file(),
                "INSERT INTO invoices (id, register, number) VALUES (41, 'sales', 'FV 41');"
                "INSERT INTO invoice_positions VALUES (41, 1, 'Cytryna', 'CYT', 750);"
                "INSERT INTO invoice_positions VALUES (41, 2, NULL, NULL, NULL);"
                "INSERT INTO codes VALUES ('K1', NULL, NULL, NULL, NULL);"
                "INSERT INTO codes VALUES ('K2', 6000, 'CYT', 0, 0);"),
            "");
  std::vector<tables::ValueProblem> named;
  tables::SetProblemSink([&named](const tables::ValueProblem& problem) { named.push_back(problem); });
  UseStore(OpenDatabase(file()));

  ScanStorage scan;
  ASSERT_TRUE(StartByNumber(scan, 45, 812, 41));
  const auto& position = RecordOf<abi::PositionRecord>(45);
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(position.name), "Cytryna");
  EXPECT_EQ(entry::ScanNext(scan.cursor), 0) << "the scan fails at the position of NULLs";
  entry::ScanEnd(scan.cursor);
  ASSERT_FALSE(named.empty());
  EXPECT_EQ(named[0].table, "invoice_positions");
  EXPECT_EQ(named[0].column, "name");
  EXPECT_EQ(named[0].key, "invoice_id 41, line 2");
  EXPECT_EQ(named[0].consequence, tables::Consequence::RefuseCheck);

  named.clear();
  ASSERT_TRUE(StartCodes(scan));
  ASSERT_EQ(entry::ScanNext(scan.cursor), 1);
  EXPECT_EQ(FieldText(RecordOf<abi::CodeRecord>(117).code), "K2") << "K1 is left out";
  EXPECT_EQ(entry::ScanNext(scan.cursor), 2);
  entry::ScanEnd(scan.cursor);
  ASSERT_EQ(named.size(), 4u) << "factor, goods_symbol, catalogue, goods_id";
  for (const auto& problem : named) {
    EXPECT_EQ(problem.fault, tables::ValueFault::Null);
    EXPECT_EQ(problem.consequence, tables::Consequence::LeaveOut);
    EXPECT_EQ(problem.key, "code 'K1'");
  }
  tables::SetProblemSink(nullptr);
}

TEST_F(DatabaseFile, ARegisterOutsideSalesAndPurchaseIsRefusedByTheSchema) {
  OpenDatabase(file());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(file().c_str(), &db), SQLITE_OK);
  EXPECT_NE(
      sqlite3_exec(db, "INSERT INTO invoices (register, number) VALUES ('returns', 'X')", nullptr, nullptr, nullptr),
      SQLITE_OK);
  EXPECT_NE(
      sqlite3_exec(db, "INSERT INTO invoices (register, number) VALUES ('sales', NULL)", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(db);
}

TEST_F(DatabaseFile, AFileThatIsNoDatabaseIsReportedNotUsed) {
  { std::ofstream(file()) << "this is not a database, just text that is long enough to be read as a header\n"; }
  EXPECT_THROW(OpenDatabase(file()), StoreError);
}

// What cannot be opened or laid out is named, and nothing is used of it:
// a folder, and a user's own table of goods without the catalogue that
// its index needs.
TEST_F(DatabaseFile, AFileThatCannotBeOpenedOrLaidOutIsNamed) {
  const auto message = [](const std::filesystem::path& path) {
    try {
      OpenDatabase(path);
    } catch (const StoreError& error) {
      return std::string(error.what());
    }
    return std::string("opened");
  };
  EXPECT_EQ(message(folder_).rfind("cannot open " + folder_.string() + ": ", 0), 0u) << message(folder_);
  Sql("CREATE TABLE goods (id INTEGER, name TEXT, symbol TEXT);");
  EXPECT_EQ(message(file()), "cannot lay out " + file().string() + ": no such column: catalogue");
}

// ---- a failing disk under the database ----

// Everything drained from a cursor: the rows' first texts, and how it ended.
struct Drained {
  std::vector<std::string> texts;
  Step end = Step::End;
};

Drained DrainRows(RowCursor& cursor) {
  Drained drained;
  RowView row;
  for (Step step = cursor.Next(row);; step = cursor.Next(row)) {
    if (step != Step::Row) {
      drained.end = step;
      return drained;
    }
    drained.texts.emplace_back(!row.code.empty() ? row.code : !row.symbol.empty() ? row.symbol : row.name);
  }
}

class FailingDisk : public DatabaseFile {
 protected:
  void SetUp() override {
    DatabaseFile::SetUp();
    standin::testing::ClearFaults();
    auto store = OpenDatabase(seed());
    const std::int64_t id = store->AddInvoice(InvoiceOf(Register::Purchase, "FZ 1", "2024-05-05"));
    for (int line = 1; line <= 3; ++line) store->AddPosition(PositionOf(id, line, "Wkręt", "W" + std::to_string(line)));
    store->AddCatalogue(CatalogueOf(1, true, "Magazyn"));
    store->AddGoods(GoodsOf(1, 1, "W1", "Wkręt"));
    store->AddCode(CodeOf("590001", 1000, "W1", 1, 1));
  }
  void TearDown() override {
    standin::testing::ClearFaults();
    DatabaseFile::TearDown();
  }

  std::filesystem::path seed() const { return folder_ / "seed.db"; }

  // The database as the seed holds it, with no journal of an earlier round.
  void FromSeed() const {
    std::filesystem::remove(folder_ / "korpus.db-journal");
    std::filesystem::copy_file(seed(), file(), std::filesystem::copy_options::overwrite_existing);
  }

  // The first column of the first row that a user's SQLite tool gets; "?"
  // for none.
  std::string Answer(const std::string& sql) const {
    sqlite3* db = nullptr;
    sqlite3_stmt* statement = nullptr;
    std::string answer = "?";
    if (sqlite3_open(file().c_str(), &db) == SQLITE_OK &&
        sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      answer = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return answer;
  }

  // What one session asks of the database, each request on its own, as
  // korpus and the plug-in ask it: none may end in anything but a refusal.
  struct Session {
    bool invoice_added = false;
    bool document_added = false;
  };
  Session Run() {
    Session session;
    std::shared_ptr<Store> store;
    try {
      store = OpenDatabase(file());
    } catch (const StoreError&) {
      return session;
    }
    const auto attempt = [](auto&& request) {
      try {
        request();
      } catch (const StoreError&) {
      }
    };
    attempt([&] { store->ListInvoices(Register::Purchase); });
    attempt([&] {
      const std::vector<PositionRow> positions{PositionOf(0, 0, "Nakrętka", "N1"), PositionOf(0, 0, "Podkładka", "P1")};
      store->AddInvoiceWithPositions(InvoiceOf(Register::Purchase, "FZ 9", "2024-06-01"), positions);
      session.invoice_added = true;
    });
    attempt([&] { DrainRows(*store->ScanPositions(Register::Purchase, 1)); });
    attempt([&] { DrainRows(*store->ScanCatalogues(0)); });
    attempt([&] { DrainRows(*store->ScanGoods(1, 0)); });
    attempt([&] { DrainRows(*store->ScanCodes()); });
    attempt([&] {
      RowView row;
      store->ReadGoods(1, 1, row);
    });
    attempt([&] {
      DocumentRow document;
      document.kind = 1;
      document.name = "Niezgodnosci";
      document.content.assign(5000, 'x');
      store->AddDocument(document);
      session.document_added = true;
    });
    attempt([&] { store->Documents(); });
    return session;
  }
};

// Each read, write, sync, truncation and size query of the database files
// fails in turn, once and from then on. A request may be refused; the file
// still holds every row committed before, and each write whole or not at all.
TEST_F(FailingDisk, EveryDatabaseIoMayFailAndNoWriteIsLeftHalfDone) {
  using standin::Fault;
  FromSeed();
  Session whole;
  const long calls = testing_support::CallsMadeBy(Fault::DatabaseIo, [&] { whole = Run(); });
  ASSERT_TRUE(whole.invoice_added && whole.document_added);
  ASSERT_GE(calls, 10);

  const auto positions = [&](const std::string& number) {
    return Answer("SELECT count(*) || ':' || coalesce(group_concat(symbol), '') FROM (SELECT p.symbol FROM "
                  "invoice_positions p JOIN invoices i ON i.id = p.invoice_id WHERE i.number = '" +
                  number + "' ORDER BY p.line)");
  };
  int refused = 0;
  testing_support::FailEachCallInTurn(
      Fault::DatabaseIo, calls, [&] { FromSeed(); }, [&] { return Run(); },
      [&](const Session& session) {
        refused += session.invoice_added && session.document_added ? 0 : 1;
        EXPECT_EQ(Answer("PRAGMA integrity_check"), "ok");
        EXPECT_EQ(positions("FZ 1"), "3:W1,W2,W3");
        const std::string added = positions("FZ 9");
        if (session.invoice_added) {
          EXPECT_EQ(added, "2:N1,P1");
        } else {
          EXPECT_TRUE(added == "0:" || added == "2:N1,P1") << added;
          EXPECT_EQ(Answer("SELECT count(*) FROM invoices WHERE number = 'FZ 9'"), added == "0:" ? "0" : "1");
        }
        const std::string document =
            Answer("SELECT count(*) || ':' || coalesce(sum(length(content)), 0) FROM documents");
        EXPECT_TRUE(document == "1:5000" || (!session.document_added && document == "0:0")) << document;
      });
  EXPECT_GT(refused, 0);
}

// Scans on a failing disk fail, or are refused, and are never taken for
// empty tables, whether the reading ahead or the scan itself met the fault.
TEST_F(FailingDisk, ScansOnAFailingDiskAreNeverTakenForEmptyTables) {
  FromSeed();
  auto store = OpenDatabase(file());
  standin::testing::FailAlways(standin::Fault::DatabaseIo, true);
  store->ReadAhead();
  store->ReadAhead();  // one reading ahead at a time
  std::optional<Drained> codes;
  try {
    codes = DrainRows(*store->ScanCodes());
  } catch (const StoreError&) {
  }
  if (codes) {
    EXPECT_EQ(codes->end, Step::Failed);
  }
  standin::testing::FailAlways(standin::Fault::DatabaseIo, false);
  EXPECT_EQ(DrainRows(*store->ScanCodes()).texts, std::vector<std::string>{"590001"});
  EXPECT_EQ(DrainRows(*store->ScanGoods(1, 0)).texts, std::vector<std::string>{"W1"});
}

}  // namespace
