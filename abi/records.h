// Host-owned layouts that both sides of the boundary read: the table
// object, list state and register rows, the records that tables deliver
// into a table's current-record buffer, and the dialog base object.
// Byte positions are the host's; every one is asserted here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "abi/callconv.h"
#include "abi/tables.h"

namespace korpus_abi {

struct ListState;

// Eleven 32-bit arguments on the host's build; the two pointers widen on
// x86-64 and the values the plug-in only passes on stay 32-bit.
using ListHandler = std::int32_t(KORPUS_CALLEE*)(std::int32_t event, std::uint16_t arg2, std::int32_t arg3,
                                                 void** rows, std::int32_t arg5, ListState* state,
                                                 std::int32_t arg7, std::int32_t arg8, std::int32_t arg9,
                                                 std::uint16_t arg10, std::int32_t arg11);

inline constexpr std::int32_t kEventCtrl1 = 231;

// Table object returned by the table-open entry. Only the version, the
// record buffer and the list handler are public; the rest is the host's.
struct TableObject {
  std::uint8_t host_head[6];
  std::int16_t version;
  void* record;
  std::uint8_t host_middle[104 - 8 - sizeof(void*)];
  ListHandler list_handler;
  std::uint8_t host_tail[16];
};
static_assert(offsetof(TableObject, version) == 6);
static_assert(offsetof(TableObject, record) == 8);
static_assert(offsetof(TableObject, list_handler) == 104);

struct ListState {
  std::uint16_t table_number;
  std::uint8_t host_head[78];
  std::int32_t first_visible;  // counter at 80
  std::int32_t top;            // counter at 84
  std::int32_t cursor;         // counter at 88
  std::uint8_t host_tail[36];
};
static_assert(offsetof(ListState, first_visible) == 80);
static_assert(offsetof(ListState, top) == 84);
static_assert(offsetof(ListState, cursor) == 88);

#pragma pack(push, 1)

// Register rows (tables 44 and 52 as the list hands them over).
inline constexpr std::size_t kSalesRowIdOffset = 976;
inline constexpr std::size_t kPurchaseRowIdOffset = 824;
inline constexpr std::size_t kRowNumberOffset = 2;
inline constexpr std::size_t kRowNumberWidth = 33;
inline constexpr std::size_t kRegisterRowSize = 1024;

// Tables 45 and 53: one invoice position.
struct PositionRecord {
  std::uint8_t host_head[2];
  char name[121];
  char symbol[17];
  std::int32_t quantity;
  std::uint8_t host_tail[20];
};
static_assert(offsetof(PositionRecord, name) == 2);
static_assert(offsetof(PositionRecord, symbol) == 123);
static_assert(offsetof(PositionRecord, quantity) == 140);

// Table 48: goods-search context.
struct ContextRecord {
  std::uint8_t host_head[2];
  char number[22];
  std::int16_t flag;
  std::uint8_t host_tail[6];
};
static_assert(offsetof(ContextRecord, number) == 2);
static_assert(offsetof(ContextRecord, flag) == 24);

// Table 49 (tabk9): goods.
struct GoodsRecord {
  std::uint8_t host_head[2];
  char name[121];
  char symbol[17];
  std::uint8_t host_tail[20];
};
static_assert(offsetof(GoodsRecord, name) == 2);
static_assert(offsetof(GoodsRecord, symbol) == 123);

// Table 117: code table.
struct CodeRecord {
  char code[17];
  std::int32_t factor;
  char goods_symbol[119];
  std::uint16_t first_locator;
  std::uint16_t second_locator;
  std::uint8_t host_tail[4];
};
static_assert(offsetof(CodeRecord, code) == 0);
static_assert(offsetof(CodeRecord, factor) == 17);
static_assert(offsetof(CodeRecord, goods_symbol) == 21);
static_assert(offsetof(CodeRecord, first_locator) == 140);
static_assert(offsetof(CodeRecord, second_locator) == 142);

#pragma pack(pop)

// The base part of every dialog object: the class table pointer first, as
// the host's compiler lays it, then the host's own state.
inline constexpr std::size_t kClassTableSlots = 32;
using ClassTable = void* const*;

struct WDialogBase {
  ClassTable class_table;
  std::uint8_t host_state[28];
};

// Delegate objects are made in storage of the caller's; this is its size.
inline constexpr std::size_t kDelegateSize = 32;

// Scan cursors and index keys live in the caller's storage, of these sizes.
inline constexpr std::size_t kCursorSize = 64;
inline constexpr std::size_t kKeySize = 256;

}  // namespace korpus_abi
