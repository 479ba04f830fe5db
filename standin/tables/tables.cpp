// The host's table entries: table objects, index keys, scans, the context
// numbers and the goods read, over the current store.
#include "standin/tables/tables.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "standin/entries.h"
#include "standin/tables/records.h"

namespace standin {

namespace {

using korpus_abi::TableObject;

using korpus_abi::kCodeIndex;
using korpus_abi::kCodeTable;
using korpus_abi::kContextIndex;
using korpus_abi::kContextTable;
using korpus_abi::kGoodsIndex;
using korpus_abi::kGoodsTable;
using korpus_abi::kNoMoreRecords;
using korpus_abi::kPurchasePositionsIndex;
using korpus_abi::kPurchasePositionsTable;
using korpus_abi::kRecordDelivered;
using korpus_abi::kSalesPositionsIndex;
using korpus_abi::kSalesPositionsTable;
using korpus_abi::kScanFailed;

// The version of the tables whose layout the plug-in does not check.
constexpr std::int16_t kUncheckedVersion = 1;

// Room for the largest record any table delivers.
union RecordBuffer {
  korpus_abi::PositionRecord position;
  korpus_abi::ContextRecord context;
  korpus_abi::GoodsRecord goods;
  korpus_abi::CodeRecord code;
};

struct Table {
  std::int32_t number = 0;
  std::int16_t default_version = 0;
  bool available = true;
  bool fail_start = false;
  long fail_after = -1;
  TableObject object{};
  RecordBuffer record{};
};

std::int32_t KORPUS_CALLEE TakeEveryEvent(std::int32_t, std::uint16_t, std::int32_t, void**, std::int32_t,
                                          korpus_abi::ListState*, std::int32_t, std::int32_t, std::int32_t,
                                          std::uint16_t, std::int32_t) {
  return 0;
}

bool IsRegister(std::int32_t number) {
  return number == korpus_abi::kSalesRegister || number == korpus_abi::kPurchaseRegister;
}

void ResetTable(Table& table) {
  table.available = true;
  table.fail_start = false;
  table.fail_after = -1;
  table.object = TableObject{};
  table.object.version = table.default_version;
  table.object.record = &table.record;
  table.object.list_handler = IsRegister(table.number) ? &TakeEveryEvent : nullptr;
  std::memset(&table.record, 0, sizeof table.record);
}

// One object per table, at a fixed address for the life of the process:
// the plug-in keeps the pointers it was given.
std::array<Table, tables::kTableNumbers.size()>& Tables() {
  static auto tables = [] {
    std::array<Table, tables::kTableNumbers.size()> made{};
    for (std::size_t i = 0; i < made.size(); ++i) {
      made[i].number = tables::kTableNumbers[i];
      made[i].default_version = tables::DefaultVersion(made[i].number);
      ResetTable(made[i]);
    }
    return made;
  }();
  return tables;
}

Table* FindTable(std::int32_t number) {
  for (Table& table : Tables()) {
    if (table.number == number) return &table;
  }
  return nullptr;
}

Table* FindTable(const TableObject* object) {
  for (Table& table : Tables()) {
    if (&table.object == object) return &table;
  }
  return nullptr;
}

// What the key entries leave in the caller's key buffer.
enum class KeyKind : std::uint32_t { Number = 0x4B4E554D, Text = 0x4B545854 };

struct Key {
  KeyKind kind;
  std::int32_t index;
  std::int32_t value;
  char first[64];
  char second[64];
};
static_assert(sizeof(Key) <= korpus_abi::kKeySize);

struct Scan {
  const void* cursor = nullptr;  // the caller's storage names the scan
  Table* table = nullptr;
  std::unique_ptr<RowCursor> rows;
  long delivered = 0;
  bool ended = false;
};

struct State {
  std::shared_ptr<Store> store;
  std::vector<Scan> scans;
  // Scans whose cursor a start used again before they were ended.
  int taken_over = 0;
  std::int16_t first_context = 0;
  std::int16_t second_context = 0;
};

State& Current() {
  static State state;
  return state;
}

Scan* FindScan(const void* cursor) {
  for (Scan& scan : Current().scans) {
    if (scan.cursor == cursor) return &scan;
  }
  return nullptr;
}

void EndScan(const void* cursor) {
  auto& scans = Current().scans;
  scans.erase(std::remove_if(scans.begin(), scans.end(), [cursor](const Scan& scan) { return scan.cursor == cursor; }),
              scans.end());
}

// "From this key on", or everything.
std::int64_t LowerBound(std::int32_t value) {
  return value == korpus_abi::kEveryRecordKey ? std::numeric_limits<std::int64_t>::min() : value;
}

// Context numbers are the host's 16-bit words; read as unsigned, so that
// catalogues and goods ids up to 65535 can be named.
std::int64_t ContextValue(std::int16_t number) { return static_cast<std::uint16_t>(number); }

std::unique_ptr<RowCursor> OpenRows(const Table& table, std::int32_t index, const Key& key) {
  if (key.index != index) return nullptr;
  Store& store = CurrentStore();
  const bool by_number = key.kind == KeyKind::Number;
  switch (table.number) {
    case kSalesPositionsTable:
      if (index != kSalesPositionsIndex || !by_number) return nullptr;
      return store.ScanPositions(Register::Sales, key.value);
    case kPurchasePositionsTable:
      if (index != kPurchasePositionsIndex || !by_number) return nullptr;
      return store.ScanPositions(Register::Purchase, key.value);
    case kContextTable:
      if (index != kContextIndex || !by_number) return nullptr;
      return store.ScanCatalogues(LowerBound(key.value));
    case kGoodsTable:
      if (index != kGoodsIndex || !by_number) return nullptr;
      return store.ScanGoods(ContextValue(Current().first_context), LowerBound(key.value));
    case kCodeTable:
      if (index != kCodeIndex || key.kind != KeyKind::Text) return nullptr;
      return store.ScanCodes();
    default:
      return nullptr;
  }
}

void MaterialiseInto(Table& table, const RowView& row) {
  switch (table.number) {
    case kSalesPositionsTable:
    case kPurchasePositionsTable:
      tables::Materialise(row, table.record.position);
      break;
    case kContextTable:
      tables::Materialise(row, table.record.context);
      break;
    case kGoodsTable:
      tables::Materialise(row, table.record.goods);
      break;
    case kCodeTable:
      tables::Materialise(row, table.record.code);
      break;
    default:
      break;
  }
}

}  // namespace

void UseStore(std::shared_ptr<Store> store) {
  State& state = Current();
  state.scans.clear();
  state.store = store != nullptr ? std::move(store) : MakeMemoryStore();
}

Store& CurrentStore() {
  State& state = Current();
  if (state.store == nullptr) state.store = MakeMemoryStore();
  return *state.store;
}

namespace tables {

std::int16_t DefaultVersion(std::int32_t table) {
  switch (table) {
    case korpus_abi::kSalesRegister:
      return korpus_abi::kSalesRegisterVersion;
    case korpus_abi::kPurchaseRegister:
      return korpus_abi::kPurchaseRegisterVersion;
    case kSalesPositionsTable:
      return korpus_abi::kSalesPositionsVersion;
    case kPurchasePositionsTable:
      return korpus_abi::kPurchasePositionsVersion;
    case kGoodsTable:
      return korpus_abi::kGoodsVersion;
    case kContextTable:
    case kCodeTable:
      return kUncheckedVersion;
    default:
      return 0;
  }
}

bool SetVersion(std::int32_t table, std::int16_t version) {
  Table* found = FindTable(table);
  if (found == nullptr) return false;
  found->object.version = version;
  return true;
}

bool SetAvailable(std::int32_t table, bool available) {
  Table* found = FindTable(table);
  if (found == nullptr) return false;
  found->available = available;
  return true;
}

bool SetListHandler(std::int32_t table, korpus_abi::ListHandler handler) {
  Table* found = FindTable(table);
  if (found == nullptr || !IsRegister(table)) return false;
  found->object.list_handler = handler;
  return true;
}

korpus_abi::ListHandler DefaultListHandler() { return &TakeEveryEvent; }

void Reset() {
  State& state = Current();
  state.scans.clear();
  state.taken_over = 0;
  state.first_context = 0;
  state.second_context = 0;
  for (Table& table : Tables()) ResetTable(table);
}

int ActiveScans() { return static_cast<int>(Current().scans.size()); }

int TakeUnendedScans() {
  State& state = Current();
  const int unended = static_cast<int>(state.scans.size()) + state.taken_over;
  state.scans.clear();
  state.taken_over = 0;
  return unended;
}

}  // namespace tables

namespace testing {

void FailScanStart(std::int32_t table, bool on) {
  if (Table* found = FindTable(table)) found->fail_start = on;
}

void FailScanAfter(std::int32_t table, long records) {
  if (Table* found = FindTable(table)) found->fail_after = records < 0 ? -1 : records;
}

void WithoutRecordBuffer(std::int32_t table, bool on) {
  if (Table* found = FindTable(table)) found->object.record = on ? nullptr : &found->record;
}

}  // namespace testing

namespace entry {

korpus_abi::TableObject* KORPUS_CALLEE OpenTable(std::int32_t number) {
  Table* table = FindTable(number);
  if (table == nullptr || !table->available) return nullptr;
  return &table->object;
}

std::int32_t KORPUS_CALLEE BuildNumberKey(std::int32_t index, std::int32_t, void* key, std::int32_t value) {
  if (key == nullptr) return 0;
  Key built{};
  built.kind = KeyKind::Number;
  built.index = index;
  built.value = value;
  std::memcpy(key, &built, sizeof built);
  return 1;
}

std::int32_t KORPUS_CALLEE BuildTextKey(std::int32_t index, void* key, const char* first, const char* second,
                                        std::int32_t number) {
  if (key == nullptr) return 0;
  Key built{};
  built.kind = KeyKind::Text;
  built.index = index;
  built.value = number;
  if (first != nullptr) std::strncpy(built.first, first, sizeof built.first - 1);
  if (second != nullptr) std::strncpy(built.second, second, sizeof built.second - 1);
  std::memcpy(key, &built, sizeof built);
  return 1;
}

// Nothing to prepare: every scan reads the store as it stands.
std::int32_t KORPUS_CALLEE PrepareTable(korpus_abi::TableObject* table, std::int32_t) {
  return FindTable(table) != nullptr ? 1 : 0;
}

std::int32_t KORPUS_CALLEE ScanStart(void* cursor, korpus_abi::TableObject* object, std::int32_t index, const void* key,
                                     std::int32_t, std::int32_t) {
  if (cursor == nullptr || key == nullptr) return kScanFailed;
  // Storage used again without its scan ended: that scan is over.
  if (FindScan(cursor) != nullptr) {
    ++Current().taken_over;
    EndScan(cursor);
  }
  Table* table = FindTable(object);
  if (table == nullptr || table->fail_start) return kScanFailed;
  Key read{};
  std::memcpy(&read, key, sizeof read);
  if (read.kind != KeyKind::Number && read.kind != KeyKind::Text) return kScanFailed;
  try {
    auto rows = OpenRows(*table, index, read);
    if (rows == nullptr) return kScanFailed;
    Current().scans.push_back(Scan{cursor, table, std::move(rows), 0, false});
  } catch (...) {
    return kScanFailed;
  }
  return korpus_abi::kScanStarted;
}

std::int32_t KORPUS_CALLEE ScanNext(void* cursor) {
  Scan* scan = FindScan(cursor);
  if (scan == nullptr) return kScanFailed;
  if (scan->ended) return kNoMoreRecords;
  if (scan->table->fail_after >= 0 && scan->delivered >= scan->table->fail_after) return kScanFailed;
  RowView row;
  switch (scan->rows->Next(row)) {
    case Step::Row:
      MaterialiseInto(*scan->table, row);
      ++scan->delivered;
      return kRecordDelivered;
    case Step::End:
      scan->ended = true;
      return kNoMoreRecords;
    case Step::Failed:
      break;
  }
  return kScanFailed;
}

std::int32_t KORPUS_CALLEE ScanEnd(void* cursor) {
  if (FindScan(cursor) == nullptr) return 0;
  EndScan(cursor);
  return 1;
}

std::int16_t* KORPUS_CALLEE FirstContextNumber() { return &Current().first_context; }

std::int16_t* KORPUS_CALLEE SecondContextNumber() { return &Current().second_context; }

std::int32_t KORPUS_CALLEE ReadGoods(std::int32_t, std::int32_t) {
  Table* goods = FindTable(kGoodsTable);
  RowView row;
  try {
    const State& state = Current();
    if (CurrentStore().ReadGoods(ContextValue(state.first_context), ContextValue(state.second_context), row) !=
        Step::Row) {
      return 0;
    }
  } catch (...) {
    return 0;
  }
  tables::Materialise(row, goods->record.goods);
  return 1;
}

}  // namespace entry

}  // namespace standin
