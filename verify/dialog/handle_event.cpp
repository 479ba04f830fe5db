// The check dialog's events: typed symbols and quantities, Enter, the
// chosen row, the options, the two buttons and the closing.
#include <cstring>

#include "abi/dialog_codes.h"
#include "abi/host_codes.h"
#include "host/korpus/entries.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/import/quantity.h"

namespace verify {

namespace {

using korpus_abi::kEventClosing;
using korpus_abi::kEventCommand;
using korpus_abi::kEventFocus;
using korpus_abi::kEventListChoice;
using korpus_abi::kEventOpening;
using korpus_abi::kOneUnit;
using korpus_abi::kResultStay;

// Only one check dialog is open at a time.
std::int16_t focused_control = 0;

// The engine's values of the two fields. A field whose address the host
// does not give (null) reads as empty and takes no writes.
char* SymbolField() { return static_cast<char*>(korpus::ValueAddress(controls::kSymbol)); }
std::int32_t* QuantityField() { return static_cast<std::int32_t*>(korpus::ValueAddress(controls::kQuantity)); }

void SetSymbolField(const char* symbol) {
  if (char* field = SymbolField()) BoundedCopy(field, symbol, sizeof ValueBuffer::symbol - 1);
}

void ClearSymbolField() {
  if (char* field = SymbolField()) field[0] = '\0';
}

void SetQuantityField(std::int32_t quantity) {
  if (std::int32_t* field = QuantityField()) *field = quantity;
}

}  // namespace

std::int32_t CZrobPrufacje::HandleEvent(std::int16_t code, std::int16_t kind) {
  if (kind == kEventOpening) {
    SortForDisplay();
    focused_control = controls::kSymbol;
    korpus::ControlState(controls::kQuantityLabel, korpus_abi::kStateDisabled, 0);
    korpus::ControlState(controls::kQuantity, korpus_abi::kStateDisabled, 0);
    korpus::ControlState(controls::kQuantitiesOption, korpus_abi::kStateChecked, 1);
    controls::Redraw();
  }

  if (kind == kEventCommand) {
    CountedItem typed{};
    if (const char* symbol = SymbolField()) BoundedCopy(typed.symbol, symbol, sizeof typed.symbol - 1);
    StripSpaces(typed.symbol);
    if (const std::int32_t* quantity = QuantityField()) typed.quantity = *quantity;

    switch (code) {
      case controls::kEnterButton:
        return EnterTarget();
      case controls::kQuantitiesOption:
        UpdateQuantityControls();
        break;
      case controls::kSymbol:
        AcceptTypedSymbol(typed);
        break;
      case controls::kQuantity:
        AcceptTypedQuantity(typed);
        break;
      case controls::kReadCollectorButton: {
        // Without an item block the import did nothing; the event goes on.
        const ImportResult result = ReadCollectorFile();
        if (result != kNoItemBlock) return result;
        break;
      }
      case controls::kWriteReportButton:
        WriteReport();
        break;
      default:
        break;
    }
  }

  if (kind == kEventListChoice && code == controls::kList) {
    const std::int32_t row = korpus::CurrentRow(controls::kList);
    std::int32_t unused = 0;
    korpus::ListValue(controls::kList, &unused, 1);
    if (row >= 0 && row < count_) SetSymbolField(positions_[row].symbol);
    controls::Redraw();
  }

  if (kind == kEventFocus) {
    focused_control = code;
    const bool enter_works =
        code == controls::kSymbol || code == controls::kQuantity || code == controls::kList;
    korpus::ControlState(controls::kEnterButton, korpus_abi::kStateDisabled, enter_works ? 0 : 1);
  }

  if (kind == kEventClosing) SaveProgress();
  return 0;
}

std::int32_t CZrobPrufacje::EnterTarget() const {
  const bool quantities = controls::IsChecked(controls::kQuantitiesOption);
  switch (focused_control) {
    case controls::kSymbol:
      return quantities ? controls::kQuantity : controls::kSymbol;
    case controls::kQuantity:
      return quantities ? controls::kSymbol : kResultStay;
    case controls::kList:
      return controls::kSymbol;
    default:
      return kResultStay;
  }
}

Position* CZrobPrufacje::FindTypedSymbol(const char* symbol) {
  for (Position& position : Positions()) {
    if (std::strcmp(StripSpaces(position.symbol), symbol) == 0) return &position;
  }
  return nullptr;
}

void CZrobPrufacje::AcceptTypedSymbol(CountedItem& typed) {
  if (typed.symbol[0] == '\0') return;
  const std::int32_t factor = TranslateCountedCode(typed);
  typed.quantity = kOneUnit;

  if (controls::IsChecked(controls::kQuantitiesOption)) {
    // Only prepares the quantity field; the list does not change.
    if (const Position* position = FindTypedSymbol(typed.symbol)) {
      if (factor != kOneUnit) {
        // A package code offers one package: one unit scaled by its factor,
        // which fits, being a 32-bit quantity itself.
        typed.quantity = *ScaleByFactor(kOneUnit, factor);
      } else if (position->counted == 0) {
        typed.quantity = position->invoiced;
      }
    }
    list_refresh_ = 1;
    SetQuantityField(typed.quantity);
    SetSymbolField(typed.symbol);
    controls::Redraw();
    return;
  }

  if (Position* position = FindTypedSymbol(typed.symbol)) {
    if (position->invoiced != 0) position->counted = position->invoiced;
  } else {
    CountUnlisted(typed.symbol, typed.quantity);
  }
  list_refresh_ = 1;
  ClearSymbolField();
  controls::Redraw();
}

void CZrobPrufacje::AcceptTypedQuantity(CountedItem& typed) {
  if (typed.symbol[0] == '\0') return;
  if (Position* position = FindTypedSymbol(typed.symbol)) {
    AddCounted(*position, typed.quantity);
  } else {
    CountUnlisted(typed.symbol, typed.quantity);
  }
  list_refresh_ = 1;
  SetQuantityField(kOneUnit);
  ClearSymbolField();
  SortForDisplay();
  controls::Redraw();
}

}  // namespace verify
