// The two look-ups in the host's tables for codes that match no position:
// the goods search over the searched catalogues, and the code table.
#include <cstddef>

#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"

namespace verify {

namespace {

using korpus_abi::CodeRecord;
using korpus_abi::ContextRecord;
using korpus_abi::GoodsRecord;
using korpus_abi::TableObject;

constexpr std::int32_t kContextTable = 48;
constexpr std::int32_t kGoodsTable = 49;
constexpr std::int32_t kCodeTable = 117;
constexpr std::int32_t kContextIndex = 3;
constexpr std::int32_t kGoodsIndex = 4;
constexpr std::int32_t kCodeIndex = 154;
constexpr std::int32_t kPrepareForScan = 64;
constexpr std::int32_t kFactorOne = 1000;
constexpr std::int32_t kRecordDelivered = 1;

// The caller's storage that a scan and its key live in.
struct ScanBuffers {
  alignas(std::max_align_t) std::byte cursor[korpus_abi::kCursorSize]{};
  alignas(std::max_align_t) std::byte key[korpus_abi::kKeySize]{};
};

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
  ScanBuffers contexts;
  korpus::BuildNumberKey(kContextIndex, 0, contexts.key, 0);
  std::int32_t status = korpus::ScanStart(contexts.cursor, context_table, kContextIndex, contexts.key, 0, 0);
  while (status != 0) {
    status = korpus::ScanNext(contexts.cursor);
    if (status != kRecordDelivered) break;
    const auto& context = CurrentRecord<ContextRecord>(*context_table);
    if (context.flag != 1) continue;

    *first_number = ContextNumber(fields::Text(context.number));
    ScanBuffers goods;
    korpus::BuildNumberKey(kGoodsIndex, 0, goods.key, 0);
    status = korpus::ScanStart(goods.cursor, goods_table, kGoodsIndex, goods.key, 0, 0);
    while (status != 0) {
      status = korpus::ScanNext(goods.cursor);
      if (status != kRecordDelivered) break;
      const auto& record = CurrentRecord<GoodsRecord>(*goods_table);
      if (fields::Text(record.symbol) != wanted) continue;
      // Reported as found even when no position could be added: the goods
      // are known, so they must not come back as "Nowy towar".
      AddPosition(record.name, record.symbol, counted);
      found = true;
      status = 0;
    }
    korpus::ScanEnd(goods.cursor);
  }
  korpus::ScanEnd(contexts.cursor);
  return found ? 1 : 0;
}

std::int32_t CZrobPrufacje::TranslateCountedCode(CountedItem& item) {
  std::int32_t factor = kFactorOne;
  TableObject* code_table = korpus::OpenTable(kCodeTable);
  TableObject* goods_table = korpus::OpenTable(kGoodsTable);
  if (code_table == nullptr || goods_table == nullptr) return factor;
  item.symbol[sizeof item.symbol - 1] = '\0';
  const std::string_view wanted = item.symbol;

  ScanBuffers codes;
  korpus::BuildTextKey(kCodeIndex, codes.key, "MMM", ".UNR", kCodeTable);
  korpus::PrepareTable(code_table, kPrepareForScan);
  std::int32_t status = korpus::ScanStart(codes.cursor, code_table, kCodeIndex, codes.key, 0, 0);
  while (status != 0) {
    status = korpus::ScanNext(codes.cursor);
    if (status != kRecordDelivered) break;
    const auto& record = CurrentRecord<CodeRecord>(*code_table);
    if (fields::Text(record.code) != wanted) continue;

    factor = record.factor;
    if (factor != kFactorOne) {
      fields::Store(item.symbol, fields::Text(record.goods_symbol));
      break;
    }
    std::int16_t* second_number = korpus::SecondContextNumber();
    std::int16_t* first_number = korpus::FirstContextNumber();
    if (second_number == nullptr || first_number == nullptr) break;
    const SavedNumber saved_second(second_number);
    const SavedNumber saved_first(first_number);
    *second_number = static_cast<std::int16_t>(record.second_locator);
    *first_number = static_cast<std::int16_t>(record.first_locator);
    if (korpus::ReadGoods(-1, 0) != 0) {
      char symbol[sizeof(GoodsRecord::symbol) + 1];
      fields::Store(symbol, fields::Text(CurrentRecord<GoodsRecord>(*goods_table).symbol));
      BoundedCopy(item.alternative, symbol, static_cast<std::int16_t>(sizeof item.alternative - 1));
    }
    break;
  }
  korpus::ScanEnd(codes.cursor);
  return factor;
}

}  // namespace verify
