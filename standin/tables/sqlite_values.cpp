#include "standin/tables/sqlite_values.h"

#include <cstdio>
#include <string_view>

namespace standin::tables {

namespace {

std::string_view Bytes(sqlite3_stmt* statement, int index) {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, index));
  if (bytes == nullptr) return {};
  return {bytes, static_cast<std::size_t>(sqlite3_column_bytes(statement, index))};
}

constexpr std::size_t kShownBytes = 60;

}  // namespace

std::optional<ValueFault> ColumnFault(sqlite3_stmt* statement, int index, const ColumnRule& rule) {
  const int type = sqlite3_column_type(statement, index);
  if (type == SQLITE_NULL) return ValueFault::Null;
  if (rule.integer) {
    if (type == SQLITE_FLOAT) return ValueFault::RealForInteger;
    if (type != SQLITE_INTEGER) return ValueFault::TextForNumber;
    const std::int64_t value = sqlite3_column_int64(statement, index);
    if (value < rule.min || value > rule.max) return ValueFault::OutOfRange;
    return std::nullopt;
  }
  if (type == SQLITE_BLOB) return ValueFault::NotText;
  if (type != SQLITE_TEXT) return std::nullopt;  // a number in a text column reads as its digits
  return TextFault(Bytes(statement, index), rule.width);
}

std::string PrintableValue(sqlite3_stmt* statement, int index) {
  char buffer[64];
  switch (sqlite3_column_type(statement, index)) {
    case SQLITE_NULL:
      return "NULL";
    case SQLITE_INTEGER:
      return std::to_string(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT:
      std::snprintf(buffer, sizeof buffer, "%.15g", sqlite3_column_double(statement, index));
      return buffer;
    case SQLITE_BLOB: {
      const std::string_view bytes = Bytes(statement, index);
      std::string shown = "x'";
      for (std::size_t i = 0; i < bytes.size() && i < kShownBytes / 2; ++i) {
        std::snprintf(buffer, sizeof buffer, "%02X", static_cast<unsigned char>(bytes[i]));
        shown += buffer;
      }
      return shown + (bytes.size() > kShownBytes / 2 ? "...'" : "'");
    }
    default: {
      const std::string_view text = Bytes(statement, index);
      std::string shown = "'";
      for (std::size_t at = 0; at < text.size() && at < kShownBytes;) {
        // Whole UTF-8 characters as they are, every other byte as \xNN.
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead >= 0xC2 && lead <= 0xF4) length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead >= 0x20 && lead != 0x7F && at + length <= text.size() && IsUtf8(text.substr(at, length))) {
          shown.append(text.substr(at, length));
          at += length;
          continue;
        }
        std::snprintf(buffer, sizeof buffer, "\\x%02X", lead);
        shown += buffer;
        ++at;
      }
      return shown + (text.size() > kShownBytes ? "...'" : "'");
    }
  }
}

ValueProblem MakeProblem(sqlite3_stmt* statement, int index, const ColumnRule& rule, ValueFault fault,
                         const char* table, std::int64_t rowid, std::string key, Consequence hard) {
  ValueProblem problem;
  problem.table = table;
  problem.rowid = rowid;
  problem.key = std::move(key);
  problem.column = rule.column;
  problem.value = PrintableValue(statement, index);
  problem.fault = fault;
  if (fault == ValueFault::OutOfRange) problem.limit = std::to_string(rule.min) + ".." + std::to_string(rule.max);
  if (fault == ValueFault::TooLong) problem.limit = std::to_string(rule.width - 1);
  problem.consequence = fault == ValueFault::TooLong   ? Consequence::Cut
                        : fault == ValueFault::NoMazovia ? Consequence::Replace
                                                         : hard;
  return problem;
}

}  // namespace standin::tables
