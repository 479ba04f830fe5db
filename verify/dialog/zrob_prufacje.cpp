// Construction, destruction and the class table of the check object.
#include "verify/dialog/zrob_prufacje.h"

#include <cstring>
#include <exception>

#include "host/boundary.h"
#include "host/korpus/entries.h"
#include "verify/dialog/class_table.h"

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

// Field offsets after the base, in the host's order.
struct CZrobPrufacjeLayout {
  static constexpr std::size_t kBase = sizeof(korpus_abi::WDialogBase);
  static_assert(offsetof(CZrobPrufacje, base_) == 0);
  static_assert(offsetof(CZrobPrufacje, values_) == kBase);
  static_assert(offsetof(CZrobPrufacje, counters_) == kBase + 27);
  static_assert(offsetof(CZrobPrufacje, list_refresh_) == kBase + 51);
  static_assert(offsetof(CZrobPrufacje, count_) == kBase + 55);
  static_assert(offsetof(CZrobPrufacje, row_text_) == kBase + 59);
  static_assert(offsetof(CZrobPrufacje, positions_) == kBase + 315);
  static_assert(offsetof(CZrobPrufacje, invoice_number_) == kBase + 315 + sizeof(void*));
};

std::span<void* const> ClassTable() { return kClassTable; }

CZrobPrufacje::CZrobPrufacje() {
  korpus::DialogConstruct(this);
  base_.class_table = kClassTable;
  std::memset(&values_, 0, sizeof values_);
  counters_ = {};
  list_refresh_ = 0;
  count_ = 0;
  row_text_[0] = '\0';
  positions_ = nullptr;
  invoice_number_[0] = '\0';
  capacity_ = 0;
}

// A destructor must not throw: what a failing host call leaves undone here
// is undone for good. An object already destroyed has no class table.
CZrobPrufacje::~CZrobPrufacje() {
  if (base_.class_table == nullptr) return;
  try {
    Destroy(0);
  } catch (...) {
  }
}

void CZrobPrufacje::Destroy(std::uint32_t flags) {
  std::exception_ptr failure;
  const auto step = [&failure](auto&& call) {
    try {
      call();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  step([this] { ReleasePositions(); });
  step([this] { korpus::DialogDestruct(this); });
  base_.class_table = nullptr;
  if ((flags & 1) != 0) step([this] { korpus::DeleteObject(this); });
  if (failure) std::rethrow_exception(failure);
}

// The block is let go before the host is asked: a free entry that cannot
// be called leaves no pointer to free twice.
void CZrobPrufacje::ReleasePositions() {
  if (positions_ == nullptr) return;
  Position* const block = positions_;
  positions_ = nullptr;
  capacity_ = 0;
  count_ = 0;
  korpus::Free(block);
}

}  // namespace verify
