// The class table of the check object and the slots that the host calls
// through it.
#include "verify/dialog/class_table.h"

#include "abi/records.h"
#include "host/boundary.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

// The host calls the slots with an untyped object pointer, so that is what
// they take. The engine calls the two handlers from inside its own frames.

// Slot 0: destroys the object; bit 0 of the flags also returns its memory
// to the host.
void* KORPUS_METHOD DestroySlot(void* self, std::uint32_t flags) {
  return host::ForHost([&] {
    static_cast<CZrobPrufacje*>(self)->Destroy(flags);
    return self;
  });
}

std::int32_t KORPUS_METHOD HandleEventSlot(void* self, std::int16_t code, std::int16_t kind) {
  return host::ForHost([&] { return static_cast<CZrobPrufacje*>(self)->HandleEvent(code, kind); });
}

std::intptr_t KORPUS_METHOD RowTextSlot(void* self, std::int16_t row, std::int32_t) {
  return host::ForHost([&] { return static_cast<CZrobPrufacje*>(self)->RowText(row); });
}

template <typename F>
void* Slot(F function) {
  return reinterpret_cast<void*>(function);
}

void* const kClassTable[korpus_abi::kClassTableSlots] = {
    Slot(&DestroySlot),
    Slot(&HandleEventSlot),
    Slot(&korpus::DialogVirtual20958),
    Slot(&korpus::DialogVirtual20959),
    Slot(&korpus::DialogVirtual20960),
    Slot(&korpus::DialogVirtual20961),
    Slot(&korpus::DialogVirtual20962),
    Slot(&korpus::DialogVirtual20963),
    Slot(&korpus::DialogVirtual20964),
    Slot(&korpus::DialogVirtual20965),
    Slot(&korpus::DialogVirtual20966),
    Slot(&korpus::DialogVirtual20957),
    Slot(&korpus::DialogVirtual20948),
    Slot(&korpus::DialogVirtual20949),
    Slot(&korpus::DialogVirtual20950),
    Slot(&korpus::DialogVirtual20951),
    Slot(&korpus::DialogVirtual20952),
    Slot(&korpus::DialogVirtual20953),
    Slot(&korpus::DialogVirtual20954),
    Slot(&korpus::DialogVirtual20955),
    Slot(&korpus::DialogVirtual20956),
    Slot(&korpus::DialogVirtual20947),
    Slot(&RowTextSlot),
    Slot(&korpus::DialogVirtual20939),
    Slot(&korpus::DialogVirtual20940),
    Slot(&korpus::DialogVirtual20941),
    Slot(&korpus::DialogVirtual20942),
    Slot(&korpus::DialogVirtual20943),
    Slot(&korpus::DialogVirtual20944),
    Slot(&korpus::DialogVirtual20945),
    Slot(&korpus::DialogVirtual20946),
    Slot(&korpus::DialogVirtual20937),
};

}  // namespace

std::span<void* const> ClassTable() { return kClassTable; }

}  // namespace verify
