// The plug-in's one entry point, exported by ordinal: the host loads the
// plug-in with a context and unloads it with none.
#pragma once

#include <cstdint>

#include "abi/callconv.h"
#include "host/korpus/entries.h"

namespace host {

inline constexpr std::uint32_t kEntryOrdinal = 30001;

// 0 loaded or unloaded; -1 refused after the "STOP!" box. The description
// buffer, when given on a load, receives the description text.
std::int32_t KORPUS_CALLEE PluginEntry(void* context, char* description);

// The exception translator installed for the calling thread by a load.
korpus::types::TranslateException ThreadExceptionTranslator();

}  // namespace host
