// The host's table objects as the host program and tests set them up:
// layout versions, availability, the registers' list handlers, and faults
// of scans. The data behind the tables is the current store (store.h).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "abi/records.h"
#include "abi/tables.h"
#include "standin/tables/store.h"

namespace standin::tables {

// The numbers that the table-open entry knows.
inline constexpr std::array<std::int32_t, 7> kTableNumbers = {
    korpus_abi::kSalesRegister, korpus_abi::kSalesPositionsTable,     korpus_abi::kContextTable,
    korpus_abi::kGoodsTable,    korpus_abi::kPurchaseRegister,        korpus_abi::kPurchasePositionsTable,
    korpus_abi::kCodeTable,
};

// The version that a table's object carries until it is overridden: the
// one that the plug-in checks (abi/tables.h), 1 for 48 and 117, which it
// does not check; 0 for a number that is not a table.
std::int16_t DefaultVersion(std::int32_t table);

// Each answers false for a number that is not a table (or, for the list
// handler, not a register).
bool SetVersion(std::int32_t table, std::int16_t version);
bool SetAvailable(std::int32_t table, bool available);  // unavailable: OpenTable answers null
bool SetListHandler(std::int32_t table, korpus_abi::ListHandler handler);

// The handler that the registers 44 and 52 start with: it takes every
// event and answers 0. The host program puts its own in its place.
korpus_abi::ListHandler DefaultListHandler();

// Versions, availability, list handlers, context numbers and scan faults
// back to their defaults; every scan in progress ends.
void Reset();

// Scans begun and not yet ended.
int ActiveScans();

// Scans begun and never ended through the scan-end entry since the last
// call: those still open, and those whose cursor a later start took over.
// The open ones end; the count starts again from 0.
int TakeUnendedScans();

// A register row as the host's list hands it to a list handler: the
// number (Mazovia, cut to its field) at byte 2 and the identifier at byte
// 976 (sales) or 824 (purchase); zeros elsewhere.
void FillRegisterRow(const InvoiceRow& invoice, std::span<std::uint8_t, korpus_abi::kRegisterRowSize> row);

}  // namespace standin::tables

namespace standin::testing {

// A scan of the table fails to start (ScanStart answers 0) while on.
void FailScanStart(std::int32_t table, bool on);

// Scans of the table deliver at most this many records and then answer 0
// instead of the next record or the normal end; negative clears.
void FailScanAfter(std::int32_t table, long records);

// The table's object points to no record buffer while on; its scans still
// deliver into the buffer, which the plug-in then cannot see.
void WithoutRecordBuffer(std::int32_t table, bool on);

}  // namespace standin::testing
