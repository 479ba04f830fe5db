// The store in a SQLite database file, the host program's default. A scan
// is one prepared statement stepped once per record; statements are kept
// and reused, so starting a scan does not compile SQL either. The goods
// table and the code table, which every typed code walks whole, are kept
// in compact form until the database changes.
#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "korpus/tables/fault_vfs.h"
#include "korpus/tables/sqlite_values.h"
#include "korpus/tables/store.h"
#include "korpus/tables/value_problems.h"
#include "korpus/testing.h"

namespace standin {

namespace {

enum class Query : std::uint8_t {
  Positions,
  Catalogues,
  Goods,
  Codes,
  ReadGoods,
  NextLine,
  InsertInvoice,
  InsertPosition,
  InsertCatalogue,
  InsertGoods,
  InsertCode,
  InsertDocument,
  ListInvoices,
  FindInvoice,
  Documents,
  DataVersion,
  AllGoods,
  FaultyGoods,
  FaultyCodes,
  Count_
};

constexpr std::array<const char*, static_cast<std::size_t>(Query::Count_)> kSql = {
    "SELECT p.name, p.symbol, p.quantity, p.rowid, p.invoice_id, p.line FROM invoice_positions AS p "
    "JOIN invoices AS i ON i.id = p.invoice_id WHERE p.invoice_id = ?1 AND i.register = ?2 ORDER BY p.line, p.rowid",
    "SELECT name, number, searched, rowid FROM catalogues WHERE number >= ?1 ORDER BY number",
    "SELECT name, symbol, catalogue, id, rowid FROM goods WHERE catalogue = ?1 AND id >= ?2 ORDER BY id, rowid",
    "SELECT code, goods_symbol, factor, catalogue, goods_id, rowid FROM codes ORDER BY code, rowid",
    "SELECT name, symbol, catalogue, id, rowid FROM goods WHERE catalogue = ?1 AND id = ?2 ORDER BY rowid LIMIT 1",
    "SELECT MAX(COALESCE(MAX(line), 0), 0) + 1 FROM invoice_positions WHERE invoice_id = ?1",
    "INSERT INTO invoices (id, register, number, issued, counterparty, nip) VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
    "INSERT INTO invoice_positions (invoice_id, line, name, symbol, quantity) VALUES (?1, ?2, ?3, ?4, ?5)",
    "INSERT INTO catalogues (number, name, searched) VALUES (?1, ?2, ?3)",
    "INSERT INTO goods (catalogue, id, name, symbol) VALUES (?1, ?2, ?3, ?4)",
    "INSERT INTO codes (code, factor, goods_symbol, catalogue, goods_id) VALUES (?1, ?2, ?3, ?4, ?5)",
    "INSERT INTO documents (kind, name, stored_at, content, invoice_id) VALUES (?1, ?2, ?3, ?4, ?5)",
    "SELECT id, number, issued, counterparty, nip FROM invoices WHERE register = ?1 ORDER BY issued, id",
    "SELECT id, register, number, issued, counterparty, nip FROM invoices WHERE id = ?1",
    "SELECT id, kind, name, stored_at, content, invoice_id FROM documents ORDER BY id",
    "PRAGMA data_version",
    "SELECT name, symbol, catalogue, id, rowid FROM goods",
    "SELECT name, symbol, catalogue, id, rowid FROM goods WHERE rowid IN (SELECT value FROM json_each(?1)) "
    "AND catalogue = ?2 AND id >= ?3 ORDER BY id, rowid",
    "SELECT code, goods_symbol, factor, catalogue, goods_id, rowid FROM codes "
    "WHERE rowid IN (SELECT value FROM json_each(?1)) ORDER BY code, rowid",
};

std::string_view Text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

std::string OwnedText(sqlite3_stmt* statement, int column) { return std::string(Text(statement, column)); }

// An empty text is bound as '' (a null pointer would bind NULL).
void BindText(sqlite3_stmt* statement, int parameter, std::string_view text) {
  sqlite3_bind_text64(statement, parameter, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT,
                      SQLITE_UTF8);
}

// The connection and its pool of prepared statements. Cursors share it, so
// a scan in progress keeps it open after the store itself is gone.
class Connection {
 public:
  enum class Access : std::uint8_t { ReadWrite, ReadOnly };

  // A read-only connection opens the file as it is: no schema is laid out.
  explicit Connection(const std::filesystem::path& file, Access access = Access::ReadWrite) {
    // SQLite takes UTF-8 names everywhere; a Windows path is wide.
    const std::u8string name = file.u8string();
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db_, flags, tables::FaultVfs());
    if (rc != SQLITE_OK) {
      const std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw StoreError("cannot open " + file.string() + ": " + message);
    }
    // A user's SQLite tool may hold the file for a moment.
    sqlite3_busy_timeout(db_, 2000);
    if (access == Access::ReadOnly) return;
    // With a write-ahead log, readers and a writer of other connections do
    // not wait for each other; the mode stays with the file. A file that
    // cannot be switched now (read-only, held by another program) keeps
    // its journal and is switched at a later open.
    sqlite3_exec(db_, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
    char* error = nullptr;
    if (sqlite3_exec(db_, kSchemaSql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error != nullptr ? error : "unknown error";
      sqlite3_free(error);
      sqlite3_close(db_);
      throw StoreError("cannot lay out " + file.string() + ": " + message);
    }
    AddLaterColumns(file);
  }

  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  ~Connection() {
    for (auto& pool : free_) {
      for (sqlite3_stmt* statement : pool) sqlite3_finalize(statement);
    }
    sqlite3_close(db_);
  }

  // A statement of the query, reset and unbound, for the caller alone
  // until it gives it back.
  sqlite3_stmt* Take(Query query) {
    auto& pool = free_[static_cast<std::size_t>(query)];
    if (!pool.empty()) {
      sqlite3_stmt* statement = pool.back();
      pool.pop_back();
      return statement;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db_, kSql[static_cast<std::size_t>(query)], -1, SQLITE_PREPARE_PERSISTENT, &statement,
                           nullptr) != SQLITE_OK) {
      throw StoreError(sqlite3_errmsg(db_));
    }
    return statement;
  }

  void Give(Query query, sqlite3_stmt* statement) noexcept {
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    auto& pool = free_[static_cast<std::size_t>(query)];
    try {
      pool.push_back(statement);
    } catch (...) {
      sqlite3_finalize(statement);
    }
  }

  void Execute(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
      const std::string message = error != nullptr ? error : sqlite3_errmsg(db_);
      sqlite3_free(error);
      throw StoreError(message);
    }
  }

  [[noreturn]] void Fail() const { throw StoreError(sqlite3_errmsg(db_)); }

  // Ends the statement that another thread is stepping; safe from any thread.
  void Interrupt() const { sqlite3_interrupt(db_); }

  std::int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }

 private:
  // Files made before documents named their invoice, or invoices their
  // counterparty's NIP, get the column; their rows keep NULL there.
  void AddLaterColumns(const std::filesystem::path& file) {
    const std::pair<std::string, std::string> kLater[] = {
        {"SELECT invoice_id FROM documents LIMIT 0", "ALTER TABLE documents ADD COLUMN invoice_id INTEGER"},
        {"SELECT nip FROM invoices LIMIT 0", std::string("ALTER TABLE invoices ADD COLUMN ") + kInvoiceNipColumn},
    };
    for (const auto& [probe_sql, add_sql] : kLater) {
      sqlite3_stmt* probe = nullptr;
      const bool present = sqlite3_prepare_v2(db_, probe_sql.c_str(), -1, &probe, nullptr) == SQLITE_OK;
      sqlite3_finalize(probe);
      if (present) continue;
      char* error = nullptr;
      if (sqlite3_exec(db_, add_sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error != nullptr ? error : "unknown error";
        sqlite3_free(error);
        sqlite3_close(db_);
        throw StoreError("cannot lay out " + file.string() + ": " + message);
      }
    }
  }

  sqlite3* db_ = nullptr;
  std::array<std::vector<sqlite3_stmt*>, static_cast<std::size_t>(Query::Count_)> free_;
};

// A statement taken from the pool for one use.
class Lease {
 public:
  Lease(std::shared_ptr<Connection> connection, Query query)
      : connection_(std::move(connection)), query_(query), statement_(connection_->Take(query)) {}
  Lease(const Lease&) = delete;
  Lease& operator=(const Lease&) = delete;
  ~Lease() { connection_->Give(query_, statement_); }

  sqlite3_stmt* get() const { return statement_; }

  // Runs a statement that gives no rows.
  void Run() {
    if (sqlite3_step(statement_) != SQLITE_DONE) connection_->Fail();
    sqlite3_reset(statement_);
  }

 private:
  std::shared_ptr<Connection> connection_;
  Query query_;
  sqlite3_stmt* statement_;
};

// Several writes as one: rolled back unless committed.
class Transaction {
 public:
  explicit Transaction(Connection& connection) : connection_(connection) { connection_.Execute("BEGIN"); }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  ~Transaction() {
    if (open_) Rollback();
  }
  void Commit() {
    connection_.Execute("COMMIT");
    open_ = false;
  }

 private:
  void Rollback() noexcept {
    try {
      connection_.Execute("ROLLBACK");
    } catch (...) {
    }
  }
  Connection& connection_;
  bool open_ = true;
};

// What a scan does with a row whose values it checked.
enum class Verdict : std::uint8_t { Deliver, LeaveOut, Fail };

using tables::Checked;
using tables::ColumnRule;
using tables::Consequence;
namespace columns = tables::columns;

// Reports every value of the row that its field cannot hold as it is.
// A value that cannot be delivered at all leaves the row out, or fails the
// scan where leaving it out would change a result (an invoice's positions).
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

std::string Quoted(sqlite3_stmt* s, int index) { return tables::PrintableValue(s, index); }

std::string PositionKey(sqlite3_stmt* s) {
  return "invoice_id " + Quoted(s, 4) + ", line " + Quoted(s, 5);
}
std::string CatalogueKey(sqlite3_stmt* s) { return "number " + Quoted(s, 1); }
std::string GoodsKey(sqlite3_stmt* s) { return "catalogue " + Quoted(s, 2) + ", id " + Quoted(s, 3); }
std::string CodeKey(sqlite3_stmt* s) { return "code " + Quoted(s, 0); }
std::string InvoiceKey(sqlite3_stmt* s) { return "number " + Quoted(s, 1); }

using Fill = Verdict (*)(sqlite3_stmt*, RowView&);

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

class StatementCursor final : public RowCursor {
 public:
  StatementCursor(std::shared_ptr<Connection> connection, Query query, Fill fill)
      : lease_(std::move(connection), query), fill_(fill) {}

  sqlite3_stmt* statement() const { return lease_.get(); }

  Step Next(RowView& row) override {
    while (!done_) {
      switch (sqlite3_step(lease_.get())) {
        case SQLITE_ROW:
          switch (fill_(lease_.get(), row)) {
            case Verdict::Deliver: return Step::Row;
            case Verdict::LeaveOut: continue;
            case Verdict::Fail: done_ = true; return Step::Failed;
          }
          continue;
        case SQLITE_DONE:
          done_ = true;
          return Step::End;
        default:
          return Step::Failed;
      }
    }
    return Step::End;
  }

 private:
  Lease lease_;
  Fill fill_;
  bool done_ = false;
};

// Texts of kept rows side by side in blocks that never move, so that a
// kept row costs its bytes and not a string object per text.
class TextArena {
 public:
  // Both texts, the second right after the first; where the first begins.
  const char* Keep(std::string_view first, std::string_view second) {
    const std::size_t size = first.size() + second.size();
    // Never null, so that a row's texts can be reached by adding sizes.
    if (size == 0) return "";
    if (size > free_) {
      // Blocks double up to 1 MB: a small table costs little room.
      next_ = std::min(next_ * 2, kBlock);
      const std::size_t block = std::max(next_, size);
      blocks_.push_back(std::make_unique_for_overwrite<char[]>(block));
      at_ = blocks_.back().get();
      free_ = block;
    }
    char* kept = at_;
    if (!first.empty()) std::memcpy(kept, first.data(), first.size());
    if (!second.empty()) std::memcpy(kept + first.size(), second.data(), second.size());
    at_ += size;
    free_ -= size;
    return kept;
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::vector<std::unique_ptr<char[]>> blocks_;
  std::size_t next_ = 2048;
  char* at_ = nullptr;
  std::size_t free_ = 0;
};

// Only rows that the checks let through are kept, so their numbers fit
// the records' 16- and 32-bit fields; both texts lie one after the other.
// A goods row in 16 bytes: a symbol longer than 65,535 bytes keeps those,
// far more than the 16 characters its field takes.
struct KeptGoods {
  const char* text;
  std::uint32_t name_size;
  std::uint16_t symbol_size;
  std::uint16_t id;
};

struct KeptCode {
  const char* text;
  std::uint32_t code_size;
  std::uint32_t goods_symbol_size;
  std::int32_t factor;
  std::uint16_t catalogue;
  std::uint16_t goods_id;
};

// The whole goods table read once, in one pass in rowid order (a range
// of the catalogue index per catalogue would seek the table once a row):
// every catalogue's deliverable rows in scan order, and where the rows
// with a value that breaks its field are, so that their problems are told
// when their catalogue is first scanned, as a scan of it would tell them.
// A catalogue's texts lie together, so that its scan reads through memory
// in order.
// Rows in a deque: its blocks are never copied as it grows, so reading
// a catalogue holds no second copy of it.
struct KeptCatalogue {
  TextArena texts;
  std::deque<KeptGoods> rows;
};

struct KeptGoodsTable {
  std::map<std::int64_t, KeptCatalogue> catalogues;
  std::map<std::int64_t, std::vector<std::int64_t>> faulty;  // rowids by catalogue
  std::vector<std::int64_t> stray;  // faulty rows whose catalogue is not a plain number
};

// The code table in scan order; rows of a failed reading are handed out
// once, not kept.
struct KeptCodes {
  TextArena texts;
  std::vector<KeptCode> rows;
  bool failed = false;
  // Read ahead: the rows whose problems are still to be told, in scan order.
  std::vector<std::int64_t> faulty;
};

constexpr std::uint32_t Size32(std::size_t size) {
  return static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max()));
}

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

class KeptCodesCursor final : public RowCursor {
 public:
  explicit KeptCodesCursor(std::shared_ptr<const KeptCodes> codes) : codes_(std::move(codes)) {}

  Step Next(RowView& row) override {
    if (at_ == codes_->rows.size()) return codes_->failed ? Step::Failed : Step::End;
    const KeptCode& kept = codes_->rows[at_++];
    row = RowView{};
    row.code = {kept.text, kept.code_size};
    row.goods_symbol = {kept.text + kept.code_size, kept.goods_symbol_size};
    row.factor = kept.factor;
    row.catalogue = kept.catalogue;
    row.id = kept.goods_id;
    return Step::Row;
  }

 private:
  std::shared_ptr<const KeptCodes> codes_;
  std::size_t at_ = 0;
};

class KeptGoodsCursor final : public RowCursor {
 public:
  KeptGoodsCursor(std::shared_ptr<const KeptGoodsTable> table, const std::deque<KeptGoods>* rows,
                  std::int64_t catalogue)
      : table_(std::move(table)), catalogue_(catalogue) {
    if (rows == nullptr) return;
    at_ = rows->begin();
    end_ = rows->end();
  }

  Step Next(RowView& row) override {
    if (at_ == end_) return Step::End;
    const KeptGoods& kept = *at_++;
    row = RowView{};
    row.name = {kept.text, kept.name_size};
    row.symbol = {kept.text + kept.name_size, kept.symbol_size};
    row.catalogue = catalogue_;
    row.id = kept.id;
    return Step::Row;
  }

 private:
  std::shared_ptr<const KeptGoodsTable> table_;
  std::int64_t catalogue_;
  std::deque<KeptGoods>::const_iterator at_{};
  std::deque<KeptGoods>::const_iterator end_{};
};

// The rowids, at least one, as the JSON array that json_each() takes.
std::string JsonArray(const std::vector<std::int64_t>& rowids) {
  std::string list = "[";
  for (const std::int64_t rowid : rowids) list += std::to_string(rowid) + ",";
  list.back() = ']';
  return list;
}

// A reading ahead looks at this between rows; a reading in the
// foreground has none.
using StopFlag = const std::atomic<bool>*;

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

// The goods table in one pass, or null when the pass failed. Values are
// only looked at here; their problems are told by TellGoodsProblems.
std::shared_ptr<KeptGoodsTable> ReadGoodsTable(const std::shared_ptr<Connection>& connection,
                                               StopFlag stop = nullptr) {
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

// The code table as ScanCodes keeps it, read without telling problems:
// the rows that have one are noted, to be told at the first scan.
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

// The goods and the code table read on a thread and a read-only
// connection of their own, in one snapshot of the file, from the moment
// the host program has opened the database: a million goods take a
// second, which the user spends reaching an invoice. What was read is
// taken by the first whole scan, if the file has not changed meanwhile.
class ReadingAhead {
 public:
  explicit ReadingAhead(const std::filesystem::path& file)
      : connection_(std::make_shared<Connection>(file, Connection::Access::ReadOnly)), thread_([this] { Read(); }) {}
  ReadingAhead(const ReadingAhead&) = delete;
  ReadingAhead& operator=(const ReadingAhead&) = delete;

  // Abandoned: stopped where it is.
  ~ReadingAhead() {
    stop_.store(true, std::memory_order_relaxed);
    connection_->Interrupt();
    if (thread_.joinable()) thread_.join();
  }

  // Waits for the end of the reading; null where it failed.
  std::pair<std::shared_ptr<KeptGoodsTable>, std::shared_ptr<KeptCodes>> Take() {
    if (thread_.joinable()) thread_.join();
    return {std::move(goods_), std::move(codes_)};
  }

 private:
  void Read() noexcept {
    try {
      connection_->Execute("BEGIN");
      goods_ = ReadGoodsTable(connection_, &stop_);
      if (const auto& step = testing::WhileReadingAhead(); step) step();
      if (goods_ != nullptr) codes_ = ReadCodesQuietly(connection_, &stop_);
      connection_->Execute("COMMIT");
    } catch (...) {
      goods_.reset();
    }
    if (codes_ == nullptr) goods_.reset();
  }

  std::atomic<bool> stop_{false};
  std::shared_ptr<Connection> connection_;
  std::shared_ptr<KeptGoodsTable> goods_;
  std::shared_ptr<KeptCodes> codes_;
  std::thread thread_;  // last: it starts once the rest is in place
};

std::atomic<long> taken_from_reading_ahead{0};

class SqliteStore final : public Store {
 public:
  explicit SqliteStore(const std::filesystem::path& file)
      : file_(file), connection_(std::make_shared<Connection>(file)) {}

  ~SqliteStore() override {
    reading_ahead_.reset();
    read_goods_.reset();
  }

  void ReadAhead() override {
    if (reading_ahead_ != nullptr || kept_goods_ != nullptr || file_.empty() || file_ == ":memory:") return;
    // What is read ahead belongs to the file as this connection sees it now.
    CheckKept();
    try {
      reading_ahead_ = std::make_unique<ReadingAhead>(file_);
    } catch (...) {
      // No thread or no second connection: the first scan reads.
    }
  }

  std::int64_t AddInvoice(const InvoiceRow& invoice) override {
    Forget();
    return InsertInvoice(invoice);
  }

  std::int64_t AddInvoiceWithPositions(const InvoiceRow& invoice, std::span<const PositionRow> positions) override {
    Forget();
    Transaction transaction(*connection_);
    const std::int64_t id = InsertInvoice(invoice);
    Lease insert(connection_, Query::InsertPosition);
    std::int64_t line = 0;
    for (const PositionRow& position : positions) {
      sqlite3_stmt* s = insert.get();
      sqlite3_bind_int64(s, 1, id);
      sqlite3_bind_int64(s, 2, position.line != 0 ? position.line : ++line);
      BindText(s, 3, position.name);
      BindText(s, 4, position.symbol);
      sqlite3_bind_int64(s, 5, position.quantity);
      insert.Run();
    }
    transaction.Commit();
    return id;
  }

 private:
  std::int64_t InsertInvoice(const InvoiceRow& invoice) {
    Lease insert(connection_, Query::InsertInvoice);
    sqlite3_stmt* s = insert.get();
    if (invoice.id != 0) sqlite3_bind_int64(s, 1, invoice.id);
    BindText(s, 2, RegisterName(invoice.kind));
    BindText(s, 3, invoice.number);
    BindText(s, 4, invoice.issued);
    BindText(s, 5, invoice.counterparty);
    if (!invoice.nip.empty()) BindText(s, 6, invoice.nip);
    insert.Run();
    return connection_->LastRowId();
  }

 public:
  void AddPositions(std::span<const PositionRow> positions) override {
    Forget();
    Transaction transaction(*connection_);
    Lease insert(connection_, Query::InsertPosition);
    for (const PositionRow& position : positions) {
      sqlite3_stmt* s = insert.get();
      sqlite3_bind_int64(s, 1, position.invoice_id);
      sqlite3_bind_int64(s, 2, position.line != 0 ? position.line : NextLine(position.invoice_id));
      BindText(s, 3, position.name);
      BindText(s, 4, position.symbol);
      sqlite3_bind_int64(s, 5, position.quantity);
      insert.Run();
    }
    transaction.Commit();
  }

  void AddCatalogues(std::span<const CatalogueRow> catalogues) override {
    Forget();
    Transaction transaction(*connection_);
    Lease insert(connection_, Query::InsertCatalogue);
    for (const CatalogueRow& catalogue : catalogues) {
      sqlite3_stmt* s = insert.get();
      sqlite3_bind_int64(s, 1, catalogue.number);
      BindText(s, 2, catalogue.name);
      sqlite3_bind_int64(s, 3, catalogue.searched ? 1 : 0);
      insert.Run();
    }
    transaction.Commit();
  }

  void AddGoods(std::span<const GoodsRow> goods) override {
    Forget();
    Transaction transaction(*connection_);
    Lease insert(connection_, Query::InsertGoods);
    for (const GoodsRow& row : goods) {
      sqlite3_stmt* s = insert.get();
      sqlite3_bind_int64(s, 1, row.catalogue);
      sqlite3_bind_int64(s, 2, row.id);
      BindText(s, 3, row.name);
      BindText(s, 4, row.symbol);
      insert.Run();
    }
    transaction.Commit();
  }

  void AddCodes(std::span<const CodeRow> codes) override {
    Forget();
    Transaction transaction(*connection_);
    Lease insert(connection_, Query::InsertCode);
    for (const CodeRow& row : codes) {
      sqlite3_stmt* s = insert.get();
      BindText(s, 1, row.code);
      sqlite3_bind_int64(s, 2, row.factor);
      BindText(s, 3, row.goods_symbol);
      sqlite3_bind_int64(s, 4, row.catalogue);
      sqlite3_bind_int64(s, 5, row.goods_id);
      insert.Run();
    }
    transaction.Commit();
  }

  std::int64_t AddDocument(const DocumentRow& document) override {
    // The reading ahead holds the file for reading; it ends before this writes.
    TakeWhatWasReadAhead();
    Lease insert(connection_, Query::InsertDocument);
    sqlite3_stmt* s = insert.get();
    sqlite3_bind_int64(s, 1, document.kind);
    BindText(s, 2, document.name);
    BindText(s, 3, document.stored_at);
    // An empty document is an empty BLOB, not NULL.
    static const std::uint8_t kNothing = 0;
    sqlite3_bind_blob64(s, 4, document.content.empty() ? &kNothing : document.content.data(), document.content.size(),
                        SQLITE_TRANSIENT);
    if (document.invoice_id != 0) sqlite3_bind_int64(s, 5, document.invoice_id);
    insert.Run();
    return connection_->LastRowId();
  }

  std::vector<InvoiceRow> ListInvoices(Register kind) override {
    Lease rows(connection_, Query::ListInvoices);
    sqlite3_stmt* s = rows.get();
    BindText(s, 1, RegisterName(kind));
    std::vector<InvoiceRow> invoices;
    for (;;) {
      const int rc = sqlite3_step(s);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) connection_->Fail();
      if (CheckRow(s, {{0, &columns::kInvoiceId}, {1, &columns::kInvoiceNumber}}, "invoices", 0, &InvoiceKey,
                   Consequence::LeaveOut) != Verdict::Deliver) {
        continue;
      }
      InvoiceRow& invoice = invoices.emplace_back();
      invoice.id = sqlite3_column_int64(s, 0);
      invoice.kind = kind;
      invoice.number = OwnedText(s, 1);
      invoice.issued = OwnedText(s, 2);
      invoice.counterparty = OwnedText(s, 3);
      invoice.nip = OwnedText(s, 4);
    }
    return invoices;
  }

  std::optional<InvoiceRow> FindInvoice(std::int64_t id) override {
    Lease rows(connection_, Query::FindInvoice);
    sqlite3_stmt* s = rows.get();
    sqlite3_bind_int64(s, 1, id);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) connection_->Fail();
    InvoiceRow invoice;
    invoice.id = sqlite3_column_int64(s, 0);
    invoice.kind = Text(s, 1) == RegisterName(Register::Purchase) ? Register::Purchase : Register::Sales;
    invoice.number = OwnedText(s, 2);
    invoice.issued = OwnedText(s, 3);
    invoice.counterparty = OwnedText(s, 4);
    invoice.nip = OwnedText(s, 5);
    return invoice;
  }

  std::vector<DocumentRow> Documents() override {
    Lease rows(connection_, Query::Documents);
    sqlite3_stmt* s = rows.get();
    std::vector<DocumentRow> documents;
    for (;;) {
      const int rc = sqlite3_step(s);
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) connection_->Fail();
      DocumentRow& document = documents.emplace_back();
      document.id = sqlite3_column_int64(s, 0);
      document.kind = static_cast<std::int32_t>(sqlite3_column_int64(s, 1));
      document.name = OwnedText(s, 2);
      document.stored_at = OwnedText(s, 3);
      const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, 4));
      document.content.assign(bytes, bytes + sqlite3_column_bytes(s, 4));
      document.invoice_id = sqlite3_column_int64(s, 5);
    }
    return documents;
  }

  std::unique_ptr<RowCursor> ScanPositions(Register kind, std::int64_t invoice_id) override {
    auto cursor = std::make_unique<StatementCursor>(connection_, Query::Positions, &FillPosition);
    sqlite3_bind_int64(cursor->statement(), 1, invoice_id);
    BindText(cursor->statement(), 2, RegisterName(kind));
    return cursor;
  }

  std::unique_ptr<RowCursor> ScanCatalogues(std::int64_t from_number) override {
    auto cursor = std::make_unique<StatementCursor>(connection_, Query::Catalogues, &FillCatalogue);
    sqlite3_bind_int64(cursor->statement(), 1, from_number);
    return cursor;
  }

  std::unique_ptr<RowCursor> ScanGoods(std::int64_t catalogue, std::int64_t from_id) override {
    auto cursor = std::make_unique<StatementCursor>(connection_, Query::Goods, &FillGoods);
    sqlite3_bind_int64(cursor->statement(), 1, catalogue);
    sqlite3_bind_int64(cursor->statement(), 2, from_id);
    // A whole catalogue, as the goods search asks for it, comes from the
    // kept table; when the table cannot be read, the catalogue's own scan
    // meets the fault as it did.
    if (from_id != std::numeric_limits<std::int64_t>::min()) return cursor;
    CheckKept();
    if (kept_goods_ == nullptr) TakeWhatWasReadAhead();
    if (kept_goods_ == nullptr) kept_goods_ = ReadGoodsTable(connection_);
    if (kept_goods_ == nullptr) return cursor;
    TellGoodsProblems(catalogue);
    const auto found = kept_goods_->catalogues.find(catalogue);
    return std::make_unique<KeptGoodsCursor>(
        kept_goods_, found == kept_goods_->catalogues.end() ? nullptr : &found->second.rows, catalogue);
  }

  std::unique_ptr<RowCursor> ScanCodes() override {
    StatementCursor cursor(connection_, Query::Codes, &FillCode);
    CheckKept();
    if (kept_codes_ == nullptr) TakeWhatWasReadAhead();
    if (!untold_codes_.empty()) TellCodesProblems();
    if (kept_codes_ == nullptr) {
      auto read = ReadCodes(cursor);
      if (read->failed) return std::make_unique<KeptCodesCursor>(std::move(read));
      kept_codes_ = std::move(read);
    }
    return std::make_unique<KeptCodesCursor>(kept_codes_);
  }

  Step ReadGoods(std::int64_t catalogue, std::int64_t id, RowView& row) override {
    // The row's texts live in the statement, so it stays stepped until the
    // next read.
    if (!read_goods_) read_goods_ = std::make_unique<Lease>(connection_, Query::ReadGoods);
    sqlite3_stmt* s = read_goods_->get();
    sqlite3_reset(s);
    sqlite3_bind_int64(s, 1, catalogue);
    sqlite3_bind_int64(s, 2, id);
    switch (sqlite3_step(s)) {
      case SQLITE_ROW:
        // A goods record that cannot be delivered is not found.
        return FillGoods(s, row) == Verdict::Deliver ? Step::Row : Step::End;
      case SQLITE_DONE:
        return Step::End;
      default:
        return Step::Failed;
    }
  }

 private:
  // The problems of a catalogue's goods, told at its first whole scan in
  // the order of its scan, as reading that scan would tell them.
  void TellGoodsProblems(std::int64_t catalogue) {
    if (!told_.insert(catalogue).second) return;
    std::vector<std::int64_t> rowids = kept_goods_->stray;
    const auto faulty = kept_goods_->faulty.find(catalogue);
    if (faulty != kept_goods_->faulty.end()) rowids.insert(rowids.end(), faulty->second.begin(), faulty->second.end());
    if (rowids.empty()) return;
    StatementCursor rows(connection_, Query::FaultyGoods, &FillGoods);
    BindText(rows.statement(), 1, JsonArray(rowids));
    sqlite3_bind_int64(rows.statement(), 2, catalogue);
    sqlite3_bind_int64(rows.statement(), 3, std::numeric_limits<std::int64_t>::min());
    RowView row;
    while (rows.Next(row) == Step::Row) {
    }
  }

  // Read ahead, the code table's problems are told at its first scan, in
  // its order, as reading it then would have told them.
  void TellCodesProblems() {
    StatementCursor rows(connection_, Query::FaultyCodes, &FillCode);
    BindText(rows.statement(), 1, JsonArray(untold_codes_));
    untold_codes_.clear();
    RowView row;
    while (rows.Next(row) == Step::Row) {
    }
  }

  void TakeWhatWasReadAhead() {
    if (reading_ahead_ == nullptr) return;
    auto [goods, codes] = reading_ahead_->Take();
    reading_ahead_.reset();
    if (goods == nullptr || codes == nullptr) return;
    taken_from_reading_ahead.fetch_add(1, std::memory_order_relaxed);
    kept_goods_ = std::move(goods);
    untold_codes_ = std::move(codes->faulty);
    kept_codes_ = std::move(codes);
  }

  // Kept rows go when another connection has written since they were read
  // (SQLite counts its commits in data_version); this store's own writes
  // drop them at once.
  void CheckKept() {
    Lease version(connection_, Query::DataVersion);
    const std::int64_t now =
        sqlite3_step(version.get()) == SQLITE_ROW ? sqlite3_column_int64(version.get(), 0) : kUnknownVersion;
    if (now == kept_version_ && now != kUnknownVersion) return;
    Forget();
    kept_version_ = now;
  }

  void Forget() {
    reading_ahead_.reset();
    kept_goods_.reset();
    kept_codes_.reset();
    untold_codes_.clear();
    told_.clear();
  }

  static constexpr std::int64_t kUnknownVersion = -1;

  std::int64_t NextLine(std::int64_t invoice_id) {
    Lease next(connection_, Query::NextLine);
    sqlite3_bind_int64(next.get(), 1, invoice_id);
    if (sqlite3_step(next.get()) != SQLITE_ROW) connection_->Fail();
    return sqlite3_column_int64(next.get(), 0);
  }

  std::filesystem::path file_;
  std::shared_ptr<Connection> connection_;
  std::unique_ptr<ReadingAhead> reading_ahead_;
  std::unique_ptr<Lease> read_goods_;
  std::shared_ptr<const KeptGoodsTable> kept_goods_;
  std::set<std::int64_t> told_;  // catalogues whose goods' problems were told
  std::shared_ptr<const KeptCodes> kept_codes_;
  std::vector<std::int64_t> untold_codes_;  // read ahead, problems not told yet
  std::int64_t kept_version_ = kUnknownVersion;
};

}  // namespace

std::shared_ptr<Store> OpenDatabase(const std::filesystem::path& file) { return std::make_shared<SqliteStore>(file); }

namespace testing {
long TablesTakenFromReadingAhead() { return taken_from_reading_ahead.load(std::memory_order_relaxed); }
std::function<void()>& WhileReadingAhead() {
  static std::function<void()> step;
  return step;
}
}  // namespace testing

}  // namespace standin
