// The database's schema, public: users fill it with their own data. Every
// statement may run again on an existing file.
#include "korpus/tables/store.h"

namespace standin {

const char kSchemaSql[] = R"sql(
CREATE TABLE IF NOT EXISTS invoices (
  id INTEGER PRIMARY KEY,
  register TEXT CHECK (register IN ('sales', 'purchase')),
  number TEXT NOT NULL,
  issued TEXT,
  counterparty TEXT
);
CREATE TABLE IF NOT EXISTS invoice_positions (
  invoice_id INTEGER,
  line INTEGER,
  name TEXT,
  symbol TEXT,
  quantity INTEGER
);
CREATE TABLE IF NOT EXISTS catalogues (
  number INTEGER PRIMARY KEY,
  name TEXT,
  searched INTEGER
);
CREATE TABLE IF NOT EXISTS goods (
  catalogue INTEGER,
  id INTEGER,
  name TEXT,
  symbol TEXT
);
CREATE TABLE IF NOT EXISTS codes (
  code TEXT,
  factor INTEGER,
  goods_symbol TEXT,
  catalogue INTEGER,
  goods_id INTEGER
);
CREATE TABLE IF NOT EXISTS documents (
  id INTEGER PRIMARY KEY,
  kind INTEGER,
  name TEXT,
  stored_at TEXT,
  content BLOB
);
CREATE INDEX IF NOT EXISTS invoices_by_register ON invoices (register, issued, id);
CREATE INDEX IF NOT EXISTS positions_by_invoice ON invoice_positions (invoice_id, line);
CREATE INDEX IF NOT EXISTS goods_by_catalogue ON goods (catalogue, id);
CREATE INDEX IF NOT EXISTS codes_by_code ON codes (code);
)sql";

}  // namespace standin
