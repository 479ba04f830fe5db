// The orders of the list: the normalisation when a check starts, and the
// order the dialog shows.
#include <algorithm>
#include <cstring>

#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/fields.h"

namespace verify {

namespace {

bool SameGoods(const Position& left, const Position& right) {
  return fields::Compare(left.symbol, right.symbol) == 0 && fields::Compare(left.name, right.name) == 0;
}

// Adds the quantities of `from` to `into`; refused, with both unchanged,
// when a sum would leave the range.
bool Absorb(Position& into, const Position& from) {
  std::int32_t counted = 0;
  std::int32_t invoiced = 0;
  if (__builtin_add_overflow(into.counted, from.counted, &counted)) return false;
  if (__builtin_add_overflow(into.invoiced, from.invoiced, &invoiced)) return false;
  into.counted = counted;
  into.invoiced = invoiced;
  return true;
}

}  // namespace

void CZrobPrufacje::NormalisePositions() {
  std::span<Position> list = Positions();
  std::sort(list.begin(), list.end(),
            [](const Position& a, const Position& b) { return fields::Compare(a.name, b.name) < 0; });

  // Equal neighbours are merged into the first of them. Positions whose sum
  // would leave the range stay apart rather than wrap around.
  std::size_t kept = 0;
  for (std::size_t next = 1; next < list.size(); ++next) {
    if (SameGoods(list[kept], list[next]) && Absorb(list[kept], list[next])) continue;
    ++kept;
    if (kept != next) std::memcpy(&list[kept], &list[next], sizeof(Position));
  }
  if (!list.empty()) {
    const std::size_t remaining = kept + 1;
    std::memset(list.data() + remaining, 0, sizeof(Position) * (list.size() - remaining));
    count_ = static_cast<std::int32_t>(remaining);
  }
  counters_.on_document = count_;

  list = Positions();
  std::sort(list.begin(), list.end(),
            [](const Position& a, const Position& b) { return fields::Compare(a.symbol, b.symbol) < 0; });
}

void CZrobPrufacje::SortForDisplay() {
  std::span<Position> list = Positions();
  std::sort(list.begin(), list.end(), [](const Position& a, const Position& b) {
    // Differences are taken in 64 bits: in 32 they could wrap and turn a
    // shortage into a surplus.
    const std::int64_t left = std::int64_t{a.counted} - a.invoiced;
    const std::int64_t right = std::int64_t{b.counted} - b.invoiced;
    if (left != right) return left < right;
    return korpus::CompareText(a.symbol, b.symbol) < 0;
  });
}

}  // namespace verify
