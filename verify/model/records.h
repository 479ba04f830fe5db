// The check's own packed records: one invoice position and one counted
// item. Both are stored byte for byte in host blocks.
#pragma once

#include <cstddef>
#include <cstdint>

namespace verify {

#pragma pack(push, 1)

struct Position {
  char name[121];
  char symbol[17];
  std::int32_t counted;   // thousandths; 0: nothing counted yet
  std::int32_t invoiced;  // thousandths; 0: not on the invoice
};
static_assert(sizeof(Position) == 146);
static_assert(offsetof(Position, name) == 0);
static_assert(offsetof(Position, symbol) == 121);
static_assert(offsetof(Position, counted) == 138);
static_assert(offsetof(Position, invoiced) == 142);

struct CountedItem {
  char symbol[256];
  char alternative[256];
  char quantity_text[256];
  std::int32_t quantity;  // thousandths
  char line[1024];
};
static_assert(sizeof(CountedItem) == 1796);
static_assert(offsetof(CountedItem, symbol) == 0);
static_assert(offsetof(CountedItem, alternative) == 256);
static_assert(offsetof(CountedItem, quantity_text) == 512);
static_assert(offsetof(CountedItem, quantity) == 768);
static_assert(offsetof(CountedItem, line) == 772);

#pragma pack(pop)

// The block that a check starts with, in positions, and the item block of
// an import, in items.
inline constexpr std::int32_t kInitialPositions = 5000;
inline constexpr std::int32_t kItemBlock = 5000;

}  // namespace verify
