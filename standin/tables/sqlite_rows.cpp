#include "standin/tables/sqlite_rows.h"

#include "standin/tables/value_problems.h"

namespace standin::sqlite {

using tables::Checked;
using tables::ColumnRule;
using tables::Consequence;
namespace columns = tables::columns;

Verdict CheckRow(sqlite3_stmt* s, std::initializer_list<Checked> checked, const char* table, int rowid_index,
                 std::string (*key)(sqlite3_stmt*), Consequence hard) {
  Verdict verdict = Verdict::Deliver;
  for (const Checked& c : checked) {
    const auto fault = tables::ColumnFault(s, c.index, *c.rule);
    if (!fault) continue;
    tables::ReportProblem(tables::MakeProblem(s, c.index, *c.rule, *fault, table,
                                              sqlite3_column_int64(s, rowid_index), key(s), hard));
    if (!tables::Delivered(*fault)) verdict = hard == Consequence::RefuseCheck ? Verdict::Fail : Verdict::LeaveOut;
    if (verdict == Verdict::Fail) break;
  }
  return verdict;
}

namespace {

std::string Quoted(sqlite3_stmt* s, int index) { return tables::PrintableValue(s, index); }

std::string PositionKey(sqlite3_stmt* s) {
  return "invoice_id " + Quoted(s, 4) + ", line " + Quoted(s, 5);
}
std::string CatalogueKey(sqlite3_stmt* s) { return "number " + Quoted(s, 1); }
std::string GoodsKey(sqlite3_stmt* s) { return "catalogue " + Quoted(s, 2) + ", id " + Quoted(s, 3); }
std::string CodeKey(sqlite3_stmt* s) { return "code " + Quoted(s, 0); }

}  // namespace

std::string InvoiceKey(sqlite3_stmt* s) { return "number " + Quoted(s, 1); }

Verdict FillPosition(sqlite3_stmt* s, RowView& row) {
  const Verdict verdict =
      CheckRow(s, {{0, &columns::kPositionName}, {1, &columns::kPositionSymbol}, {2, &columns::kQuantity}},
               "invoice_positions", 3, &PositionKey, Consequence::RefuseCheck);
  row = RowView{};
  row.name = Text(s, 0);
  row.symbol = Text(s, 1);
  row.quantity = sqlite3_column_int64(s, 2);
  return verdict;
}

Verdict FillCatalogue(sqlite3_stmt* s, RowView& row) {
  const Verdict verdict = CheckRow(s, {{1, &columns::kCatalogueNumber}, {2, &columns::kSearched}}, "catalogues", 3,
                                   &CatalogueKey, Consequence::LeaveOut);
  row = RowView{};
  row.name = Text(s, 0);
  row.number = sqlite3_column_int64(s, 1);
  row.searched = sqlite3_column_int64(s, 2);
  return verdict;
}

Verdict FillGoods(sqlite3_stmt* s, RowView& row) {
  const Verdict verdict = CheckRow(s,
                                   {{0, &columns::kGoodsName},
                                    {1, &columns::kGoodsSymbol},
                                    {2, &columns::kGoodsCatalogue},
                                    {3, &columns::kGoodsId}},
                                   "goods", 4, &GoodsKey, Consequence::LeaveOut);
  row = RowView{};
  row.name = Text(s, 0);
  row.symbol = Text(s, 1);
  row.catalogue = sqlite3_column_int64(s, 2);
  row.id = sqlite3_column_int64(s, 3);
  return verdict;
}

Verdict FillCode(sqlite3_stmt* s, RowView& row) {
  const Verdict verdict = CheckRow(s,
                                   {{0, &columns::kCode},
                                    {1, &columns::kCodeGoodsSymbol},
                                    {2, &columns::kFactor},
                                    {3, &columns::kCodeCatalogue},
                                    {4, &columns::kCodeGoodsId}},
                                   "codes", 5, &CodeKey, Consequence::LeaveOut);
  row = RowView{};
  row.code = Text(s, 0);
  row.goods_symbol = Text(s, 1);
  row.factor = sqlite3_column_int64(s, 2);
  row.catalogue = sqlite3_column_int64(s, 3);
  row.id = sqlite3_column_int64(s, 4);
  return verdict;
}

}  // namespace standin::sqlite
