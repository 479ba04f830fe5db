// Counted items and their merge into the position list.
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>

#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/counting.h"
#include "verify/model/fields.h"
#include "verify/model/table_walks.h"
#include "verify/model/text_index.h"

namespace verify {

namespace {

// A code of the walk: the item's symbol or alternative code.
using CodeOf = char (CountedItem::*)[256];

std::string_view CodeText(const CountedItem& item, CodeOf code) { return fields::Text(item.*code); }

// Moves the items that stay to the front in their order and zero-fills the
// places freed at the end, as removing them one by one would leave the
// array; returns the new count.
std::int32_t Compact(CountedItem* items, std::int32_t count, const bool* taken) {
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (taken[i]) continue;
    if (kept != i) std::memcpy(&items[kept], &items[i], sizeof(CountedItem));
    ++kept;
  }
  std::memset(items + kept, 0, sizeof(CountedItem) * static_cast<std::size_t>(count - kept));
  return kept;
}

// The first position of every symbol, and room to hand each position the
// items it takes. Built once per merge: the passes change no symbol.
class MergeIndex {
 public:
  bool Build(std::span<const Position> positions, std::int32_t items) {
    const std::size_t held = positions.size();
    const auto count = static_cast<std::size_t>(items);
    first_item_.reset(new (std::nothrow) std::int32_t[held == 0 ? 1 : held]);
    next_item_.reset(new (std::nothrow) std::int32_t[count]);
    taken_.reset(new (std::nothrow) bool[count]);
    if (first_item_ == nullptr || next_item_ == nullptr || taken_ == nullptr) return false;
    if (!symbols_.Reserve(held)) return false;
    for (std::size_t p = 0; p < held; ++p) {
      const std::string_view symbol = fields::Text(positions[p].symbol);
      if (!symbol.empty()) symbols_.Add(symbol, static_cast<std::int32_t>(p));
    }
    return true;
  }

  // One pass: every item goes to the first position in list order whose
  // symbol equals the item's code. The quantities are added position by
  // position, and within a position in item order, as the walk over
  // positions and items does.
  std::int32_t Merge(CZrobPrufacje& check, CountedItem* items, std::int32_t count, CodeOf code) {
    const std::span<Position> positions = check.Positions();
    for (std::size_t p = 0; p < positions.size(); ++p) first_item_[p] = -1;
    for (std::int32_t i = count - 1; i >= 0; --i) {
      taken_[i] = false;
      const std::string_view text = CodeText(items[i], code);
      if (text.empty()) continue;
      const std::int32_t p = symbols_.Find(text);
      if (p == ShortTextIndex::kAbsent) continue;
      next_item_[i] = first_item_[p];
      first_item_[p] = i;
    }
    std::int32_t left = count;
    for (std::size_t p = 0; p < positions.size(); ++p) {
      for (std::int32_t i = first_item_[p]; i >= 0; i = next_item_[i]) {
        // A refused sum still uses the item up: it was meant for this position.
        check.AddCounted(positions[p], items[i].quantity);
        taken_[i] = true;
        --left;
      }
    }
    return left == count ? count : Compact(items, count, taken_.get());
  }

 private:
  ShortTextIndex symbols_;
  std::unique_ptr<std::int32_t[]> first_item_;
  std::unique_ptr<std::int32_t[]> next_item_;
  std::unique_ptr<bool[]> taken_;
};

// The same pass without memory to spare: each match is removed at once.
std::int32_t MergeByWalking(CZrobPrufacje& check, CountedItem* items, std::int32_t count, CodeOf code) {
  for (Position& position : check.Positions()) {
    const std::string_view symbol = fields::Text(position.symbol);
    if (symbol.empty()) continue;
    for (std::int32_t i = 0; i < count;) {
      if (CodeText(items[i], code).empty() || CodeText(items[i], code) != symbol) {
        ++i;
        continue;
      }
      check.AddCounted(position, items[i].quantity);
      count = RemoveCountedItem(items, count, i) - 1;
    }
  }
  return count;
}

// A code loses its spaces when it is first compared with a symbol, so only
// when some position has one.
void StripCodes(std::span<const Position> positions, CountedItem* items, std::int32_t count, CodeOf code) {
  bool compared = false;
  for (const Position& position : positions) {
    if (position.symbol[0] != '\0') compared = true;
  }
  if (!compared) return;
  for (std::int32_t i = 0; i < count; ++i) {
    char* text = items[i].*code;
    if (text[0] != '\0') StripSpaces(text);
  }
}

}  // namespace

std::int32_t RemoveCountedItem(CountedItem* items, std::int32_t count, std::int32_t index) {
  if (items == nullptr || index < 0 || index >= count) return count;
  std::memmove(items + index, items + index + 1, sizeof(CountedItem) * static_cast<std::size_t>(count - index - 1));
  std::memset(items + count - 1, 0, sizeof(CountedItem));
  return count;
}

void CZrobPrufacje::MergeCountedItems(CountedItem* items, std::int32_t count) {
  if (items == nullptr || count <= 0) return;
  for (std::int32_t i = 0; i < count; ++i) {
    items[i].symbol[sizeof items[i].symbol - 1] = '\0';
    items[i].alternative[sizeof items[i].alternative - 1] = '\0';
  }
  {
    // Let go before the third pass, which grows the list.
    MergeIndex index;
    const bool indexed = index.Build(Positions(), count);
    for (const CodeOf code : {&CountedItem::symbol, &CountedItem::alternative}) {
      StripCodes(Positions(), items, count, code);
      count = indexed ? index.Merge(*this, items, count, code) : MergeByWalking(*this, items, count, code);
    }
  }

  GoodsWalk goods(items, count);
  for (std::int32_t i = 0; i < count; ++i) {
    if (WarnNotOnInvoice(items[i].symbol)) continue;
    if (!goods.LookUp(*this, i)) AddPosition("Nowy towar", items[i].symbol, items[i].quantity);
  }
}

}  // namespace verify
