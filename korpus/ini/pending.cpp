// TEMPORARY: entries whose stand-in implementation has not landed yet.
// Each answers as a host that lacks the service would. Delete this file
// when the real implementation of this area is added.
#include "korpus/entries.h"

namespace standin::entry {

std::int16_t KORPUS_CALLER IniAccess(const char*, std::int32_t, const char*, const char*, const char*, ...) {
  return 1;
}

}  // namespace standin::entry
