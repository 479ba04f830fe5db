// Counted items and their merge into the position list.
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"

namespace verify {

namespace {

// A code of the walk: the item's symbol or alternative code.
using CodeOf = char (CountedItem::*)[256];

// Moves the items that stay to the front in their order and zero-fills the
// places freed at the end, as removing them one by one would leave the
// array; returns the new count.
std::int32_t Compact(CountedItem* items, std::int32_t count, const std::vector<bool>& taken) {
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    if (taken[static_cast<std::size_t>(i)]) continue;
    if (kept != i) std::memcpy(&items[kept], &items[i], sizeof(CountedItem));
    ++kept;
  }
  std::memset(items + kept, 0, sizeof(CountedItem) * static_cast<std::size_t>(count - kept));
  return kept;
}

// One pass of the merge: every item goes to the first position in list
// order whose symbol equals the item's code. Positions and items with an
// empty text are passed over.
std::int32_t MergeBy(CZrobPrufacje& check, CountedItem* items, std::int32_t count, CodeOf code) {
  const std::span<Position> positions = check.Positions();
  bool compared = false;
  for (const Position& position : positions) {
    if (position.symbol[0] != '\0') compared = true;
  }
  // A code loses its spaces when it is first compared with a symbol, so
  // only when some position has one.
  if (!compared) return count;
  for (std::int32_t i = 0; i < count; ++i) {
    char* text = items[i].*code;
    if (text[0] != '\0') StripSpaces(text);
  }

  std::vector<std::string_view> codes(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) codes[static_cast<std::size_t>(i)] = fields::Text(items[i].*code);
  std::vector<bool> taken(static_cast<std::size_t>(count), false);
  std::int32_t left = count;
  for (Position& position : positions) {
    if (left == 0) break;
    const std::string_view symbol = fields::Text(position.symbol);
    if (symbol.empty()) continue;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      if (codes[i].empty() || codes[i] != symbol) continue;
      // A refused sum still uses the item up: it was meant for this position.
      check.AddCounted(position, items[i].quantity);
      taken[i] = true;
      codes[i] = {};
      --left;
    }
  }
  return left == count ? count : Compact(items, count, taken);
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
  count = MergeBy(*this, items, count, &CountedItem::symbol);
  count = MergeBy(*this, items, count, &CountedItem::alternative);

  for (std::int32_t i = 0; i < count; ++i) CountUnlisted(items[i].symbol, items[i].quantity);
}

}  // namespace verify
