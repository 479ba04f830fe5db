// The check dialog's events: typed symbols and quantities, Enter, the
// chosen row, the options, the two buttons and the closing.
#include <cstring>

#include "abi/codepage.h"
#include "host/korpus/entries.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

constexpr std::int16_t kOpening = -2;
constexpr std::int16_t kFocus = -1;
constexpr std::int16_t kCommand = 1;
constexpr std::int16_t kClosing = 2;
constexpr std::int16_t kListChoice = 4;

constexpr std::int16_t kEnter = 13;
constexpr std::int16_t kReadCollector = 0x3E00;
constexpr std::int16_t kWriteReport = 0x3F00;

constexpr std::int32_t kStay = -2;

// Only one check dialog is open at a time.
std::int16_t focused_control = 0;

// The engine's values of the two fields. A field whose address the host
// does not give (null) reads as empty and takes no writes.
char* SymbolField() { return static_cast<char*>(korpus::ValueAddress(controls::kSymbol)); }
std::int32_t* QuantityField() { return static_cast<std::int32_t*>(korpus::ValueAddress(controls::kQuantity)); }

void SetSymbolField(const char* symbol) {
  if (char* field = SymbolField()) BoundedCopy(field, symbol, 16);
}

void ClearSymbolField() {
  if (char* field = SymbolField()) field[0] = '\0';
}

void SetQuantityField(std::int32_t quantity) {
  if (std::int32_t* field = QuantityField()) *field = quantity;
}

}  // namespace

std::int32_t CZrobPrufacje::HandleEvent(std::int16_t code, std::int16_t kind) {
  if (kind == kOpening) {
    SortForDisplay();
    focused_control = controls::kSymbol;
    korpus::ControlState(controls::kQuantityLabel, controls::kDisabled, 0);
    korpus::ControlState(controls::kQuantity, controls::kDisabled, 0);
    korpus::ControlState(controls::kQuantitiesOption, controls::kChecked, 1);
    controls::Redraw();
  }

  if (kind == kCommand) {
    CountedItem typed{};
    if (const char* symbol = SymbolField()) BoundedCopy(typed.symbol, symbol, sizeof typed.symbol - 1);
    StripSpaces(typed.symbol);
    if (const std::int32_t* quantity = QuantityField()) typed.quantity = *quantity;

    switch (code) {
      case kEnter:
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
      case kReadCollector: {
        // Without an item block the import did nothing; the event goes on.
        const std::int32_t result = ReadCollectorFile();
        if (result != 0) return result;
        break;
      }
      case kWriteReport:
        WriteReport();
        break;
      default:
        break;
    }
  }

  if (kind == kListChoice && code == controls::kList) {
    const std::int32_t row = korpus::CurrentRow(controls::kList);
    std::int32_t unused = 0;
    korpus::ListValue(controls::kList, &unused, 1);
    if (row >= 0 && row < count_) SetSymbolField(positions_[row].symbol);
    controls::Redraw();
  }

  if (kind == kFocus) {
    focused_control = code;
    const bool enter_works =
        code == controls::kSymbol || code == controls::kQuantity || code == controls::kList;
    korpus::ControlState(controls::kEnterButton, controls::kDisabled, enter_works ? 0 : 1);
  }

  if (kind == kClosing) SaveProgress();
  return 0;
}

std::int32_t CZrobPrufacje::EnterTarget() const {
  const bool quantities = controls::IsChecked(controls::kQuantitiesOption);
  switch (focused_control) {
    case controls::kSymbol:
      return quantities ? controls::kQuantity : controls::kSymbol;
    case controls::kQuantity:
      return quantities ? controls::kSymbol : kStay;
    case controls::kList:
      return controls::kSymbol;
    default:
      return kStay;
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
  typed.quantity = 1000;

  if (controls::IsChecked(controls::kQuantitiesOption)) {
    // Only prepares the quantity field; the list does not change.
    if (const Position* position = FindTypedSymbol(typed.symbol)) {
      if (factor != 1000) {
        typed.quantity = korpus::RealToWhole(1000 * 0.001 * factor, 1);
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
  SetQuantityField(1000);
  ClearSymbolField();
  SortForDisplay();
  controls::Redraw();
}

}  // namespace verify
