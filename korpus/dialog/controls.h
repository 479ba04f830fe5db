// State words of dialog controls by id (bit 0x0001 check box on, 0x0002
// disabled; 0x8000 on id 0 asks for a redraw).
#pragma once

#include <cstdint>

namespace standin {

inline constexpr std::uint16_t kStateChecked = 0x0001;
inline constexpr std::uint16_t kStateDisabled = 0x0002;
inline constexpr std::uint16_t kStateRedraw = 0x8000;

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
