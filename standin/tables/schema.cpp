// The database's schema, public: users fill it with their own data. Every
// statement may run again on an existing file, which keeps its own
// tables. A new file's tables are STRICT and state the ranges and lengths
// that the host's records hold, so SQLite refuses a value that breaks them
// when it is inserted.
#include "standin/tables/store.h"

namespace standin {

// Ten digits, or none (a buyer abroad or without a tax number).
#define KORPUS_NIP_COLUMN "nip TEXT CHECK (nip IS NULL OR (length(nip) = 10 AND nip NOT GLOB '*[^0-9]*'))"

const char kInvoiceNipColumn[] = KORPUS_NIP_COLUMN;

const char kSchemaSql[] = R"sql(
CREATE TABLE IF NOT EXISTS invoices (
  id INTEGER PRIMARY KEY CHECK (id BETWEEN 1 AND 2147483647),
  register TEXT NOT NULL CHECK (register IN ('sales', 'purchase')),
  number TEXT NOT NULL CHECK (length(number) <= 32),
  issued TEXT,
  counterparty TEXT,
  )sql" KORPUS_NIP_COLUMN R"sql(
) STRICT;
CREATE TABLE IF NOT EXISTS invoice_positions (
  invoice_id INTEGER NOT NULL CHECK (invoice_id BETWEEN 1 AND 2147483647),
  line INTEGER,
  name TEXT NOT NULL CHECK (length(name) <= 120),
  symbol TEXT NOT NULL CHECK (length(symbol) <= 16),
  quantity INTEGER NOT NULL CHECK (quantity BETWEEN -2147483648 AND 2147483647)
) STRICT;
CREATE TABLE IF NOT EXISTS catalogues (
  number INTEGER PRIMARY KEY CHECK (number BETWEEN 0 AND 65535),
  name TEXT,
  searched INTEGER NOT NULL CHECK (searched IN (0, 1))
) STRICT;
CREATE TABLE IF NOT EXISTS goods (
  catalogue INTEGER NOT NULL CHECK (catalogue BETWEEN 0 AND 65535),
  id INTEGER NOT NULL CHECK (id BETWEEN 0 AND 65535),
  name TEXT NOT NULL CHECK (length(name) <= 120),
  symbol TEXT NOT NULL CHECK (length(symbol) <= 16)
) STRICT;
CREATE TABLE IF NOT EXISTS codes (
  code TEXT NOT NULL CHECK (length(code) <= 16),
  factor INTEGER NOT NULL CHECK (factor BETWEEN -2147483648 AND 2147483647),
  goods_symbol TEXT NOT NULL CHECK (length(goods_symbol) <= 118),
  catalogue INTEGER NOT NULL CHECK (catalogue BETWEEN 0 AND 65535),
  goods_id INTEGER NOT NULL CHECK (goods_id BETWEEN 0 AND 65535)
) STRICT;
CREATE TABLE IF NOT EXISTS documents (
  id INTEGER PRIMARY KEY,
  kind INTEGER NOT NULL,
  name TEXT NOT NULL,
  stored_at TEXT NOT NULL,
  content BLOB NOT NULL,
  invoice_id INTEGER
) STRICT;
CREATE INDEX IF NOT EXISTS invoices_by_register ON invoices (register, issued, id);
CREATE INDEX IF NOT EXISTS positions_by_invoice ON invoice_positions (invoice_id, line);
CREATE INDEX IF NOT EXISTS goods_by_catalogue ON goods (catalogue, id);
CREATE INDEX IF NOT EXISTS codes_by_code ON codes (code);
)sql";

}  // namespace standin
