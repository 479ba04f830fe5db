// The look-ups of TranslateCountedCode and LookUpGoods for a whole batch of
// items, answered from one walk of the host's tables instead of one walk per
// item. Every item gets the answer its own walk would have given: the first
// matching record in the table's order, within the records that walk would
// have reached. The host calls that show (boxes, added positions, goods
// reads, context numbers) happen per item in the same order as before.
#pragma once

#include <cstdint>
#include <memory>

#include "abi/records.h"
#include "verify/model/records.h"
#include "verify/model/text_index.h"

namespace verify {

class CZrobPrufacje;

// The code table as the items of one import need it.
class CodeTableWalk {
 public:
  CodeTableWalk();
  ~CodeTableWalk();
  CodeTableWalk(const CodeTableWalk&) = delete;
  CodeTableWalk& operator=(const CodeTableWalk&) = delete;

  // Walks the table once for the symbols the items hold now. False when
  // there was no memory for it: TranslateCountedCode must then answer.
  bool Walk(const CountedItem* items, std::int32_t count);

  // What TranslateCountedCode gives for an item that was walked for.
  std::int32_t Translate(CountedItem& item) const;

 private:
  // Keeps a copy of the first record of a code; false when out of memory.
  bool Keep(std::int32_t code, const korpus_abi::CodeRecord& record);

  ShortTextIndex codes_;
  std::unique_ptr<std::int32_t[]> record_of_;  // per code: its record's place, or -1
  std::unique_ptr<korpus_abi::CodeRecord[]> records_;
  std::size_t kept_ = 0;
  std::size_t room_ = 0;
};

// The searched goods as the items left after a merge's first two passes
// need them. Walks on its first look-up, for that item and those after it.
class GoodsWalk {
 public:
  GoodsWalk(CountedItem* items, std::int32_t count);
  ~GoodsWalk();
  GoodsWalk(const GoodsWalk&) = delete;
  GoodsWalk& operator=(const GoodsWalk&) = delete;

  // What LookUpGoods gives for the item at `index`, with its symbol and
  // quantity, and with the same effects.
  bool LookUp(CZrobPrufacje& check, std::int32_t index);

 private:
  struct Goods {
    char name[121];
    char symbol[17];
    bool seen;
  };
  enum class State : std::uint8_t { NotWalked, Walked, NoMemory };

  bool Walk(std::int32_t from, korpus_abi::TableObject& goods_table, korpus_abi::TableObject& context_table,
            std::int16_t& first_number);

  CountedItem* items_;
  std::int32_t count_;
  State state_ = State::NotWalked;
  ShortTextIndex codes_;
  std::unique_ptr<Goods[]> goods_;
};

}  // namespace verify
