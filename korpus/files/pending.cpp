// TEMPORARY: entries whose stand-in implementation has not landed yet.
// Each answers as a host that lacks the service would. Delete this file
// when the real implementation of this area is added.
#include "korpus/entries.h"

namespace standin::entry {

std::FILE* KORPUS_CALLEE OpenStream(const char*, const char*, std::int32_t, std::int32_t, std::int32_t) {
  return nullptr;
}
std::int32_t KORPUS_CALLEE StoreDocument(std::int32_t, const char*, std::int32_t, std::int32_t) { return 0; }
std::int16_t KORPUS_CALLEE CollectorReady() { return 1; }
const char* KORPUS_CALLEE CollectorFolder() { return ""; }
std::int32_t KORPUS_CALLEE FetchCollectorFile(const char*, const char*) { return 0; }

}  // namespace standin::entry
