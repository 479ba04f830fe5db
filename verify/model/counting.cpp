// Counting one code into the list: the checked addition of a quantity and
// the handling of a code that no position holds. The merge's third pass and
// the typed entry share both.
#include "verify/model/counting.h"

#include <limits>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "host/korpus/entries.h"
#include "verify/dialog/controls.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

const char* const kNotOnInvoice =
    "Na sprawdzanej fakturze brak towaru o kodzie %s!\nTowar ten zostanie pominięty przy sprawdzaniu!"_mz;
const char* const kOutOfRange =
    "Ilość towaru %s przekroczyłaby dopuszczalny zakres!\nIlość nie została dodana."_mz;

}  // namespace

bool CZrobPrufacje::AddCounted(Position& position, std::int32_t quantity) {
  const std::int64_t sum = std::int64_t{position.counted} + quantity;
  if (sum > std::numeric_limits<std::int32_t>::max() || sum < std::numeric_limits<std::int32_t>::min()) {
    ShowMessage("Błąd"_mz, kOutOfRange, korpus_abi::kBoxNotice, position.symbol);
    return false;
  }
  position.counted = static_cast<std::int32_t>(sum);
  return true;
}

bool WarnNotOnInvoice(const char* symbol) {
  // Read afresh each time: the user may tick the option between boxes.
  if (!controls::IsChecked(controls::kNoAdditions)) return false;
  korpus::Signal();
  ShowMessage("Uwaga", kNotOnInvoice, korpus_abi::kBoxNotice, symbol);
  return true;
}

void CZrobPrufacje::CountUnlisted(char* symbol, std::int32_t quantity) {
  if (WarnNotOnInvoice(symbol)) return;
  if (!LookUpGoods(symbol, quantity)) AddPosition("Nowy towar", symbol, quantity);
}

}  // namespace verify
