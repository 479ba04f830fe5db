// The goods table and the code table kept in compact form, read whole in
// one pass, and the cursors that deliver a catalogue's or the codes' kept
// rows as a scan of the database would.
#pragma once

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "standin/tables/sqlite_connection.h"
#include "standin/tables/store.h"

namespace standin::sqlite {

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

// The code table as a scan delivers it.
std::shared_ptr<KeptCodes> ReadCodes(RowCursor& cursor);

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

// A reading ahead looks at this between rows; a reading in the
// foreground has none.
using StopFlag = const std::atomic<bool>*;

// The goods table in one pass, or null when the pass failed. Values are
// only looked at here; their problems are told by TellGoodsProblems.
std::shared_ptr<KeptGoodsTable> ReadGoodsTable(const std::shared_ptr<Connection>& connection,
                                               StopFlag stop = nullptr);

// The code table as ScanCodes keeps it, read without telling problems:
// the rows that have one are noted, to be told at the first scan.
std::shared_ptr<KeptCodes> ReadCodesQuietly(const std::shared_ptr<Connection>& connection, StopFlag stop);

}  // namespace standin::sqlite
