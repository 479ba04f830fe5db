// The stand-in's implementations of the host entries, one per entry of the
// shared table; exports.cpp hands them out by ordinal.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "abi/callconv.h"
#include "abi/records.h"

namespace standin::entry {

#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) result KORPUS_CONV_##conv name params;
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) result KORPUS_CONV_##conv name params;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT

}  // namespace standin::entry
