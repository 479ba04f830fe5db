// Ids of the check dialog's controls, and the state bits the check reads
// and sets on them.
#pragma once

#include <cstdint>

#include "abi/dialog_codes.h"
#include "host/boundary.h"
#include "host/korpus/entries.h"

namespace verify::controls {

inline constexpr std::int16_t kDialog = 0;
inline constexpr std::int16_t kQuantitiesOption = 2;
inline constexpr std::int16_t kSymbol = 3;
inline constexpr std::int16_t kQuantityLabel = 4;
inline constexpr std::int16_t kQuantity = 5;
inline constexpr std::int16_t kList = 6;
inline constexpr std::int16_t kNoAdditions = 7;
inline constexpr std::int16_t kEnterButton = korpus_abi::kKeyEnter;
// The buttons' ids are the commands they give: OK, and their keys' codes.
inline constexpr std::int16_t kOkButton = korpus_abi::kCommandOk;
inline constexpr std::int16_t kReadCollectorButton = static_cast<std::int16_t>(korpus_abi::FunctionKey(4));
inline constexpr std::int16_t kWriteReportButton = static_cast<std::int16_t>(korpus_abi::FunctionKey(5));
// Labels that no event names.
inline constexpr std::int16_t kNoId = -1;

inline bool IsChecked(std::int32_t id) { return (korpus::ControlState(id, 0, 0) & korpus_abi::kStateChecked) != 0; }
// The dialog redraws at once, asking the object for its rows.
inline void Redraw() {
  host::ThroughHost([] { korpus::ControlState(kDialog, korpus_abi::kStateRedraw, 1); });
}

}  // namespace verify::controls
