// The batch walks of the code table and of the searched goods, built from
// the steps of the per-item look-ups (look_ups.h).
#include "verify/model/table_walks.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "abi/tables.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"
#include "verify/model/host_scan.h"
#include "verify/model/look_ups.h"
#include "verify/model/saved_number.h"

namespace verify {

using korpus_abi::CodeRecord;
using korpus_abi::ContextRecord;
using korpus_abi::GoodsRecord;
using korpus_abi::TableObject;

using korpus_abi::kCodeTable;
using korpus_abi::kContextTable;
using korpus_abi::kGoodsTable;

using look_ups::ApplyCodeRecord;
using look_ups::kFactorOne;
using look_ups::kSearched;
using look_ups::StartCodeScan;
using look_ups::StartContextScan;
using look_ups::StartGoodsScan;

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
  StartCodeScan(codes);
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

bool GoodsWalk::LookUp(CZrobPrufacje& check, std::int32_t index) {
  CountedItem& item = items_[index];
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  TableObject* context_table = korpus::OpenTable(kContextTable);
  std::int16_t* first_number = korpus::FirstContextNumber();
  StripSpaces(item.symbol);
  if (item.symbol[0] == '\0') return false;
  if (goods_table == nullptr || context_table == nullptr || first_number == nullptr) return false;
  if (state_ == State::NotWalked) {
    state_ = Walk(index, *goods_table, *context_table, *first_number) ? State::Walked : State::NoMemory;
  }
  if (state_ == State::NoMemory) return check.LookUpGoods(item.symbol, item.quantity);

  const std::int32_t code = codes_.Find(item.symbol);
  if (code == ShortTextIndex::kAbsent || !goods_[code].seen) return false;
  // Found even when no position could be added, as LookUpGoods answers.
  check.AddPosition(goods_[code].name, goods_[code].symbol, item.quantity);
  return true;
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
