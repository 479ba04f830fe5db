// Fills the check's list with the invoice's positions as the host's
// positions table holds them.
#include <algorithm>
#include <cstdint>
#include <cstring>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "abi/tables.h"
#include "host/korpus/entries.h"
#include "host/table_handles.h"
#include "verify/dialog/zrob_prufacje.h"
#include "verify/model/host_scan.h"

namespace verify {

namespace {

// What the positions table is prepared with before its scan.
constexpr std::int32_t kPrepareForPositions = 255;

struct PositionsSource {
  korpus_abi::TableObject* table;
  std::int32_t index;
};

// A record's text field is not trusted to hold its NUL: copy at most what
// both the field and the destination can hold.
template <std::size_t N, std::size_t M>
void CopyField(char (&destination)[N], const char (&source)[M]) {
  const void* const end = std::memchr(source, '\0', M);
  const std::size_t stored = end == nullptr ? M : static_cast<std::size_t>(static_cast<const char*>(end) - source);
  const std::size_t length = std::min(stored, N - 1);
  std::memcpy(destination, source, length);
  destination[length] = '\0';
}

}  // namespace

bool CZrobPrufacje::LoadInvoice(std::uint16_t register_number, std::int32_t invoice_id) {
  korpus_abi::TableObject* const purchase_positions = korpus::OpenTable(korpus_abi::kPurchasePositionsTable);
  korpus_abi::TableObject* const sales_positions = korpus::OpenTable(korpus_abi::kSalesPositionsTable);
  // What the purchase positions need is the table held since the load; a
  // fresh open of it that fails refuses neither register.
  korpus_abi::TableObject* const held_purchase_positions = host::Tables().tabTzak_dok;
  if (sales_positions == nullptr || held_purchase_positions == nullptr) {
    korpus::MessageText("Błąd"_mz, "Błąd operacji dyskowej we wtyczce prufacja!"_mz, korpus_abi::kBoxNotice);
    return false;
  }

  count_ = 0;
  PositionsSource source{};
  switch (register_number) {
    case korpus_abi::kSalesRegister:
      source = {sales_positions, korpus_abi::kSalesPositionsIndex};
      break;
    case korpus_abi::kPurchaseRegister:
      // The table as opened now; the one held since the load when that
      // open answers nothing.
      source = {purchase_positions != nullptr ? purchase_positions : held_purchase_positions,
                korpus_abi::kPurchasePositionsIndex};
      break;
    default:
      return false;
  }

  korpus::PrepareTable(source.table, kPrepareForPositions);
  bool incomplete = false;
  {
    HostScan positions(source.table);
    korpus::BuildNumberKey(source.index, 0, positions.key(), invoice_id);
    positions.Start(source.index);
    while (const auto* record = positions.Next<korpus_abi::PositionRecord>()) {
      if (count_ >= capacity_ && !ReservePositions(count_ + 1)) {
        incomplete = true;
        break;
      }
      Position& position = positions_[count_];
      std::memset(&position, 0, sizeof position);
      CopyField(position.name, record->name);
      CopyField(position.symbol, record->symbol);
      position.invoiced = record->quantity;
      ++count_;
    }
  }

  if (incomplete) {
    ShowMessage("Błąd"_mz, "Nie udało się wczytać całej faktury!\nWczytano %d pozycji, sprawdzanie będzie niepełne."_mz,
                korpus_abi::kBoxNotice, count_);
  }
  return true;
}

}  // namespace verify
