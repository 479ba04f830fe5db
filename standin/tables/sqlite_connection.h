// The SQLite connection of the store and of its reading ahead: the
// prepared statements of every query it runs, kept for reuse, and the
// statement and transaction guards that take them.
#pragma once

#include <sqlite3.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace standin::sqlite {

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

inline std::string_view Text(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(statement, column))};
}

inline std::string OwnedText(sqlite3_stmt* statement, int column) { return std::string(Text(statement, column)); }

// An empty text is bound as '' (a null pointer would bind NULL).
inline void BindText(sqlite3_stmt* statement, int parameter, std::string_view text) {
  sqlite3_bind_text64(statement, parameter, text.empty() ? "" : text.data(), text.size(), SQLITE_TRANSIENT,
                      SQLITE_UTF8);
}

// The connection and its pool of prepared statements. Cursors share it, so
// a scan in progress keeps it open after the store itself is gone.
class Connection {
 public:
  enum class Access : std::uint8_t { ReadWrite, ReadOnly };

  // A read-only connection opens the file as it is: no schema is laid out.
  explicit Connection(const std::filesystem::path& file, Access access = Access::ReadWrite);

  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  ~Connection();

  // A statement of the query, reset and unbound, for the caller alone
  // until it gives it back.
  sqlite3_stmt* Take(Query query);

  void Give(Query query, sqlite3_stmt* statement) noexcept;

  void Execute(const char* sql);

  [[noreturn]] void Fail() const;

  // Ends the statement that another thread is stepping; safe from any thread.
  void Interrupt() const { sqlite3_interrupt(db_); }

  std::int64_t LastRowId() const { return sqlite3_last_insert_rowid(db_); }

 private:
  // Files made before documents named their invoice, or invoices their
  // counterparty's NIP, get the column; their rows keep NULL there.
  void AddLaterColumns(const std::filesystem::path& file);
  // Runs SQL that lays the file out; where it fails, the connection is
  // closed and its construction fails.
  void LayOut(const char* sql, const std::filesystem::path& file);

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
}  // namespace standin::sqlite
