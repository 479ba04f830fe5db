// WDialogBase: construction, destruction, the base virtual operations, the
// two entries through which the engine reaches an object's event handler
// and row text, and the delegate objects that bind them.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <optional>

#include "abi/dialog_codes.h"
#include "abi/records.h"
#include "standin/dialog/base_operations.h"
#include "standin/dialog/delegates.h"
#include "standin/entries.h"
#include "standin/plugin_callbacks.h"

namespace standin {

namespace {

using korpus_abi::ClassTable;

constexpr std::size_t kEventSlot = 1;
constexpr std::size_t kRowTextSlot = 22;

using EventSlot = std::int32_t(KORPUS_METHOD*)(void* self, std::int16_t code, std::int16_t kind);
using RowTextSlot = std::intptr_t(KORPUS_METHOD*)(void* self, std::int16_t row, std::int32_t unused);
using EventMember = std::int32_t(KORPUS_METHOD*)(void* self, std::int32_t code, std::int32_t kind);
using RowMember = std::intptr_t(KORPUS_METHOD*)(void* self, std::int32_t row, std::int32_t unused);
using BaseMethod = std::int32_t(KORPUS_METHOD*)(void* self);

// Objects and delegates live in the caller's storage, which need not be
// aligned for pointers: every field goes through memcpy.
ClassTable TableOf(const void* object) {
  ClassTable table = nullptr;
  std::memcpy(&table, object, sizeof table);
  return table;
}

void SetTable(void* object, ClassTable table) { std::memcpy(object, &table, sizeof table); }

template <typename F>
F SlotOf(const void* object, std::size_t slot) {
  const ClassTable table = TableOf(object);
  return table == nullptr ? nullptr : reinterpret_cast<F>(table[slot]);
}

// The delegate's fields after its class table.
constexpr std::uint32_t kDelegateMark = 0x44454C47;  // "DELG"
constexpr std::size_t kObjectAt = sizeof(void*);
constexpr std::size_t kMemberAt = 2 * sizeof(void*);
constexpr std::size_t kMarkAt = 3 * sizeof(void*);
static_assert(kMarkAt + sizeof(std::uint32_t) <= korpus_abi::kDelegateSize);

struct Bound {
  void* object;
  void* member;
};

std::optional<Bound> BoundOf(const void* delegate) {
  if (delegate == nullptr) return std::nullopt;
  const auto* bytes = static_cast<const std::uint8_t*>(delegate);
  std::uint32_t mark = 0;
  std::memcpy(&mark, bytes + kMarkAt, sizeof mark);
  if (mark != kDelegateMark) return std::nullopt;
  Bound bound{};
  std::memcpy(&bound.object, bytes + kObjectAt, sizeof bound.object);
  std::memcpy(&bound.member, bytes + kMemberAt, sizeof bound.member);
  if (bound.member == nullptr) return std::nullopt;
  return bound;
}

void* KORPUS_METHOD DelegateDestroySlot(void* self, std::uint32_t) {
  entry::DelegateRelease(self);
  return self;
}

void* KORPUS_METHOD DelegateCallableSlot(void* self) { return BoundOf(self) ? self : nullptr; }

void* const kDelegateTable[] = {
    reinterpret_cast<void*>(&DelegateDestroySlot),
    reinterpret_cast<void*>(&DelegateCallableSlot),
};

// The base's own slots 0, 1 and 22; the others are the exported entries.
void* KORPUS_METHOD BaseDestroySlot(void* self, std::uint32_t flags) {
  entry::DialogDestruct(self);
  if ((flags & 1) != 0) entry::DeleteObject(self);
  return self;
}

std::int32_t KORPUS_METHOD BaseEventSlot(void*, std::int16_t, std::int16_t) { return 0; }
std::intptr_t KORPUS_METHOD BaseRowTextSlot(void*, std::int16_t, std::int32_t) { return 0; }

template <typename F>
void* Slot(F function) {
  return reinterpret_cast<void*>(function);
}

void* const kBaseTable[korpus_abi::kClassTableSlots] = {
    Slot(&BaseDestroySlot),
    Slot(&BaseEventSlot),
    Slot(&entry::DialogVirtual20958),
    Slot(&entry::DialogVirtual20959),
    Slot(&entry::DialogVirtual20960),
    Slot(&entry::DialogVirtual20961),
    Slot(&entry::DialogVirtual20962),
    Slot(&entry::DialogVirtual20963),
    Slot(&entry::DialogVirtual20964),
    Slot(&entry::DialogVirtual20965),
    Slot(&entry::DialogVirtual20966),
    Slot(&entry::DialogVirtual20957),
    Slot(&entry::DialogVirtual20948),
    Slot(&entry::DialogVirtual20949),
    Slot(&entry::DialogVirtual20950),
    Slot(&entry::DialogVirtual20951),
    Slot(&entry::DialogVirtual20952),
    Slot(&entry::DialogVirtual20953),
    Slot(&entry::DialogVirtual20954),
    Slot(&entry::DialogVirtual20955),
    Slot(&entry::DialogVirtual20956),
    Slot(&entry::DialogVirtual20947),
    Slot(&BaseRowTextSlot),
    Slot(&entry::DialogVirtual20939),
    Slot(&entry::DialogVirtual20940),
    Slot(&entry::DialogVirtual20941),
    Slot(&entry::DialogVirtual20942),
    Slot(&entry::DialogVirtual20943),
    Slot(&entry::DialogVirtual20944),
    Slot(&entry::DialogVirtual20945),
    Slot(&entry::DialogVirtual20946),
    Slot(&entry::DialogVirtual20937),
};

}  // namespace

namespace dialog {

std::span<void* const> DelegateClassTable() { return kDelegateTable; }
std::span<void* const> BaseClassTable() { return kBaseTable; }

std::int32_t DelegateClient::Event(std::int16_t code, std::int16_t kind) {
  const auto bound = BoundOf(event_callable_);
  if (!bound) return 0;
  return CallBack([&] { return reinterpret_cast<EventMember>(bound->member)(bound->object, code, kind); });
}

std::intptr_t DelegateClient::Row(std::int32_t row) {
  const auto bound = BoundOf(row_callable_);
  if (!bound) return 0;
  return CallBack([&] { return reinterpret_cast<RowMember>(bound->member)(bound->object, row, 0); });
}

void DelegateClient::Base(BaseOperation operation) {
  const auto bound = BoundOf(event_callable_);
  if (!bound || bound->object == nullptr) return;
  const auto method = SlotOf<BaseMethod>(bound->object, static_cast<std::size_t>(operation));
  if (method == nullptr) return;
  CallBack([&] { return method(bound->object); });
}

}  // namespace dialog

namespace {

// Calls of the base's operations by ordinal (20937-20966), for tests.
std::atomic<long> base_calls[30];

void CountBaseCall(int ordinal) { ++base_calls[ordinal - 20937]; }

}  // namespace

namespace testing {

long BaseOperationCalls(std::uint16_t ordinal) {
  return ordinal >= 20937 && ordinal < 20937 + 30 ? base_calls[ordinal - 20937].load() : 0;
}

}  // namespace testing

namespace entry {

void* KORPUS_METHOD DialogConstruct(void* self) {
  if (self == nullptr) return nullptr;
  SetTable(self, kBaseTable);
  std::memset(static_cast<std::uint8_t*>(self) + sizeof(ClassTable), 0, sizeof(korpus_abi::WDialogBase::host_state));
  return self;
}

void KORPUS_METHOD DialogDestruct(void* self) {
  if (self == nullptr) return;
  SetTable(self, kBaseTable);
}

#define BASE_VIRTUAL(n)                            \
  std::int32_t KORPUS_METHOD DialogVirtual##n(void*) { \
    CountBaseCall(n);                                  \
    return 0;                                          \
  }
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

std::int32_t KORPUS_METHOD DialogDeliverEvent(void* self, std::int32_t code, std::int32_t kind) {
  if (self == nullptr) return 0;
  const auto slot = SlotOf<EventSlot>(self, kEventSlot);
  if (slot == nullptr) return 0;
  return slot(self, static_cast<std::int16_t>(code), static_cast<std::int16_t>(kind));
}

// The object's row index is 16-bit: a row it cannot name reads as nothing.
std::intptr_t KORPUS_METHOD DialogRowText(void* self, std::int32_t row, std::int32_t unused) {
  if (self == nullptr || row < korpus_abi::kCountRow || row > INT16_MAX) return 0;
  const auto slot = SlotOf<RowTextSlot>(self, kRowTextSlot);
  if (slot == nullptr) return 0;
  return slot(self, static_cast<std::int16_t>(row), unused);
}

void* KORPUS_METHOD DelegateMake(void* self, void* object, void* member) {
  if (self == nullptr) return nullptr;
  auto* bytes = static_cast<std::uint8_t*>(self);
  std::memset(bytes, 0, korpus_abi::kDelegateSize);
  SetTable(self, kDelegateTable);
  std::memcpy(bytes + kObjectAt, &object, sizeof object);
  std::memcpy(bytes + kMemberAt, &member, sizeof member);
  std::memcpy(bytes + kMarkAt, &kDelegateMark, sizeof kDelegateMark);
  return self;
}

// A released delegate keeps its class table, so that asking it for its
// callable stays safe; the callable is null from then on.
void KORPUS_METHOD DelegateRelease(void* self) {
  if (self == nullptr) return;
  auto* bytes = static_cast<std::uint8_t*>(self);
  std::memset(bytes + kObjectAt, 0, korpus_abi::kDelegateSize - kObjectAt);
}

}  // namespace entry

}  // namespace standin
