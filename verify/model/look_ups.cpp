// The two look-ups in the host's tables for codes that match no position:
// the goods search over the searched catalogues, and the code table.
#include <cstddef>
#include <cstring>
#include <new>

#include "abi/host_codes.h"
#include "abi/tables.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"
#include "verify/model/host_scan.h"
#include "verify/model/table_walks.h"

namespace verify {

namespace {

using korpus_abi::CodeRecord;
using korpus_abi::ContextRecord;
using korpus_abi::GoodsRecord;
using korpus_abi::TableObject;

using korpus_abi::kCodeIndex;
using korpus_abi::kCodeTable;
using korpus_abi::kContextIndex;
using korpus_abi::kContextTable;
using korpus_abi::kGoodsIndex;
using korpus_abi::kGoodsTable;

// What the code table is prepared with before its scan.
constexpr std::int32_t kPrepareForCodes = 64;
// A code of this factor counts one piece of the goods it names.
constexpr std::int32_t kFactorOne = korpus_abi::kOneUnit;
// The flag of a context record that the goods search takes.
constexpr std::int16_t kSearched = 1;

template <typename Record>
const Record& CurrentRecord(const TableObject& table) {
  return *static_cast<const Record*>(table.record);
}

// The decimal number at the start of a text: leading white space, a sign,
// digits up to the first other character; no digits give 0.
std::int16_t ContextNumber(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  std::uint32_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = value * 10u + static_cast<std::uint32_t>(text[at] - '0');
  }
  // Kept to its low 16 bits, as the host's number is.
  const auto low = static_cast<std::uint16_t>(negative ? 0u - value : value);
  return static_cast<std::int16_t>(low);
}

// Puts a host context number back when the look-up ends.
class SavedNumber {
 public:
  explicit SavedNumber(std::int16_t* number) : number_(number), saved_(*number) {}
  ~SavedNumber() { *number_ = saved_; }
  SavedNumber(const SavedNumber&) = delete;
  SavedNumber& operator=(const SavedNumber&) = delete;

 private:
  std::int16_t* number_;
  std::int16_t saved_;
};

// What the first code-table record of an item's code does to the item;
// returns the factor.
std::int32_t ApplyCodeRecord(CountedItem& item, const CodeRecord& record, const TableObject& goods_table) {
  const std::int32_t factor = record.factor;
  if (factor != kFactorOne) {
    fields::Store(item.symbol, fields::Text(record.goods_symbol));
    return factor;
  }
  std::int16_t* second_number = korpus::SecondContextNumber();
  std::int16_t* first_number = korpus::FirstContextNumber();
  if (second_number == nullptr || first_number == nullptr) return factor;
  const SavedNumber saved_second(second_number);
  const SavedNumber saved_first(first_number);
  *second_number = static_cast<std::int16_t>(record.second_locator);
  *first_number = static_cast<std::int16_t>(record.first_locator);
  if (korpus::ReadGoods(-1, 0) != 0 && goods_table.record != nullptr) {
    char symbol[sizeof(GoodsRecord::symbol) + 1];
    fields::Store(symbol, fields::Text(CurrentRecord<GoodsRecord>(goods_table).symbol));
    BoundedCopy(item.alternative, symbol, static_cast<std::int16_t>(sizeof item.alternative - 1));
  }
  return factor;
}

// The scans of the look-ups, each on the scan of its table.
void StartCodeScan(HostScan& codes, TableObject* code_table) {
  korpus::BuildTextKey(kCodeIndex, codes.key(), "MMM", ".UNR", kCodeTable);
  korpus::PrepareTable(code_table, kPrepareForCodes);
  codes.Start(kCodeIndex);
}

void StartContextScan(HostScan& contexts) {
  korpus::BuildNumberKey(kContextIndex, 0, contexts.key(), korpus_abi::kEveryRecordKey);
  contexts.Start(kContextIndex);
}

// Sets the first context number from a flagged record and starts its goods.
void StartGoodsScan(HostScan& goods, const ContextRecord& context, std::int16_t& first_number) {
  first_number = ContextNumber(fields::Text(context.number));
  korpus::BuildNumberKey(kGoodsIndex, 0, goods.key(), korpus_abi::kEveryRecordKey);
  goods.Start(kGoodsIndex);
}

}  // namespace

std::int32_t CZrobPrufacje::LookUpGoods(char* code, std::int32_t counted) {
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  TableObject* context_table = korpus::OpenTable(kContextTable);
  std::int16_t* first_number = korpus::FirstContextNumber();
  if (code == nullptr) return 0;
  StripSpaces(code);
  if (code[0] == '\0') return 0;
  if (goods_table == nullptr || context_table == nullptr || first_number == nullptr) return 0;
  const SavedNumber saved(first_number);
  const std::string_view wanted = code;

  bool found = false;
  HostScan contexts(context_table);
  StartContextScan(contexts);
  while (const ContextRecord* context = contexts.Next<ContextRecord>()) {
    if (context->flag != kSearched) continue;

    HostScan goods(goods_table);
    StartGoodsScan(goods, *context, *first_number);
    while (const GoodsRecord* record = goods.Next<GoodsRecord>()) {
      if (fields::Text(record->symbol) != wanted) continue;
      // Reported as found even when no position could be added: the goods
      // are known, so they must not come back as "Nowy towar".
      AddPosition(record->name, record->symbol, counted);
      found = true;
      break;
    }
    // A goods scan that failed ends the search.
    if (found || goods.failed()) break;
  }
  return found ? 1 : 0;
}

std::int32_t CZrobPrufacje::TranslateCountedCode(CountedItem& item) {
  std::int32_t factor = kFactorOne;
  TableObject* code_table = korpus::OpenTable(kCodeTable);
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  if (code_table == nullptr || goods_table == nullptr) return factor;
  item.symbol[sizeof item.symbol - 1] = '\0';
  const std::string_view wanted = item.symbol;

  HostScan codes(code_table);
  StartCodeScan(codes, code_table);
  while (const CodeRecord* record = codes.Next<CodeRecord>()) {
    if (fields::Text(record->code) != wanted) continue;
    factor = ApplyCodeRecord(item, *record, *goods_table);
    break;
  }
  return factor;
}

CodeTableWalk::CodeTableWalk() = default;
CodeTableWalk::~CodeTableWalk() = default;

bool CodeTableWalk::Walk(const CountedItem* items, std::int32_t count) {
  if (count <= 0) return codes_.Reserve(0);
  if (!codes_.Reserve(static_cast<std::size_t>(count))) return false;
  for (std::int32_t i = 0; i < count; ++i) {
    codes_.Add(fields::Text(items[i].symbol, sizeof items[i].symbol - 1), static_cast<std::int32_t>(codes_.size()));
  }
  const std::size_t wanted = codes_.size();
  record_of_.reset(new (std::nothrow) std::int32_t[wanted == 0 ? 1 : wanted]);
  if (record_of_ == nullptr) return false;
  for (std::size_t code = 0; code < wanted; ++code) record_of_[code] = -1;

  TableObject* code_table = korpus::OpenTable(kCodeTable);
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  if (code_table == nullptr || goods_table == nullptr || wanted == 0) return true;
  bool kept = true;
  HostScan codes(code_table);
  StartCodeScan(codes, code_table);
  while (kept_ < wanted) {
    const CodeRecord* record = codes.Next<CodeRecord>();
    if (record == nullptr) break;
    const std::int32_t code = codes_.Find(fields::Text(record->code));
    if (code == ShortTextIndex::kAbsent || record_of_[code] >= 0) continue;
    kept = Keep(code, *record);
    if (!kept) break;
  }
  return kept;
}

bool CodeTableWalk::Keep(std::int32_t code, const CodeRecord& record) {
  // Most codes of a file are symbols, which the code table does not hold:
  // room grows with the codes found.
  if (kept_ == room_) {
    const std::size_t grown = room_ == 0 ? 64 : 2 * room_;
    std::unique_ptr<CodeRecord[]> larger(new (std::nothrow) CodeRecord[grown]);
    if (larger == nullptr) return false;
    if (kept_ != 0) std::memcpy(larger.get(), records_.get(), kept_ * sizeof(CodeRecord));
    records_ = std::move(larger);
    room_ = grown;
  }
  std::memcpy(&records_[kept_], &record, sizeof record);
  record_of_[code] = static_cast<std::int32_t>(kept_++);
  return true;
}

std::int32_t CodeTableWalk::Translate(CountedItem& item) const {
  TableObject* code_table = korpus::OpenTable(kCodeTable);
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  if (code_table == nullptr || goods_table == nullptr) return kFactorOne;
  item.symbol[sizeof item.symbol - 1] = '\0';
  const std::int32_t code = codes_.Find(item.symbol);
  if (code == ShortTextIndex::kAbsent || record_of_[code] < 0) return kFactorOne;
  return ApplyCodeRecord(item, records_[static_cast<std::size_t>(record_of_[code])], *goods_table);
}

GoodsWalk::GoodsWalk(CountedItem* items, std::int32_t count) : items_(items), count_(count) {}
GoodsWalk::~GoodsWalk() = default;

std::int32_t GoodsWalk::LookUp(CZrobPrufacje& check, std::int32_t index) {
  CountedItem& item = items_[index];
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  TableObject* context_table = korpus::OpenTable(kContextTable);
  std::int16_t* first_number = korpus::FirstContextNumber();
  StripSpaces(item.symbol);
  if (item.symbol[0] == '\0') return 0;
  if (goods_table == nullptr || context_table == nullptr || first_number == nullptr) return 0;
  if (state_ == State::NotWalked) {
    state_ = Walk(index, *goods_table, *context_table, *first_number) ? State::Walked : State::NoMemory;
  }
  if (state_ == State::NoMemory) return check.LookUpGoods(item.symbol, item.quantity);

  const std::int32_t code = codes_.Find(item.symbol);
  if (code == ShortTextIndex::kAbsent || !goods_[code].seen) return 0;
  // Found even when no position could be added, as LookUpGoods answers.
  check.AddPosition(goods_[code].name, goods_[code].symbol, item.quantity);
  return 1;
}

bool GoodsWalk::Walk(std::int32_t from, TableObject& goods_table, TableObject& context_table,
                     std::int16_t& first_number) {
  if (!codes_.Reserve(static_cast<std::size_t>(count_ - from))) return false;
  for (std::int32_t i = from; i < count_; ++i) {
    // The code as LookUpGoods will see it when the item's turn comes.
    char code[ShortTextIndex::kLongest + 1];
    std::size_t length = 0;
    for (const char* at = items_[i].symbol; *at != '\0' && length <= ShortTextIndex::kLongest; ++at) {
      if (*at != ' ') code[length++] = *at;
    }
    if (length == 0 || length > ShortTextIndex::kLongest) continue;
    codes_.Add(std::string_view(code, length), static_cast<std::int32_t>(codes_.size()));
  }
  const std::size_t wanted = codes_.size();
  goods_.reset(new (std::nothrow) Goods[wanted == 0 ? 1 : wanted]());
  if (goods_ == nullptr) return false;
  if (wanted == 0) return true;

  const SavedNumber saved(&first_number);
  std::size_t found = 0;
  HostScan contexts(&context_table);
  StartContextScan(contexts);
  while (found < wanted) {
    const ContextRecord* context = contexts.Next<ContextRecord>();
    if (context == nullptr) break;
    if (context->flag != kSearched) continue;

    HostScan goods(&goods_table);
    StartGoodsScan(goods, *context, first_number);
    while (found < wanted) {
      const GoodsRecord* record = goods.Next<GoodsRecord>();
      if (record == nullptr) break;
      const std::int32_t code = codes_.Find(fields::Text(record->symbol));
      if (code == ShortTextIndex::kAbsent || goods_[code].seen) continue;
      Goods& first = goods_[code];
      std::memcpy(first.name, record->name, sizeof first.name);
      std::memcpy(first.symbol, record->symbol, sizeof first.symbol);
      first.seen = true;
      ++found;
    }
    // A goods scan that failed to start or ended with 0 ends every item's
    // search here: whatever it has not found stays unfound.
    if (goods.failed()) break;
  }
  return true;
}

}  // namespace verify
