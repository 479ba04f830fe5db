// The class table of the check object, laid by hand as the host's compiler
// lays a WDialogBase-derived class: 32 method slots.
#pragma once

#include <span>

namespace verify {

std::span<void* const> ClassTable();

}  // namespace verify
