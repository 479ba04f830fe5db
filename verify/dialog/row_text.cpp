// The list's rows and the quantity controls of the check dialog.
#include <cstdio>

#include "abi/codepage.h"
#include "abi/dialog_codes.h"
#include "abi/host_codes.h"
#include "host/korpus/entries.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

const char* Remark(std::int32_t counted, std::int32_t invoiced) {
  if (counted == invoiced) return "  OK";
  if (counted > invoiced) return "DUŻO"_mz;
  return korpus::RoundReal(static_cast<double>(counted), 1) == 0.0 ? "niepruf." : "mało"_mz;
}

std::intptr_t CZrobPrufacje::RowText(std::int16_t row) {
  if (row == korpus_abi::kCountRow) return count_;
  if (list_refresh_ != 0) {
    list_refresh_ = 0;
    return 0;
  }
  // A row the list no longer has reads as empty rather than past the block.
  if (row < 0 || row >= count_ || positions_ == nullptr) {
    row_text_[0] = '\0';
    return reinterpret_cast<std::intptr_t>(row_text_);
  }
  Position& position = positions_[row];
  const char* remark = Remark(position.counted, position.invoiced);
  StripSpaces(position.symbol);
  std::snprintf(row_text_, sizeof row_text_, "%4d. %s\r%s\r%0.2f\r%0.2f\r%s", row + 1, position.name,
                position.symbol, position.counted / double{korpus_abi::kOneUnit},
                position.invoiced / double{korpus_abi::kOneUnit}, remark);
  return reinterpret_cast<std::intptr_t>(row_text_);
}

void CZrobPrufacje::UpdateQuantityControls() {
  korpus::StoreValues(&values_, 1);
  const std::int32_t disable = values_.quantities_option == 1 ? 0 : 1;
  korpus::ControlState(controls::kQuantityLabel, korpus_abi::kStateDisabled, disable);
  korpus::ControlState(controls::kQuantity, korpus_abi::kStateDisabled, disable);
  controls::Redraw();
}

}  // namespace verify
