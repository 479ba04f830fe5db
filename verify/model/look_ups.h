// The steps of the look-ups in the host's tables that the look-ups of one
// item (look_ups.cpp) and the walks for a batch of items (table_walks.cpp)
// share.
#pragma once

#include <cstdint>

#include "abi/host_codes.h"
#include "abi/records.h"
#include "verify/model/host_scan.h"
#include "verify/model/records.h"

namespace verify::look_ups {

// A code of this factor counts one piece of the goods it names.
inline constexpr std::int32_t kFactorOne = korpus_abi::kOneUnit;
// The flag of a context record that the goods search takes.
inline constexpr std::int16_t kSearched = 1;

// What the first code-table record of an item's code does to the item;
// returns the factor.
std::int32_t ApplyCodeRecord(CountedItem& item, const korpus_abi::CodeRecord& record,
                             const korpus_abi::TableObject& goods_table);

// The scans of the look-ups, each on the scan of its table.
void StartCodeScan(HostScan& codes);
void StartContextScan(HostScan& contexts);
// Sets the first context number from a flagged record and starts its goods.
void StartGoodsScan(HostScan& goods, const korpus_abi::ContextRecord& context, std::int16_t& first_number);

}  // namespace verify::look_ups
