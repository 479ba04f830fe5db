#include "standin/tables/sqlite_connection.h"

#include "standin/tables/fault_vfs.h"
#include "standin/tables/store.h"

namespace standin::sqlite {

namespace {

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

}  // namespace

Connection::Connection(const std::filesystem::path& file, Access access) {
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
  LayOut(kSchemaSql, file);
  AddLaterColumns(file);
}

Connection::~Connection() {
  for (auto& pool : free_) {
    for (sqlite3_stmt* statement : pool) sqlite3_finalize(statement);
  }
  sqlite3_close(db_);
}

sqlite3_stmt* Connection::Take(Query query) {
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

void Connection::Give(Query query, sqlite3_stmt* statement) noexcept {
  sqlite3_reset(statement);
  sqlite3_clear_bindings(statement);
  auto& pool = free_[static_cast<std::size_t>(query)];
  try {
    pool.push_back(statement);
  } catch (...) {
    sqlite3_finalize(statement);
  }
}

void Connection::Execute(const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error != nullptr ? error : sqlite3_errmsg(db_);
    sqlite3_free(error);
    throw StoreError(message);
  }
}

void Connection::Fail() const { throw StoreError(sqlite3_errmsg(db_)); }

void Connection::AddLaterColumns(const std::filesystem::path& file) {
  const std::pair<std::string, std::string> kLater[] = {
      {"SELECT invoice_id FROM documents LIMIT 0", "ALTER TABLE documents ADD COLUMN invoice_id INTEGER"},
      {"SELECT nip FROM invoices LIMIT 0", std::string("ALTER TABLE invoices ADD COLUMN ") + kInvoiceNipColumn},
  };
  for (const auto& [probe_sql, add_sql] : kLater) {
    sqlite3_stmt* probe = nullptr;
    const bool present = sqlite3_prepare_v2(db_, probe_sql.c_str(), -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    if (!present) LayOut(add_sql.c_str(), file);
  }
}

void Connection::LayOut(const char* sql, const std::filesystem::path& file) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) == SQLITE_OK) return;
  const std::string message = error != nullptr ? error : "unknown error";
  sqlite3_free(error);
  sqlite3_close(db_);
  throw StoreError("cannot lay out " + file.string() + ": " + message);
}

}  // namespace standin::sqlite
