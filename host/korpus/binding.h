// Lazy binding of host entries: one slot per entry, bound on its first
// call, with the error box and the fallback stubs for a host that lacks an
// entry.
#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

namespace host::binding {

enum class Convention : std::uint8_t { Callee, Caller, Method };

// Where a result comes back: an integer or pointer in the integer
// registers, a real value on the x87 stack (i686) or in xmm0 (x86-64). A
// fallback stub must leave a 0 where its entry's caller looks for one.
enum class ResultKind : std::uint8_t { Integer, Real };

struct Entry {
  std::uint16_t ordinal;
  Convention convention;
  std::uint8_t argument_bytes;
  const char* name;
  void** slot;
  void* resolver;
  ResultKind result;
};

std::span<const Entry> Entries();
const Entry* FindBySlot(void* const* slot);
const Entry* FindByName(const char* name);

// Designators below 65536 are ordinals; others point to an entry name.
using Designator = std::uintptr_t;

// Fills the slot: the host's function, a fallback stub, or null.
void Bind(Designator designator, void** slot);

// Shows the box unless ignore-all is set; true when a fallback is to be used.
bool ErrorBox(Designator designator, const char* module_text);

// Writes the fallback stub (or null) for the entry into the slot.
void ChooseFallback(Designator designator, void** slot);

// Fallback stub index for a designator: -1 when none applies. Ordinals of
// entries whose declaration is known take the stub of their argument size.
int FallbackIndex(Designator designator, void* const* slot);
void* FallbackStub(int index, ResultKind result = ResultKind::Integer);
// Index of the fallback stub at this address (of either kind), or -1.
int FallbackIndexOf(const void* address);
// The kind of result that the fallback stub at this address leaves.
ResultKind FallbackKindOf(const void* address);

bool IgnoreAll();

// A call of an entry left without a target: abandoned, never continued.
class HostCallAbandoned : public std::runtime_error {
 public:
  explicit HostCallAbandoned(std::uint32_t ordinal);
  std::uint32_t ordinal() const noexcept { return ordinal_; }

 private:
  std::uint32_t ordinal_;
};

// Tests only: every slot back at its resolver and ignore-all cleared.
void ResetForTests();

}  // namespace host::binding
