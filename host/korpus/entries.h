// The host library's entries as the plug-in calls them. Each declaration
// is the call stub of that entry: it continues through the entry's slot in
// the binding table, which binds the entry on its first call.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "abi/callconv.h"
#include "abi/records.h"

namespace korpus {

#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
  result KORPUS_CONV_##conv name params __asm__("korpus_call_" #name);
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY

// The same entries as function pointer types, for the few places that hold
// a host function directly.
namespace types {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
  using name = result(KORPUS_CONV_##conv*) params;
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) \
  using name = result(KORPUS_CONV_##conv*) params;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
}  // namespace types

namespace ordinals {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) inline constexpr std::uint16_t name = ordinal;
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) inline constexpr std::uint16_t name = ordinal;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
}  // namespace ordinals

}  // namespace korpus
