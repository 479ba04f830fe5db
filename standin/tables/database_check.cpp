#include "standin/tables/database_check.h"

#include <sqlite3.h>

#include <initializer_list>
#include <string>
#include <string_view>

#include "standin/tables/sqlite_values.h"
#include "standin/tables/store.h"

namespace standin::tables {

namespace {

struct TableCheck {
  const char* table;
  const char* sql;  // rowid first
  const char* older_sql;  // for a file made before invoices had a NIP; null: the same
  std::initializer_list<Checked> columns;
  std::string (*key)(sqlite3_stmt*);
  Consequence hard;
};

std::string Value(sqlite3_stmt* s, int index) { return PrintableValue(s, index); }

std::string_view Text(sqlite3_stmt* s, int index) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(s, index));
  return text == nullptr ? std::string_view() : std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(s, index)));
}

const TableCheck kChecks[] = {
    {"invoices", "SELECT rowid, id, register, number, nip FROM invoices ORDER BY rowid",
     "SELECT rowid, id, register, number, NULL FROM invoices ORDER BY rowid",
     {{1, &columns::kInvoiceId}, {3, &columns::kInvoiceNumber}},
     [](sqlite3_stmt* s) { return "number " + Value(s, 3); }, Consequence::LeaveOut},
    {"invoice_positions",
     "SELECT rowid, invoice_id, line, name, symbol, quantity FROM invoice_positions ORDER BY rowid", nullptr,
     {{1, &columns::kPositionInvoice}, {3, &columns::kPositionName}, {4, &columns::kPositionSymbol},
      {5, &columns::kQuantity}},
     [](sqlite3_stmt* s) { return "invoice_id " + Value(s, 1) + ", line " + Value(s, 2); },
     Consequence::RefuseCheck},
    {"catalogues", "SELECT rowid, number, searched FROM catalogues ORDER BY rowid", nullptr,
     {{1, &columns::kCatalogueNumber}, {2, &columns::kSearched}},
     [](sqlite3_stmt* s) { return "number " + Value(s, 1); }, Consequence::LeaveOut},
    {"goods", "SELECT rowid, catalogue, id, name, symbol FROM goods ORDER BY rowid", nullptr,
     {{1, &columns::kGoodsCatalogue}, {2, &columns::kGoodsId}, {3, &columns::kGoodsName},
      {4, &columns::kGoodsSymbol}},
     [](sqlite3_stmt* s) { return "catalogue " + Value(s, 1) + ", id " + Value(s, 2); }, Consequence::LeaveOut},
    {"codes", "SELECT rowid, code, factor, goods_symbol, catalogue, goods_id FROM codes ORDER BY rowid", nullptr,
     {{1, &columns::kCode}, {2, &columns::kFactor}, {3, &columns::kCodeGoodsSymbol}, {4, &columns::kCodeCatalogue},
      {5, &columns::kCodeGoodsId}},
     [](sqlite3_stmt* s) { return "code " + Value(s, 1); }, Consequence::LeaveOut},
};

class ReadOnly {
 public:
  explicit ReadOnly(const std::filesystem::path& file) {
    const std::u8string name = file.u8string();
    if (sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db_, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
      const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : "out of memory";
      sqlite3_close(db_);
      throw StoreError("cannot open " + file.string() + ": " + message);
    }
  }
  ~ReadOnly() { sqlite3_close(db_); }
  ReadOnly(const ReadOnly&) = delete;
  ReadOnly& operator=(const ReadOnly&) = delete;

  bool HasTable(const char* table) const {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1", -1, &s, nullptr) !=
        SQLITE_OK) {
      sqlite3_finalize(s);
      throw StoreError(sqlite3_errmsg(db_));
    }
    sqlite3_bind_text(s, 1, table, -1, SQLITE_STATIC);
    const int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) throw StoreError(sqlite3_errmsg(db_));
    return rc == SQLITE_ROW;
  }

  bool HasColumn(const char* table, const char* column) const {
    sqlite3_stmt* s = nullptr;
    const std::string sql = std::string("SELECT ") + column + " FROM " + table + " LIMIT 0";
    const bool present = sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK;
    sqlite3_finalize(s);
    return present;
  }

  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

void CheckTable(const ReadOnly& db, const TableCheck& check, std::vector<ValueProblem>& problems) {
  sqlite3_stmt* s = nullptr;
  const char* sql = check.older_sql != nullptr && !db.HasColumn(check.table, "nip") ? check.older_sql : check.sql;
  if (sqlite3_prepare_v2(db.get(), sql, -1, &s, nullptr) != SQLITE_OK) {
    const std::string message = sqlite3_errmsg(db.get());
    sqlite3_finalize(s);
    throw StoreError(std::string(check.table) + ": " + message);
  }
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    const std::int64_t rowid = sqlite3_column_int64(s, 0);
    if (std::string_view(check.table) == "invoices") {
      const auto* kind = reinterpret_cast<const char*>(sqlite3_column_text(s, 2));
      const std::string_view text = kind != nullptr ? kind : "";
      if (text != "sales" && text != "purchase") {
        ValueProblem problem{check.table, rowid, check.key(s), "register", Value(s, 2), ValueFault::OutOfRange,
                             "'sales' or 'purchase'", Consequence::LeaveOut};
        if (kind == nullptr) {
          problem.fault = ValueFault::Null;
          problem.limit.clear();
        }
        problems.push_back(std::move(problem));
      }
      // The NIP only tells one seller's invoices from another's.
      const int nip_type = sqlite3_column_type(s, 4);
      if (nip_type != SQLITE_NULL && (nip_type != SQLITE_TEXT || !IsNip(Text(s, 4)))) {
        problems.push_back({check.table, rowid, check.key(s), "nip", Value(s, 4), ValueFault::NotANip, "",
                            Consequence::CompareByName});
      }
    }
    for (const Checked& c : check.columns) {
      if (const auto fault = ColumnFault(s, c.index, *c.rule)) {
        problems.push_back(MakeProblem(s, c.index, *c.rule, *fault, check.table, rowid, check.key(s), check.hard));
      }
    }
  }
  const std::string message = rc == SQLITE_DONE ? "" : sqlite3_errmsg(db.get());
  sqlite3_finalize(s);
  if (!message.empty()) throw StoreError(std::string(check.table) + ": " + message);
}

}  // namespace

std::vector<ValueProblem> CheckDatabase(const std::filesystem::path& file) {
  const ReadOnly db(file);
  std::vector<ValueProblem> problems;
  for (const TableCheck& check : kChecks) {
    if (db.HasTable(check.table)) CheckTable(db, check, problems);
  }
  return problems;
}

}  // namespace standin::tables
