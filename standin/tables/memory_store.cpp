// The store in memory, for fast tests: ordered containers whose iteration
// order is the order that the database's indexes give.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "standin/tables/store.h"

namespace standin {

namespace {

// Keys of equal value keep their insertion order in a multimap, as rows of
// equal key keep their rowid order in the database.
struct Data {
  std::map<std::int64_t, InvoiceRow> invoices;
  std::multimap<std::pair<std::int64_t, std::int64_t>, PositionRow> positions;
  std::map<std::int32_t, CatalogueRow> catalogues;
  std::multimap<std::pair<std::int32_t, std::int32_t>, GoodsRow> goods;
  std::multimap<std::string, CodeRow> codes;
  std::vector<DocumentRow> documents;
  // The goods and the codes in scan order, side by side, so that a scan of
  // a large table steps through memory instead of through a tree. Made at
  // the first scan after a change; a scan keeps the copy it began with.
  std::shared_ptr<const std::vector<GoodsRow>> goods_in_order;
  std::shared_ptr<const std::vector<CodeRow>> codes_in_order;
};

template <typename Map>
std::shared_ptr<const std::vector<typename Map::mapped_type>> InOrder(const Map& map) {
  auto rows = std::make_shared<std::vector<typename Map::mapped_type>>();
  rows->reserve(map.size());
  for (const auto& entry : map) rows->push_back(entry.second);
  return rows;
}

// Rows [first, last) of a copy in scan order.
template <typename Row, typename Fill>
class RowsCursor final : public RowCursor {
 public:
  RowsCursor(std::shared_ptr<const std::vector<Row>> rows, std::size_t first, std::size_t last, Fill fill)
      : rows_(std::move(rows)), at_(first), last_(last), fill_(fill) {}

  Step Next(RowView& row) override {
    if (at_ == last_) return Step::End;
    fill_((*rows_)[at_++], row);
    return Step::Row;
  }

 private:
  std::shared_ptr<const std::vector<Row>> rows_;
  std::size_t at_;
  std::size_t last_;
  Fill fill_;
};

// Cursors keep the data alive: a scan may outlive the store's last owner.
template <typename Iterator, typename Fill>
class RangeCursor final : public RowCursor {
 public:
  RangeCursor(std::shared_ptr<const Data> data, Iterator first, Iterator last, Fill fill)
      : data_(std::move(data)), at_(first), last_(last), fill_(fill) {}

  Step Next(RowView& row) override {
    if (at_ == last_) return Step::End;
    fill_(at_->second, row);
    ++at_;
    return Step::Row;
  }

 private:
  std::shared_ptr<const Data> data_;
  Iterator at_;
  Iterator last_;
  Fill fill_;
};

template <typename Iterator, typename Fill>
std::unique_ptr<RowCursor> MakeCursor(std::shared_ptr<const Data> data, Iterator first, Iterator last, Fill fill) {
  return std::make_unique<RangeCursor<Iterator, Fill>>(std::move(data), first, last, fill);
}

void FillPosition(const PositionRow& position, RowView& row) {
  row = RowView{};
  row.name = position.name;
  row.symbol = position.symbol;
  row.quantity = position.quantity;
}

void FillCatalogue(const CatalogueRow& catalogue, RowView& row) {
  row = RowView{};
  row.name = catalogue.name;
  row.number = catalogue.number;
  row.searched = catalogue.searched ? 1 : 0;
}

void FillGoods(const GoodsRow& goods, RowView& row) {
  row = RowView{};
  row.name = goods.name;
  row.symbol = goods.symbol;
  row.catalogue = goods.catalogue;
  row.id = goods.id;
}

void FillCode(const CodeRow& code, RowView& row) {
  row = RowView{};
  row.code = code.code;
  row.goods_symbol = code.goods_symbol;
  row.factor = code.factor;
  row.catalogue = code.catalogue;
  row.id = code.goods_id;
}

constexpr std::int64_t kLeast = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();

std::int32_t ClampToInt32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

class MemoryStore final : public Store {
 public:
  std::int64_t AddInvoice(const InvoiceRow& invoice) override {
    InvoiceRow row = invoice;
    if (row.id == 0) row.id = data_->invoices.empty() ? 1 : data_->invoices.rbegin()->first + 1;
    if (!data_->invoices.emplace(row.id, row).second) {
      throw StoreError("invoice " + std::to_string(row.id) + " exists already");
    }
    return row.id;
  }

  // Nothing here refuses a row once the invoice is in.
  std::int64_t AddInvoiceWithPositions(const InvoiceRow& invoice, std::span<const PositionRow> positions) override {
    const std::int64_t id = AddInvoice(invoice);
    std::vector<PositionRow> rows(positions.begin(), positions.end());
    for (PositionRow& row : rows) row.invoice_id = id;
    AddPositions(rows);
    return id;
  }

  void AddPositions(std::span<const PositionRow> positions) override {
    for (const PositionRow& position : positions) {
      PositionRow row = position;
      if (row.line == 0) row.line = LastLine(row.invoice_id) + 1;
      data_->positions.emplace(std::pair{row.invoice_id, row.line}, std::move(row));
    }
  }

  void AddCatalogues(std::span<const CatalogueRow> catalogues) override {
    std::set<std::int32_t> numbers;
    for (const CatalogueRow& catalogue : catalogues) {
      if (data_->catalogues.count(catalogue.number) != 0 || !numbers.insert(catalogue.number).second) {
        throw StoreError("catalogue " + std::to_string(catalogue.number) + " exists already");
      }
    }
    for (const CatalogueRow& catalogue : catalogues) data_->catalogues.emplace(catalogue.number, catalogue);
  }

  void AddGoods(std::span<const GoodsRow> goods) override {
    for (const GoodsRow& row : goods) data_->goods.emplace(std::pair{row.catalogue, row.id}, row);
    data_->goods_in_order.reset();
  }

  void AddCodes(std::span<const CodeRow> codes) override {
    for (const CodeRow& row : codes) data_->codes.emplace(row.code, row);
    data_->codes_in_order.reset();
  }

  std::int64_t AddDocument(const DocumentRow& document) override {
    DocumentRow row = document;
    row.id = data_->documents.empty() ? 1 : data_->documents.back().id + 1;
    data_->documents.push_back(std::move(row));
    return data_->documents.back().id;
  }

  std::vector<InvoiceRow> ListInvoices(Register kind) override {
    std::vector<InvoiceRow> rows;
    for (const auto& [id, invoice] : data_->invoices) {
      if (invoice.kind == kind) rows.push_back(invoice);
    }
    std::stable_sort(rows.begin(), rows.end(),
                     [](const InvoiceRow& a, const InvoiceRow& b) { return a.issued < b.issued; });
    return rows;
  }

  std::optional<InvoiceRow> FindInvoice(std::int64_t id) override {
    const auto found = data_->invoices.find(id);
    if (found == data_->invoices.end()) return std::nullopt;
    return found->second;
  }

  std::vector<DocumentRow> Documents() override { return data_->documents; }

  std::unique_ptr<RowCursor> ScanPositions(Register kind, std::int64_t invoice_id) override {
    auto first = data_->positions.lower_bound({invoice_id, kLeast});
    auto last = data_->positions.upper_bound({invoice_id, kMost});
    const auto invoice = data_->invoices.find(invoice_id);
    if (invoice == data_->invoices.end() || invoice->second.kind != kind) first = last;
    return MakeCursor(data_, first, last, &FillPosition);
  }

  std::unique_ptr<RowCursor> ScanCatalogues(std::int64_t from_number) override {
    const auto first = from_number > std::numeric_limits<std::int32_t>::max()
                           ? data_->catalogues.end()
                           : data_->catalogues.lower_bound(ClampToInt32(from_number));
    return MakeCursor(data_, first, data_->catalogues.end(), &FillCatalogue);
  }

  std::unique_ptr<RowCursor> ScanGoods(std::int64_t catalogue, std::int64_t from_id) override {
    if (data_->goods_in_order == nullptr) data_->goods_in_order = InOrder(data_->goods);
    const auto& rows = *data_->goods_in_order;
    std::size_t first = rows.size();
    std::size_t last = rows.size();
    if (catalogue == ClampToInt32(catalogue) && from_id <= std::numeric_limits<std::int32_t>::max()) {
      const auto number = static_cast<std::int32_t>(catalogue);
      const auto key = [](const GoodsRow& row) { return std::pair{row.catalogue, row.id}; };
      const auto below = [&](const GoodsRow& row, const std::pair<std::int32_t, std::int32_t>& bound) {
        return key(row) < bound;
      };
      const auto above = [&](const std::pair<std::int32_t, std::int32_t>& bound, const GoodsRow& row) {
        return bound < key(row);
      };
      first = static_cast<std::size_t>(
          std::lower_bound(rows.begin(), rows.end(), std::pair{number, ClampToInt32(from_id)}, below) - rows.begin());
      last = static_cast<std::size_t>(std::upper_bound(rows.begin(), rows.end(),
                                                       std::pair{number, std::numeric_limits<std::int32_t>::max()},
                                                       above) -
                                      rows.begin());
      if (last < first) last = first;
    }
    return std::make_unique<RowsCursor<GoodsRow, decltype(&FillGoods)>>(data_->goods_in_order, first, last, &FillGoods);
  }

  std::unique_ptr<RowCursor> ScanCodes() override {
    if (data_->codes_in_order == nullptr) data_->codes_in_order = InOrder(data_->codes);
    return std::make_unique<RowsCursor<CodeRow, decltype(&FillCode)>>(data_->codes_in_order, 0,
                                                                      data_->codes_in_order->size(), &FillCode);
  }

  Step ReadGoods(std::int64_t catalogue, std::int64_t id, RowView& row) override {
    if (catalogue != ClampToInt32(catalogue) || id != ClampToInt32(id)) return Step::End;
    const std::pair key{static_cast<std::int32_t>(catalogue), static_cast<std::int32_t>(id)};
    const auto found = data_->goods.lower_bound(key);
    if (found == data_->goods.end() || found->first != key) return Step::End;
    FillGoods(found->second, row);
    return Step::Row;
  }

 private:
  std::int64_t LastLine(std::int64_t invoice_id) const {
    const auto after = data_->positions.upper_bound({invoice_id, kMost});
    if (after == data_->positions.begin()) return 0;
    const auto last = std::prev(after);
    return last->first.first == invoice_id ? std::max<std::int64_t>(last->first.second, 0) : 0;
  }

  std::shared_ptr<Data> data_ = std::make_shared<Data>();
};

}  // namespace

std::string_view RegisterName(Register kind) { return kind == Register::Sales ? "sales" : "purchase"; }

std::shared_ptr<Store> MakeMemoryStore() { return std::make_shared<MemoryStore>(); }

}  // namespace standin
