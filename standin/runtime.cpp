// The three entries that a plug-in reaches without lazy binding.
#include "standin/entries.h"

namespace standin::entry {

// Windows structured exceptions become the host's exceptions; a POSIX
// process has none to translate.
void KORPUS_CALLER TranslateException(std::uint32_t, void*) {}

// Its address is the host context that a plug-in records at attach.
std::int32_t KORPUS_CALLER HostContext() { return 0; }

// The host supplies no delay-loaded library or function of its own.
void* KORPUS_CALLEE DelayLoadHook(std::uint32_t, void*) { return nullptr; }

}  // namespace standin::entry
