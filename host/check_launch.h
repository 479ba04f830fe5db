// One check of one invoice, as a register's Ctrl-1 starts it.
#pragma once

#include <cstdint>

#include "abi/records.h"

namespace host {

// Runs the whole check, dialog included, on a check object of its own
// that is gone when it returns, also when an exception passes.
void RunCheck(const korpus_abi::ListState* state, const char* invoice_number, std::int32_t invoice_id);

}  // namespace host
