// The columns of the database that reach the host's records, with what
// their fields hold, and how a value of a statement's row is checked
// against them. The store checks every value it delivers; `--check-db`
// checks every row.
#pragma once

#include <sqlite3.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "standin/tables/value_problems.h"

namespace standin::tables {

struct ColumnRule {
  const char* column;
  bool integer;
  std::int64_t min = 0;  // integers
  std::int64_t max = 0;
  std::size_t width = 0;  // texts: the field's bytes, its NUL included
};

inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

namespace columns {
// Quantities and factors are 32-bit thousandths; catalogues and goods ids
// are addressed by the host's 16-bit context numbers; invoice ids go into
// the register row's 32-bit word.
inline constexpr ColumnRule kInvoiceId{"id", true, 1, kInt32Max};
inline constexpr ColumnRule kInvoiceNumber{"number", false, 0, 0, 33};
inline constexpr ColumnRule kPositionInvoice{"invoice_id", true, 1, kInt32Max};
inline constexpr ColumnRule kPositionName{"name", false, 0, 0, 121};
inline constexpr ColumnRule kPositionSymbol{"symbol", false, 0, 0, 17};
inline constexpr ColumnRule kQuantity{"quantity", true, kInt32Min, kInt32Max};
inline constexpr ColumnRule kCatalogueNumber{"number", true, 0, 65535};
inline constexpr ColumnRule kSearched{"searched", true, 0, 1};
inline constexpr ColumnRule kGoodsCatalogue{"catalogue", true, 0, 65535};
inline constexpr ColumnRule kGoodsId{"id", true, 0, 65535};
inline constexpr ColumnRule kGoodsName{"name", false, 0, 0, 121};
inline constexpr ColumnRule kGoodsSymbol{"symbol", false, 0, 0, 17};
inline constexpr ColumnRule kCode{"code", false, 0, 0, 17};
inline constexpr ColumnRule kFactor{"factor", true, kInt32Min, kInt32Max};
inline constexpr ColumnRule kCodeGoodsSymbol{"goods_symbol", false, 0, 0, 119};
inline constexpr ColumnRule kCodeCatalogue{"catalogue", true, 0, 65535};
inline constexpr ColumnRule kCodeGoodsId{"goods_id", true, 0, 65535};
}  // namespace columns

// A column of a statement's row and what its field holds.
struct Checked {
  int index;
  const ColumnRule* rule;
};

std::optional<ValueFault> ColumnFault(sqlite3_stmt* statement, int index, const ColumnRule& rule);

// The value as a user reads it: a number, a text in quotes (bytes that are
// not text as \xNN; a long one cut, ending in "..."), NULL, or x'…' for a
// BLOB.
std::string PrintableValue(sqlite3_stmt* statement, int index);

// The problem of that value in that row, with its limit and consequence;
// `hard` is what a value that cannot be delivered leads to.
ValueProblem MakeProblem(sqlite3_stmt* statement, int index, const ColumnRule& rule, ValueFault fault,
                         const char* table, std::int64_t rowid, std::string key, Consequence hard);

}  // namespace standin::tables
