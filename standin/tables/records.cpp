#include "standin/tables/records.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <limits>

#include "abi/codepage.h"
#include "standin/tables/tables.h"

namespace standin::tables {

namespace {

// Every character of Mazovia lies below this code point.
constexpr char32_t kMazoviaReach = 0x2600;

// Code point to Mazovia byte in one look-up; 0 marks "none" (U+0000 is
// handled before the table is asked).
constexpr auto kToMazovia = [] {
  std::array<std::uint8_t, kMazoviaReach> table{};
  for (char32_t ch = 1; ch < 0x80; ++ch) table[ch] = static_cast<std::uint8_t>(ch);
  for (std::size_t i = 0; i < codepage::kMazoviaHigh.size(); ++i) {
    table[codepage::kMazoviaHigh[i]] = static_cast<std::uint8_t>(0x80 + i);
  }
  return table;
}();

char ToMazovia(char32_t ch) {
  if (ch >= kMazoviaReach || kToMazovia[ch] == 0) return '?';
  return static_cast<char>(kToMazovia[ch]);
}

bool IsPlainAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte != 0 && byte < 0x80;
}

// The length of the leading run of whole 8-byte words that hold plain
// ASCII only (no NUL, no high bit).
std::size_t PlainAsciiWords(const char* text, std::size_t length) {
  constexpr std::uint64_t kOnes = 0x0101010101010101u;
  constexpr std::uint64_t kHighs = 0x8080808080808080u;
  std::size_t run = 0;
  for (; run + 8 <= length; run += 8) {
    std::uint64_t word;
    std::memcpy(&word, text + run, sizeof word);
    if ((word & kHighs) != 0 || ((word - kOnes) & ~word & kHighs) != 0) break;
  }
  return run;
}

template <typename T>
T Clamp(std::int64_t value) {
  return static_cast<T>(std::clamp<std::int64_t>(value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max()));
}

}  // namespace

std::size_t PutText(std::string_view utf8, std::span<char> field) {
  if (field.empty()) return 0;
  std::size_t written = 0;
  for (std::size_t pos = 0; pos < utf8.size() && written + 1 < field.size();) {
    // A run of ASCII goes over in one copy.
    const std::size_t room = std::min(utf8.size() - pos, field.size() - 1 - written);
    std::size_t run = PlainAsciiWords(utf8.data() + pos, room);
    while (run < room && IsPlainAscii(utf8[pos + run])) ++run;
    if (run > 0) {
      std::memcpy(field.data() + written, utf8.data() + pos, run);
      written += run;
      pos += run;
      continue;
    }
    const char32_t ch = codepage::DecodeUtf8(utf8, pos);
    // A NUL inside the text would end it early for every reader anyway.
    if (ch == 0) break;
    field[written++] = ToMazovia(ch);
  }
  field[written] = '\0';
  return written;
}

void Materialise(const RowView& row, korpus_abi::PositionRecord& record) {
  std::memset(&record, 0, sizeof record);
  PutText(row.name, record.name);
  PutText(row.symbol, record.symbol);
  record.quantity = Clamp<std::int32_t>(row.quantity);
}

void Materialise(const RowView& row, korpus_abi::ContextRecord& record) {
  std::memset(&record, 0, sizeof record);
  // 22 bytes hold every 64-bit number with its sign; the NUL is kept.
  std::to_chars(record.number, record.number + sizeof record.number - 1, row.number);
  record.flag = Clamp<std::int16_t>(row.searched);
}

void Materialise(const RowView& row, korpus_abi::GoodsRecord& record) {
  std::memset(&record, 0, sizeof record);
  PutText(row.name, record.name);
  PutText(row.symbol, record.symbol);
}

void Materialise(const RowView& row, korpus_abi::CodeRecord& record) {
  std::memset(&record, 0, sizeof record);
  PutText(row.code, record.code);
  record.factor = Clamp<std::int32_t>(row.factor);
  PutText(row.goods_symbol, record.goods_symbol);
  // Locators are the host's 16-bit words: catalogues and goods ids that
  // the code table points at lie in 0..65535.
  record.first_locator = static_cast<std::uint16_t>(row.catalogue);
  record.second_locator = static_cast<std::uint16_t>(row.id);
}

void FillRegisterRow(const InvoiceRow& invoice, std::span<std::uint8_t, korpus_abi::kRegisterRowSize> row) {
  std::fill(row.begin(), row.end(), std::uint8_t{0});
  PutText(invoice.number,
          std::span(reinterpret_cast<char*>(row.data()) + korpus_abi::kRowNumberOffset, korpus_abi::kRowNumberWidth));
  const std::int32_t id = Clamp<std::int32_t>(invoice.id);
  const std::size_t at =
      invoice.kind == Register::Sales ? korpus_abi::kSalesRowIdOffset : korpus_abi::kPurchaseRowIdOffset;
  std::memcpy(row.data() + at, &id, sizeof id);
}

}  // namespace standin::tables
