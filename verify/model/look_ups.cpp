// The two look-ups in the host's tables for codes that match no position:
// the goods search over the searched catalogues, and the code table.
#include "verify/model/look_ups.h"

#include <cstddef>

#include "abi/host_codes.h"
#include "abi/tables.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"
#include "verify/model/host_scan.h"
#include "verify/model/saved_number.h"

namespace verify {

using look_ups::kFactorOne;
using look_ups::kSearched;

namespace {

using korpus_abi::CodeRecord;
using korpus_abi::ContextRecord;
using korpus_abi::GoodsRecord;
using korpus_abi::TableObject;

// What the code table is prepared with before its scan.
constexpr std::int32_t kPrepareForCodes = 64;

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

}  // namespace

namespace look_ups {

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
void StartCodeScan(HostScan& codes) {
  korpus::BuildTextKey(korpus_abi::kCodeIndex, codes.key(), "MMM", ".UNR", korpus_abi::kCodeTable);
  korpus::PrepareTable(codes.table(), kPrepareForCodes);
  codes.Start(korpus_abi::kCodeIndex);
}

void StartContextScan(HostScan& contexts) {
  korpus::BuildNumberKey(korpus_abi::kContextIndex, 0, contexts.key(), korpus_abi::kEveryRecordKey);
  contexts.Start(korpus_abi::kContextIndex);
}

// Sets the first context number from a flagged record and starts its goods.
void StartGoodsScan(HostScan& goods, const ContextRecord& context, std::int16_t& first_number) {
  first_number = ContextNumber(fields::Text(context.number));
  korpus::BuildNumberKey(korpus_abi::kGoodsIndex, 0, goods.key(), korpus_abi::kEveryRecordKey);
  goods.Start(korpus_abi::kGoodsIndex);
}

}  // namespace look_ups

using look_ups::ApplyCodeRecord;
using look_ups::StartCodeScan;
using look_ups::StartContextScan;
using look_ups::StartGoodsScan;

bool CZrobPrufacje::LookUpGoods(char* code, std::int32_t counted) {
  TableObject* goods_table = korpus::OpenTable(korpus_abi::kGoodsTable);
  TableObject* context_table = korpus::OpenTable(korpus_abi::kContextTable);
  std::int16_t* first_number = korpus::FirstContextNumber();
  if (code == nullptr) return false;
  StripSpaces(code);
  if (code[0] == '\0') return false;
  if (goods_table == nullptr || context_table == nullptr || first_number == nullptr) return false;
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
  return found;
}

std::int32_t CZrobPrufacje::TranslateCountedCode(CountedItem& item) {
  std::int32_t factor = kFactorOne;
  TableObject* code_table = korpus::OpenTable(korpus_abi::kCodeTable);
  TableObject* goods_table = korpus::OpenTable(korpus_abi::kGoodsTable);
  if (code_table == nullptr || goods_table == nullptr) return factor;
  item.symbol[sizeof item.symbol - 1] = '\0';
  const std::string_view wanted = item.symbol;

  HostScan codes(code_table);
  StartCodeScan(codes);
  while (const CodeRecord* record = codes.Next<CodeRecord>()) {
    if (fields::Text(record->code) != wanted) continue;
    factor = ApplyCodeRecord(item, *record, *goods_table);
    break;
  }
  return factor;
}

}  // namespace verify
