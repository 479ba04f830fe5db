// A database file as an older korpus laid it out: the same tables without
// STRICT, NOT NULL or ranges, so that a user's tool could store anything in
// them. korpus opens such a file as it is.
#pragma once

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace testing_support {

inline constexpr const char* kLegacySchemaSql = R"sql(
CREATE TABLE invoices (id INTEGER PRIMARY KEY, register TEXT CHECK (register IN ('sales', 'purchase')),
                       number TEXT NOT NULL, issued TEXT, counterparty TEXT);
CREATE TABLE invoice_positions (invoice_id INTEGER, line INTEGER, name TEXT, symbol TEXT, quantity INTEGER);
CREATE TABLE catalogues (number INTEGER PRIMARY KEY, name TEXT, searched INTEGER);
CREATE TABLE goods (catalogue INTEGER, id INTEGER, name TEXT, symbol TEXT);
CREATE TABLE codes (code TEXT, factor INTEGER, goods_symbol TEXT, catalogue INTEGER, goods_id INTEGER);
CREATE TABLE documents (id INTEGER PRIMARY KEY, kind INTEGER, name TEXT, stored_at TEXT, content BLOB);
)sql";

// One value of each kind that the host's records cannot hold as it is, in
// the older tables: FV 1 cannot be checked, FV 2 only has texts to cut or
// to show with '?', the goods of id 70000 and the code of factor 2.5 are
// left out, and FV 3's id is too large for the register.
inline constexpr const char* kOneOfEachKindSql = R"sql(
INSERT INTO invoices VALUES (1, 'sales', 'FV 1', '2024-01-01', 'Hurt');
INSERT INTO invoice_positions VALUES (1, 1, 'Nit', 'N1', 1000000000000);
INSERT INTO invoice_positions VALUES (1, 2, 'Wkręt', 'W1', 'abc');
INSERT INTO invoice_positions VALUES (1, 3, 'Klej', 'K1', 2.7);
INSERT INTO invoice_positions VALUES (1, 4, NULL, 'N2', 1000);
INSERT INTO invoice_positions VALUES (1, 5, X'41FF', 'X1', 1000);
INSERT INTO invoices VALUES (2, 'sales', 'FV 2', '2024-01-02', 'Hurt');
INSERT INTO invoice_positions VALUES (2, 1, 'Taśma', 'T1', 1000);
INSERT INTO invoice_positions VALUES (2, 2, 'Bardzo długa nazwa towaru, która nie mieści się w stu dwudziestu znakach rekordu pozycji, bo ma ich aż sto trzydzieści dwa', 'D1', 2000);
INSERT INTO invoice_positions VALUES (2, 3, 'Bałwan ☃', 'B1', 3000);
INSERT INTO invoices VALUES (3000000000, 'sales', 'FV 3', '2024-01-03', 'Hurt');
INSERT INTO catalogues VALUES (1, 'Magazyn', 1);
INSERT INTO goods VALUES (1, 1, 'Taśma', 'T1');
INSERT INTO goods VALUES (1, 70000, 'Towar', 'T2');
INSERT INTO codes VALUES ('C1', 2.5, 'T1', 1, 1);
INSERT INTO codes VALUES ('C2', 6000, 'T1', 1, 1);
)sql";

// Creates the file with the older tables and runs the SQL on it; the
// SQLite error, or empty.
inline std::string MakeLegacyDatabase(const std::filesystem::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open(file.string().c_str(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    return "cannot open " + file.string();
  }
  std::string failure;
  for (const std::string& statements : {std::string(kLegacySchemaSql), sql}) {
    char* error = nullptr;
    if (sqlite3_exec(db, statements.c_str(), nullptr, nullptr, &error) != SQLITE_OK && failure.empty()) {
      failure = error != nullptr ? error : "error";
    }
    sqlite3_free(error);
  }
  sqlite3_close(db);
  return failure;
}

}  // namespace testing_support
