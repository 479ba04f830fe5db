// The check's operations written out step by step as the algorithms state
// them, with no index and no shortcut: every look-up walks the host's
// tables, every removal moves the rest of the array. It calls the same host
// entries as the plug-in, so its lists, counters and boxes can be compared
// with the plug-in's. Where the plug-in guards against a fault (a sum past
// 32 bits, a bad quantity in data.txt, a file longer than the item block),
// this does the same.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "host/korpus/entries.h"
#include "tests/support/check_access.h"
#include "verify/dialog/zrob_prufacje.h"

namespace reference {

class LiteralCheck {
 public:
  explicit LiteralCheck(verify::CZrobPrufacje& check) : check_(check) {}

  // Model
  std::int32_t AddPosition(const char* name, const char* symbol, std::int32_t counted);
  std::int32_t RemovePosition(std::int32_t index);
  std::int32_t LookUpGoods(char* code, std::int32_t counted);
  std::int32_t TranslateCountedCode(verify::CountedItem& item);
  void MergeCountedItems(verify::CountedItem* items, std::int32_t count);
  std::int32_t NormalisePositions();
  std::int32_t SortForDisplay();

  // Import, typed entry (kind 1 events with the codes 3 and 5; a dialog
  // must be open for the fields), rows, report, progress.
  std::int32_t ReadCollectorFile();
  std::int32_t TypedEvent(std::int16_t code);
  std::intptr_t RowText(std::int16_t row);
  void WriteReport();
  std::int32_t SaveProgress();
  std::int32_t ResumeProgress();

 private:
  verify::Position* Positions() const { return verify::CheckAccess::Block(check_); }
  std::int32_t Count() const { return check_.count(); }
  bool AddCounted(verify::Position& position, std::int32_t quantity);
  void CountUnlisted(char* symbol, std::int32_t quantity);
  verify::Position* FindTypedSymbol(const char* symbol);

  verify::CZrobPrufacje& check_;
};

}  // namespace reference
