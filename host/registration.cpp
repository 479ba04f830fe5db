#include "host/registration.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "abi/tables.h"
#include "host/boundary.h"
#include "host/check_launch.h"
#include "host/description.h"
#include "host/korpus/entries.h"
#include "host/table_handles.h"

namespace host::registration {

namespace {

struct RegisterHook {
  korpus_abi::ListHandler saved = nullptr;
  bool replaced = false;
};

RegisterHook sales_hook;
RegisterHook purchase_hook;

struct TableSpec {
  const char* name;
  std::int32_t number;
  std::int16_t version;
  korpus_abi::TableObject* TableHandles::*handle;
  RegisterHook* hook;  // null: the table is read, not hooked
  korpus_abi::ListHandler handler;
};

const std::array<TableSpec, 5> kTables = {{
    {"tabTspr", korpus_abi::kSalesRegister, korpus_abi::kSalesRegisterVersion, &TableHandles::tabTspr, &sales_hook,
     &SalesListHandler},
    {"tabTzak", korpus_abi::kPurchaseRegister, korpus_abi::kPurchaseRegisterVersion, &TableHandles::tabTzak,
     &purchase_hook, &PurchaseListHandler},
    {"tabTspr_dok", korpus_abi::kSalesPositionsTable, korpus_abi::kSalesPositionsVersion, &TableHandles::tabTspr_dok,
     nullptr, nullptr},
    {"tabTzak_dok", korpus_abi::kPurchasePositionsTable, korpus_abi::kPurchasePositionsVersion,
     &TableHandles::tabTzak_dok, nullptr, nullptr},
    {"tabk9", korpus_abi::kGoodsTable, korpus_abi::kGoodsVersion, &TableHandles::tabk9, nullptr, nullptr},
}};

const char* const kStopCaption = "STOP!"_mz;
const char* const kVersionFormat =
    "Wersje tabeli \x02%s\x01 w programie i we wtyczce\nnie pasują do siebie (WT:%d, GP:%d)!\n\n\n"
    "Wtyczka \x02%s\x01\nNIE zostanie załadowana!"_mz;
const char* const kNoticeFormat = "%s\n Tabele/Sprzedaż lub Zakup/Faktury krajowe (VAT)-> Ctrl-1"_mz;

const char* const kSettingsFile = "PrufPytanie.ini";
const char* const kSettingsSection = "Prufacja";
const char* const kSettingsKey = "Pytaj";

// The host's number of the install notice.
constexpr std::int32_t kNoticeId = 1194;

// A table the host does not have is shown as version 0.
bool Check(const TableSpec& table) {
  korpus_abi::TableObject*& handle = Tables().*table.handle;
  if (handle != nullptr) return true;

  korpus_abi::TableObject* opened = korpus::OpenTable(table.number);
  const std::int16_t found = opened == nullptr ? std::int16_t{0} : opened->version;
  if (opened == nullptr || found != table.version) {
    korpus::MessageFormat(kStopCaption, kVersionFormat, korpus_abi::kBoxNotice, table.name, int{table.version},
                          int{found}, kDescription);
    return false;
  }
  handle = opened;
  if (table.hook != nullptr) {
    table.hook->saved = opened->list_handler;
    table.hook->replaced = true;
    opened->list_handler = table.handler;
  }
  return true;
}

void Restore(const TableSpec& table) {
  korpus_abi::TableObject*& handle = Tables().*table.handle;
  if (handle == nullptr) return;
  if (table.hook->replaced) {
    handle->list_handler = table.hook->saved;
    table.hook->replaced = false;
  }
  handle = nullptr;
}

void CheckCurrentInvoice(void* const* rows, const korpus_abi::ListState* state, std::size_t id_offset) {
  // A register without rows has no current invoice to check.
  if (rows == nullptr || state == nullptr) return;
  const std::int64_t index = std::int64_t{state->top} + state->cursor - state->first_visible;
  if (index < 0) return;
  const auto* row = static_cast<const char*>(rows[index]);
  if (row == nullptr) return;

  std::int32_t invoice_id = 0;
  std::memcpy(&invoice_id, row + id_offset, sizeof invoice_id);
  RunCheck(state, row + korpus_abi::kRowNumberOffset, invoice_id);
}

std::int32_t Chain(const RegisterHook& hook, std::int32_t event, std::uint16_t arg2, std::int32_t arg3, void** rows,
                   std::int32_t arg5, korpus_abi::ListState* state, std::int32_t arg7, std::int32_t arg8,
                   std::int32_t arg9, std::uint16_t arg10, std::int32_t arg11) {
  if (hook.saved == nullptr) return 0;
  return hook.saved(event, arg2, arg3, rows, arg5, state, arg7, arg8, arg9, arg10, arg11);
}

}  // namespace

bool CheckTables() {
  for (const TableSpec& table : kTables) {
    if (!Check(table)) return false;
  }
  return true;
}

void Withdraw() {
  Restore(kTables[0]);
  Restore(kTables[1]);
}

void InstallNotice() {
  // "%d" reads a full int. Any non-zero value hides the notice, also one
  // whose low 16 bits are 0 (65536), so that the user's setting is never
  // written back as 0.
  int stored = 0;
  if (korpus::IniAccess(kSettingsFile, korpus_abi::kIniRead, kSettingsSection, kSettingsKey, "%d", &stored) !=
      korpus_abi::kIniDone) {
    stored = 0;
  }
  if (stored != 0) return;
  std::int16_t flag = 0;

  char text[256];
  std::snprintf(text, sizeof text, kNoticeFormat, kDescription);
  korpus::Notice(kNoticeId, &flag, 0, text);
  korpus::IniAccess(kSettingsFile, korpus_abi::kIniWrite, kSettingsSection, kSettingsKey, "%d", int{flag});
}

std::int32_t KORPUS_CALLEE SalesListHandler(std::int32_t event, std::uint16_t arg2, std::int32_t arg3, void** rows,
                                            std::int32_t arg5, korpus_abi::ListState* state, std::int32_t arg7,
                                            std::int32_t arg8, std::int32_t arg9, std::uint16_t arg10,
                                            std::int32_t arg11) {
  return ForHost([&] {
    if (event == korpus_abi::kEventCtrl1) CheckCurrentInvoice(rows, state, korpus_abi::kSalesRowIdOffset);
    return Chain(sales_hook, event, arg2, arg3, rows, arg5, state, arg7, arg8, arg9, arg10, arg11);
  });
}

std::int32_t KORPUS_CALLEE PurchaseListHandler(std::int32_t event, std::uint16_t arg2, std::int32_t arg3,
                                               void** rows, std::int32_t arg5, korpus_abi::ListState* state,
                                               std::int32_t arg7, std::int32_t arg8, std::int32_t arg9,
                                               std::uint16_t arg10, std::int32_t arg11) {
  return ForHost([&] {
    if (event == korpus_abi::kEventCtrl1) CheckCurrentInvoice(rows, state, korpus_abi::kPurchaseRowIdOffset);
    return Chain(purchase_hook, event, arg2, arg3, rows, arg5, state, arg7, arg8, arg9, arg10, arg11);
  });
}

void ResetForTests() {
  for (const TableSpec& table : kTables) Tables().*table.handle = nullptr;
  sales_hook = {};
  purchase_hook = {};
}

}  // namespace host::registration
