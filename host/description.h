#pragma once

#include "abi/codepage.h"

namespace host {

// The plug-in's description of itself: given to the host at load and
// named in the version and binding error boxes.
inline const char* const kDescription = " Zainstalowano wtyczkę: PRUFACJA"_mz;

}  // namespace host
