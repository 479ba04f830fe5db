// State words of dialog controls by id (the bits: abi/dialog_codes.h).
#pragma once

#include <cstdint>

#include "abi/dialog_codes.h"

namespace standin {

using korpus_abi::kStateChecked;
using korpus_abi::kStateDisabled;
using korpus_abi::kStateRedraw;

class ControlStates {
 public:
  virtual ~ControlStates() = default;
  virtual std::uint16_t Get(std::int32_t id) const = 0;
  virtual void Set(std::int32_t id, std::uint16_t word) = 0;
};

// The states that the control-state entry works on: the open dialog's
// controls, or a free-standing set when no dialog runs (tests set it).
ControlStates& CurrentControlStates();
void SetCurrentControlStates(ControlStates* states);

namespace testing {
void SetControlState(std::int32_t id, std::uint16_t word);
std::uint16_t ControlStateOf(std::int32_t id);
}  // namespace testing

}  // namespace standin
