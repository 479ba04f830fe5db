// Ids and state bits of the check dialog's controls.
#pragma once

#include <cstdint>

#include "host/boundary.h"
#include "host/korpus/entries.h"

namespace verify::controls {

inline constexpr std::int32_t kDialog = 0;
inline constexpr std::int32_t kQuantitiesOption = 2;
inline constexpr std::int32_t kSymbol = 3;
inline constexpr std::int32_t kQuantityLabel = 4;
inline constexpr std::int32_t kQuantity = 5;
inline constexpr std::int32_t kList = 6;
inline constexpr std::int32_t kNoAdditions = 7;
inline constexpr std::int32_t kEnterButton = 13;

inline constexpr std::uint32_t kChecked = 0x0001;
inline constexpr std::uint32_t kDisabled = 0x0002;
inline constexpr std::uint32_t kRedraw = 0x8000;

inline bool IsChecked(std::int32_t id) { return (korpus::ControlState(id, 0, 0) & kChecked) != 0; }
// The dialog redraws at once, asking the object for its rows.
inline void Redraw() {
  host::ThroughHost([] { korpus::ControlState(kDialog, kRedraw, 1); });
}

}  // namespace verify::controls
