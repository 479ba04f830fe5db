// TEMPORARY: entries whose stand-in implementation has not landed yet.
// Each answers as a host that lacks the service would. Delete this file
// when the real implementation of this area is added.
#include "korpus/entries.h"

namespace standin::entry {

void* KORPUS_METHOD DialogConstruct(void* self) { return self; }
void KORPUS_METHOD DialogDestruct(void*) {}
#define BASE_VIRTUAL(n) \
  std::int32_t KORPUS_METHOD DialogVirtual##n(void*) { return 0; }
BASE_VIRTUAL(20937)
BASE_VIRTUAL(20939)
BASE_VIRTUAL(20940)
BASE_VIRTUAL(20941)
BASE_VIRTUAL(20942)
BASE_VIRTUAL(20943)
BASE_VIRTUAL(20944)
BASE_VIRTUAL(20945)
BASE_VIRTUAL(20946)
BASE_VIRTUAL(20947)
BASE_VIRTUAL(20948)
BASE_VIRTUAL(20949)
BASE_VIRTUAL(20950)
BASE_VIRTUAL(20951)
BASE_VIRTUAL(20952)
BASE_VIRTUAL(20953)
BASE_VIRTUAL(20954)
BASE_VIRTUAL(20955)
BASE_VIRTUAL(20956)
BASE_VIRTUAL(20957)
BASE_VIRTUAL(20958)
BASE_VIRTUAL(20959)
BASE_VIRTUAL(20960)
BASE_VIRTUAL(20961)
BASE_VIRTUAL(20962)
BASE_VIRTUAL(20963)
BASE_VIRTUAL(20964)
BASE_VIRTUAL(20965)
BASE_VIRTUAL(20966)
#undef BASE_VIRTUAL
std::int32_t KORPUS_METHOD DialogDeliverEvent(void*, std::int32_t, std::int32_t) { return 0; }
std::intptr_t KORPUS_METHOD DialogRowText(void*, std::int32_t, std::int32_t) { return 0; }
void* KORPUS_METHOD DelegateMake(void* self, void*, void*) { return self; }
void KORPUS_METHOD DelegateRelease(void*) {}

std::int32_t KORPUS_CALLER RunDialog(const void*, std::int32_t, void*, void*, void*) { return 0; }
std::int32_t KORPUS_CALLEE StoreValues(void*, std::int32_t) { return 0; }
void* KORPUS_CALLEE ValueAddress(std::int32_t) { return nullptr; }
std::int32_t KORPUS_CALLEE ListValue(std::int32_t, std::int32_t*, std::int32_t) { return 0; }
std::int32_t KORPUS_CALLEE CurrentRow(std::int32_t) { return 0; }

}  // namespace standin::entry
