// TEMPORARY: entries whose stand-in implementation has not landed yet.
// Each answers as a host that lacks the service would. Delete this file
// when the real implementation of this area is added.
#include "korpus/entries.h"

namespace standin::entry {

korpus_abi::TableObject* KORPUS_CALLEE OpenTable(std::int32_t) { return nullptr; }
std::int32_t KORPUS_CALLEE BuildNumberKey(std::int32_t, std::int32_t, void*, std::int32_t) { return 0; }
std::int32_t KORPUS_CALLEE BuildTextKey(std::int32_t, void*, const char*, const char*, std::int32_t) { return 0; }
std::int32_t KORPUS_CALLEE PrepareTable(korpus_abi::TableObject*, std::int32_t) { return 0; }
std::int32_t KORPUS_CALLEE ScanStart(void*, korpus_abi::TableObject*, std::int32_t, const void*, std::int32_t,
                                     std::int32_t) {
  return 0;
}
std::int32_t KORPUS_CALLEE ScanNext(void*) { return 0; }
std::int32_t KORPUS_CALLEE ScanEnd(void*) { return 0; }
std::int16_t* KORPUS_CALLEE FirstContextNumber() {
  static std::int16_t value;
  return &value;
}
std::int16_t* KORPUS_CALLEE SecondContextNumber() {
  static std::int16_t value;
  return &value;
}
std::int32_t KORPUS_CALLEE ReadGoods(std::int32_t, std::int32_t) { return 0; }

}  // namespace standin::entry
