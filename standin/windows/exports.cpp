// The stand-in's export table on Windows. Each entry is exported by ordinal
// (korpus_exports.def) as a plain jump to its stand-in function, so the
// definitions need no C++ names and every calling convention passes
// through untouched.
#include "standin/entries.h"

extern "C" {

// Ordinal 1 (korpus_exports.def): not a host entry.
std::int32_t korpus_exports_floor() { return 0; }

#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params)      \
  __attribute__((naked, used)) void korpus_export_##name() {           \
    __asm__ volatile("jmp %c0" : : "i"(&standin::entry::name)); \
  }
#define KORPUS_DIRECT KORPUS_ENTRY
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
}
