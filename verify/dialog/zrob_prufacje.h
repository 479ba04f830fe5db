// One check of one invoice: the dialog object, derived from the host's
// WDialogBase. Its fields are packed and in the host's order; its class
// table is laid by hand (class_table.cpp), so the class has no C++
// virtual functions. Operations are implemented beside the capability they
// belong to: model/, loading/, import/, report/, progress/, dialog/.
#pragma once

#include <cstdint>
#include <span>

#include "abi/dialog_codes.h"
#include "abi/records.h"
#include "verify/model/records.h"
#include "verify/model/text_helpers.h"

namespace verify {

#pragma pack(push, 1)

// The dialog engine's copy of the data controls, in template order.
struct ValueBuffer {
  std::uint16_t quantities_option;
  char symbol[17];
  std::int32_t quantity;
  std::uint16_t list;
  std::uint16_t no_additions;
};
static_assert(sizeof(ValueBuffer) == 27);

// The six counters of the summary, in the object's order (the summary
// shows the correct count before the off-invoice count).
struct SummaryCounters {
  std::int32_t on_document;
  std::int32_t differences;
  std::int32_t off_invoice;
  std::int32_t correct;
  std::int32_t new_goods;
  std::int32_t unchecked;
};
static_assert(sizeof(SummaryCounters) == 24);

class CZrobPrufacje {
 public:
  // What Run did. Without a block nothing ran and nothing is left to undo,
  // and the register's handler passes the event on either way: its caller
  // need not look.
  enum RunResult : std::int32_t { kRan = 0, kNoPositionsBlock = 1 };
  // What ResumeProgress did; kNotResumed leaves an empty list to load.
  enum Resumption : std::int32_t { kResumed = 0, kNotResumed = 1 };
  // What ReadCollectorFile did, which HandleEvent answers the host for F4:
  // the import is over and the user was told of whatever it met (the event
  // is taken); the file did not open; no item block (the event goes on as
  // any other).
  enum ImportResult : std::int32_t {
    kImportEnded = korpus_abi::kResultStay,
    kNoItemBlock = 0,
    kFileNotOpened = 1,
  };

  CZrobPrufacje();
  ~CZrobPrufacje();
  CZrobPrufacje(const CZrobPrufacje&) = delete;
  CZrobPrufacje& operator=(const CZrobPrufacje&) = delete;

  // Check run
  RunResult Run(const korpus_abi::ListState* list_state, const char* invoice_number, std::int32_t invoice_id);

  // Dialog: the two slots that the host calls, with the host's results.
  std::int32_t HandleEvent(std::int16_t code, std::int16_t kind);
  std::intptr_t RowText(std::int16_t row);
  void UpdateQuantityControls();

  // Model. AddPosition adds nothing when the host cannot grow the block;
  // none of its callers could do more about it.
  void AddPosition(const char* name, const char* symbol, std::int32_t counted);
  void RemovePosition(std::int32_t index);
  // True when the searched goods hold the code (a position was then added
  // for them, or could not be).
  bool LookUpGoods(char* code, std::int32_t counted);
  // The factor of the item's code, in thousandths: kOneUnit when nothing
  // applies.
  std::int32_t TranslateCountedCode(CountedItem& item);
  void MergeCountedItems(CountedItem* items, std::int32_t count);
  void NormalisePositions();
  void SortForDisplay();

  // Grows the positions block so that it holds at least `room` positions,
  // through the host's resize entry; false when the host cannot grow it
  // (the block and the list then stay as they were).
  bool ReservePositions(std::int32_t room);

  // Returns the positions block to the host.
  void ReleasePositions();

  // What the destructor does: returns the positions block, destroys the
  // base and, with bit 0 of the flags, returns the object's memory. Every
  // step is tried; a host call abandoned on the way is thrown afterwards.
  // The destructor itself then does nothing, so that a failure can leave
  // the check without passing a destructor.
  void Destroy(std::uint32_t flags);

  // Loading, import, report, progress. LoadInvoice is false when the
  // positions could not be read ("Błąd" was shown) or the table is no
  // register; the check then goes on with the empty list, which is all
  // that Run could do about it.
  bool LoadInvoice(std::uint16_t register_number, std::int32_t invoice_id);
  ImportResult ReadCollectorFile();
  void WriteReport();
  // A write that the host's INI access refuses goes unnoticed: the dialog
  // is closing, and there is no one to tell.
  void SaveProgress();
  Resumption ResumeProgress();

  // Counts an item that no position holds: the no-additions warning, or a
  // goods position, or a "Nowy towar" position.
  void CountUnlisted(char* symbol, std::int32_t quantity);
  // Adds to a position's counted quantity unless the sum leaves the 32-bit
  // range, which the user is told of; false when refused. The callers go on
  // either way: the quantity was meant for that position and is used up.
  bool AddCounted(Position& position, std::int32_t quantity);

  std::span<Position> Positions() { return {positions_, positions_ == nullptr ? 0u : static_cast<std::size_t>(count_)}; }
  std::span<const Position> Positions() const {
    return {positions_, positions_ == nullptr ? 0u : static_cast<std::size_t>(count_)};
  }
  std::int32_t count() const { return count_; }
  const SummaryCounters& counters() const { return counters_; }
  const char* invoice_number() const { return invoice_number_; }
  bool list_refresh() const { return list_refresh_ != 0; }
  ValueBuffer& values() { return values_; }

 private:
  friend struct CZrobPrufacjeLayout;
  friend struct CheckAccess;  // tests and the block helpers

  std::int32_t EnterTarget() const;
  Position* FindTypedSymbol(const char* symbol);
  void AcceptTypedSymbol(CountedItem& typed);
  void AcceptTypedQuantity(CountedItem& typed);

  korpus_abi::WDialogBase base_;
  ValueBuffer values_;
  SummaryCounters counters_;
  std::int32_t list_refresh_;
  std::int32_t count_;
  char row_text_[256];
  Position* positions_;
  char invoice_number_[33];

  // Room of the positions block, in positions. Kept beside the host's
  // fields because the block may grow past the 5000 it starts with.
  std::int32_t capacity_;
};

#pragma pack(pop)

// Takes the item at `index` out of the array: the later ones move up and
// the freed last place is zeroed. Answers the count passed in; the caller
// lowers its own count.
std::int32_t RemoveCountedItem(CountedItem* items, std::int32_t count, std::int32_t index);

}  // namespace verify
