// The data behind the host's tables: invoices and their positions, the
// goods catalogues, the goods, the code table and the stored documents.
// Everything goes in and comes out as UTF-8, as users write it; the table
// entries convert to Mazovia when they hand a record to the plug-in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "abi/host_codes.h"

namespace standin {

enum class Register : std::uint8_t { Sales, Purchase };

// The register's name in the database ('sales' or 'purchase').
std::string_view RegisterName(Register kind);

struct InvoiceRow {
  std::int64_t id = 0;  // 0 when adding: the store picks the next one
  Register kind = Register::Sales;
  std::string number;
  std::string issued;  // as the user writes it; ISO dates sort right
  std::string counterparty;
  std::string nip{};  // the counterparty's tax number; empty: none (NULL)
};

// A Polish tax number (NIP) as the invoices table holds it: ten digits.
inline constexpr std::size_t kNipDigits = 10;
constexpr bool IsNip(std::string_view text) {
  return text.size() == kNipDigits && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

struct PositionRow {
  std::int64_t invoice_id = 0;
  std::int64_t line = 0;  // 0 when adding: after the invoice's last line
  std::string name;
  std::string symbol;
  std::int32_t quantity = 0;  // thousandths
};

struct CatalogueRow {
  std::int32_t number = 0;
  std::string name;
  bool searched = false;  // takes part in the goods search
};

struct GoodsRow {
  std::int32_t catalogue = 0;
  std::int32_t id = 0;
  std::string name;
  std::string symbol;
};

struct CodeRow {
  std::string code;
  std::int32_t factor = korpus_abi::kOneUnit;  // thousandths
  std::string goods_symbol;
  std::int32_t catalogue = 0;
  std::int32_t goods_id = 0;
};

struct DocumentRow {
  std::int64_t id = 0;
  std::int32_t kind = 0;
  std::string name;
  std::string stored_at;  // local time, YYYY-MM-DD HH:MM:SS
  std::vector<std::uint8_t> content;
  std::int64_t invoice_id = 0;  // the invoice being checked when it was stored; 0: none
};

// One row as a scan sees it. Each scan fills the fields its table has:
//   positions:  name, symbol, quantity
//   catalogues: name, number, searched
//   goods:      name, symbol, catalogue, id
//   codes:      code, goods_symbol, factor, catalogue, id (the goods id)
// Texts are views into the store and stay valid until the next step of the
// same cursor; NULL columns read as empty texts and 0.
struct RowView {
  std::string_view name;
  std::string_view symbol;
  std::string_view code;
  std::string_view goods_symbol;
  std::int64_t quantity = 0;
  std::int64_t number = 0;
  std::int64_t searched = 0;
  std::int64_t catalogue = 0;
  std::int64_t id = 0;
  std::int64_t factor = 0;
};

enum class Step : std::uint8_t { Row, End, Failed };

// A scan in progress. Stepping never re-runs the query and never allocates.
class RowCursor {
 public:
  virtual ~RowCursor() = default;
  virtual Step Next(RowView& row) = 0;
};

// Raised by the C++ interface (never across a host entry) when the
// database cannot be opened or a write is refused.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Store {
 public:
  virtual ~Store() = default;

  // Writing. Each call is one transaction: a refused row leaves none of
  // the call's rows behind.
  virtual std::int64_t AddInvoice(const InvoiceRow& invoice) = 0;
  virtual void AddPositions(std::span<const PositionRow> positions) = 0;
  virtual void AddCatalogues(std::span<const CatalogueRow> catalogues) = 0;
  virtual void AddGoods(std::span<const GoodsRow> goods) = 0;
  virtual void AddCodes(std::span<const CodeRow> codes) = 0;
  virtual std::int64_t AddDocument(const DocumentRow& document) = 0;
  // An invoice and its positions in one transaction: a refused row leaves
  // neither behind. The positions' invoice ids are set to the new id.
  virtual std::int64_t AddInvoiceWithPositions(const InvoiceRow& invoice, std::span<const PositionRow> positions) = 0;

  void AddPosition(const PositionRow& position) { AddPositions(std::span<const PositionRow>(&position, 1)); }
  void AddCatalogue(const CatalogueRow& catalogue) { AddCatalogues(std::span<const CatalogueRow>(&catalogue, 1)); }
  void AddGoods(const GoodsRow& goods) { AddGoods(std::span<const GoodsRow>(&goods, 1)); }
  void AddCode(const CodeRow& code) { AddCodes(std::span<const CodeRow>(&code, 1)); }

  // Reading for the host program's screens: a register's invoices by
  // issue date, then id.
  virtual std::vector<InvoiceRow> ListInvoices(Register kind) = 0;
  virtual std::optional<InvoiceRow> FindInvoice(std::int64_t id) = 0;
  virtual std::vector<DocumentRow> Documents() = 0;

  // Reading for the table entries.
  // An invoice's positions in line order; none when the invoice is not in
  // that register.
  virtual std::unique_ptr<RowCursor> ScanPositions(Register kind, std::int64_t invoice_id) = 0;
  // Catalogues in number order, from the given number on.
  virtual std::unique_ptr<RowCursor> ScanCatalogues(std::int64_t from_number) = 0;
  // One catalogue's goods in id order, from the given id on.
  virtual std::unique_ptr<RowCursor> ScanGoods(std::int64_t catalogue, std::int64_t from_id) = 0;
  // The whole code table in code order (bytes of the UTF-8 text).
  virtual std::unique_ptr<RowCursor> ScanCodes() = 0;
  // The first goods record of that catalogue and id. The row's texts stay
  // valid until the next ReadGoods.
  virtual Step ReadGoods(std::int64_t catalogue, std::int64_t id, RowView& row) = 0;

  // Starts reading, in the background, what the first typed code walks
  // (the goods and the code table), so that it is at hand when asked
  // for; answers at once. Value problems are still told at the first scan.
  virtual void ReadAhead() {}
};

// A database file, created with the schema when new (":memory:" gives a
// private database that lives as long as the store).
std::shared_ptr<Store> OpenDatabase(const std::filesystem::path& file);
std::shared_ptr<Store> MakeMemoryStore();

// The schema that OpenDatabase creates; users fill it with any SQLite tool.
extern const char kSchemaSql[];
// invoices.nip as the schema defines it, for a file made before it had one.
extern const char kInvoiceNipColumn[];

// The store that the table entries and the document store read and write.
// Replacing it ends every scan in progress (their next step answers 0).
// A null store puts an empty in-memory one in its place.
void UseStore(std::shared_ptr<Store> store);
Store& CurrentStore();

}  // namespace standin
