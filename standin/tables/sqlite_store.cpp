// The store in a SQLite database file, the host program's default. A scan
// is one prepared statement stepped once per record; statements are kept
// and reused, so starting a scan does not compile SQL either. The goods
// table and the code table, which every typed code walks whole, are kept
// in compact form until the database changes.
#include <sqlite3.h>

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "standin/tables/kept_tables.h"
#include "standin/tables/reading_ahead.h"
#include "standin/tables/sqlite_connection.h"
#include "standin/tables/sqlite_rows.h"
#include "standin/tables/sqlite_values.h"
#include "standin/tables/store.h"
#include "standin/testing.h"

namespace standin {

namespace {

using namespace sqlite;
using tables::Consequence;
namespace columns = tables::columns;

// The rowids, at least one, as the JSON array that json_each() takes.
std::string JsonArray(const std::vector<std::int64_t>& rowids) {
  std::string list = "[";
  for (const std::int64_t rowid : rowids) list += std::to_string(rowid) + ",";
  list.back() = ']';
  return list;
}

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
}  // namespace testing

}  // namespace standin

