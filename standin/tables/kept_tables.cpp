#include "standin/tables/kept_tables.h"

#include <limits>

#include "standin/tables/sqlite_values.h"

namespace standin::sqlite {

using tables::Checked;
namespace columns = tables::columns;

namespace {

constexpr std::uint32_t Size32(std::size_t size) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max()));
}

bool Stopped(StopFlag stop, std::size_t rows_read) {
  return stop != nullptr && rows_read % 1024 == 0 && stop->load(std::memory_order_relaxed);
}

// A row's values looked at without telling anything: whether one has a
// problem, and whether the row can be delivered all the same.
struct Looked {
  bool faulty = false;
  bool deliver = true;
};

Looked LookAt(sqlite3_stmt* s, std::initializer_list<Checked> checked) {
  Looked looked;
  for (const Checked& c : checked) {
    const auto fault = tables::ColumnFault(s, c.index, *c.rule);
    if (!fault) continue;
    looked.faulty = true;
    if (!tables::Delivered(*fault)) looked.deliver = false;
  }
  return looked;
}

}  // namespace

std::shared_ptr<KeptCodes> ReadCodes(RowCursor& cursor) {
  auto kept = std::make_shared<KeptCodes>();
  RowView row;
  for (Step step = cursor.Next(row); step != Step::End; step = cursor.Next(row)) {
    if (step == Step::Failed) {
      kept->failed = true;
      break;
    }
    kept->rows.push_back({kept->texts.Keep(row.code, row.goods_symbol), Size32(row.code.size()),
                          Size32(row.goods_symbol.size()), static_cast<std::int32_t>(row.factor),
                          static_cast<std::uint16_t>(row.catalogue), static_cast<std::uint16_t>(row.id)});
  }
  kept->rows.shrink_to_fit();
  return kept;
}

std::shared_ptr<KeptGoodsTable> ReadGoodsTable(const std::shared_ptr<Connection>& connection, StopFlag stop) {
  Lease all(connection, Query::AllGoods);
  sqlite3_stmt* s = all.get();
  auto table = std::make_shared<KeptGoodsTable>();
  KeptCatalogue* rows = nullptr;
  std::int64_t rows_catalogue = 0;
  for (std::size_t read = 0;; ++read) {
    if (Stopped(stop, read)) return nullptr;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) return nullptr;
    const Looked looked = LookAt(s, {Checked{0, &columns::kGoodsName}, Checked{1, &columns::kGoodsSymbol},
                                     Checked{2, &columns::kGoodsCatalogue}, Checked{3, &columns::kGoodsId}});
    const std::int64_t catalogue = sqlite3_column_int64(s, 2);
    if (looked.faulty) {
      auto& where = sqlite3_column_type(s, 2) == SQLITE_INTEGER ? table->faulty[catalogue] : table->stray;
      where.push_back(sqlite3_column_int64(s, 4));
    }
    if (!looked.deliver) continue;
    if (rows == nullptr || catalogue != rows_catalogue) {
      rows = &table->catalogues[catalogue];
      rows_catalogue = catalogue;
    }
    const std::string_view name = Text(s, 0);
    const std::string_view symbol = Text(s, 1);
    rows->rows.push_back({rows->texts.Keep(name, symbol), Size32(name.size()),
                          static_cast<std::uint16_t>(std::min<std::size_t>(symbol.size(), 0xFFFF)),
                          static_cast<std::uint16_t>(sqlite3_column_int64(s, 3))});
  }
  // Rows came in rowid order; a catalogue is scanned in id order, rowid
  // order among equal ids.
  const auto by_id = [](const KeptGoods& a, const KeptGoods& b) { return a.id < b.id; };
  for (auto& [number, catalogue] : table->catalogues) {
    auto& rows_of = catalogue.rows;
    if (!std::is_sorted(rows_of.begin(), rows_of.end(), by_id)) std::stable_sort(rows_of.begin(), rows_of.end(), by_id);
  }
  return table;
}

std::shared_ptr<KeptCodes> ReadCodesQuietly(const std::shared_ptr<Connection>& connection, StopFlag stop) {
  Lease all(connection, Query::Codes);
  sqlite3_stmt* s = all.get();
  auto kept = std::make_shared<KeptCodes>();
  for (std::size_t read = 0;; ++read) {
    if (Stopped(stop, read)) return nullptr;
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) return nullptr;
    const Looked looked =
        LookAt(s, {Checked{0, &columns::kCode}, Checked{1, &columns::kCodeGoodsSymbol}, Checked{2, &columns::kFactor},
                   Checked{3, &columns::kCodeCatalogue}, Checked{4, &columns::kCodeGoodsId}});
    if (looked.faulty) kept->faulty.push_back(sqlite3_column_int64(s, 5));
    if (!looked.deliver) continue;
    const std::string_view code = Text(s, 0);
    const std::string_view goods_symbol = Text(s, 1);
    kept->rows.push_back({kept->texts.Keep(code, goods_symbol), Size32(code.size()), Size32(goods_symbol.size()),
                          static_cast<std::int32_t>(sqlite3_column_int64(s, 2)),
                          static_cast<std::uint16_t>(sqlite3_column_int64(s, 3)),
                          static_cast<std::uint16_t>(sqlite3_column_int64(s, 4))});
  }
  kept->rows.shrink_to_fit();
  return kept;
}

}  // namespace standin::sqlite
