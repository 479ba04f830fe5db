// Delegate objects: a dialog object bound to one of its base-class entries
// (20907 events, 20936 rows), made in storage of the caller's. The callable
// value that a delegate hands out is what the dialog engine gets.
#pragma once

#include <cstdint>
#include <span>

#include "standin/dialog/engine.h"

namespace standin::dialog {

// The delegate's own class table: slot 0 releases (flags as a destructor
// takes them), slot 1 answers the callable value.
std::span<void* const> DelegateClassTable();

// The host's class table of WDialogBase: 32 slots.
std::span<void* const> BaseClassTable();

// The object behind the callable values that 52026 gets; a null or
// released callable answers 0.
class DelegateClient final : public DialogClient {
 public:
  DelegateClient(void* row_callable, void* event_callable)
      : row_callable_(row_callable), event_callable_(event_callable) {}

  std::int32_t Event(std::int16_t code, std::int16_t kind) override;
  std::intptr_t Row(std::int32_t row) override;
  // Through the class table of the object that the event delegate binds.
  void Base(BaseOperation operation) override;

 private:
  void* row_callable_;
  void* event_callable_;
};

}  // namespace standin::dialog
