#include "host/korpus/binding.h"

#include <atomic>
#include <cctype>
#include <cstring>
#include <string>
#include <type_traits>

#include "abi/argument_bytes.h"
#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "host/description.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "host/platform/platform.h"
#ifdef _WIN32
#include "host/windows_boundary.h"
#endif

extern "C" {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) \
  extern void* korpus_slot_##name;                               \
  void korpus_resolve_##name();
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY

#define KORPUS_FALLBACKS(X) X(0) X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8) X(9) X(10) X(11) X(12) X(13) X(14)
#define KORPUS_DECLARE_FALLBACK(k) \
  void korpus_fallback_##k();      \
  void korpus_fallback_real_##k();
KORPUS_FALLBACKS(KORPUS_DECLARE_FALLBACK)
#undef KORPUS_DECLARE_FALLBACK
}

namespace host::binding {

namespace {

constexpr Convention CALLEE = Convention::Callee;
constexpr Convention CALLER = Convention::Caller;
constexpr Convention METHOD = Convention::Method;

constexpr ResultKind KindOf(bool real) { return real ? ResultKind::Real : ResultKind::Integer; }

const Entry kEntries[] = {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params)                                              \
  {ordinal, conv,   bytes, #name, &korpus_slot_##name, reinterpret_cast<void*>(&korpus_resolve_##name), \
   KindOf(std::is_floating_point_v<result>)},
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
};

#define KORPUS_FALLBACK_ADDRESS(k) reinterpret_cast<void*>(&korpus_fallback_##k),
#define KORPUS_REAL_FALLBACK_ADDRESS(k) reinterpret_cast<void*>(&korpus_fallback_real_##k),
void* const kFallbacks[] = {KORPUS_FALLBACKS(KORPUS_FALLBACK_ADDRESS)};
void* const kRealFallbacks[] = {KORPUS_FALLBACKS(KORPUS_REAL_FALLBACK_ADDRESS)};
#undef KORPUS_FALLBACK_ADDRESS
#undef KORPUS_REAL_FALLBACK_ADDRESS
constexpr int kFallbackCount = 15;
static_assert(std::size(kFallbacks) == kFallbackCount && std::size(kRealFallbacks) == kFallbackCount);

// Fallback stub k removes k 32-bit arguments of this many bytes each; the
// last, 14, removes the most, 56.
constexpr int kArgumentBytes = 4;
constexpr int kMostStubBytes = kArgumentBytes * (kFallbackCount - 1);
// A host entry's ordinal tells its argument bytes in its last two decimal
// digits; 99 there marks an entry whose caller removes them.
constexpr int kOrdinalTail = 100;
constexpr int kCallerCleansTail = 99;
// A name's argument bytes are read no further than this: no stub fits.
constexpr unsigned long kBeyondEveryStub = 1000;
// The module text that the box names, as Windows gives it.
constexpr std::uint32_t kModuleTextSize = 300;

std::atomic<bool> ignore_all{false};

const char* const kCaption = "POWAŻNY BŁĄD WTYCZKI"_mz;
const char* const kFormat =
    "W module \x02%s\x01\nbrak wpisu \x02%s\x01\nWywołano z wtyczki \x02%s\x01.\n\n"
    "Błąd ten można zignorować lecz dalsza praca\n"
    "programu w tych warunkach może być niebezpieczna.\n\n"
    "Konieczna jest aktualizacja programu!"_mz;
const char* const kUnknownModule = "<nieznany>"_mz;

bool IsOrdinal(Designator designator) { return designator <= platform::kMostOrdinal; }

void StoreSlot(void** slot, void* value) {
  std::atomic_ref<void*>(*slot).store(value, std::memory_order_release);
}

void* LoadSlot(void* const* slot) {
  return std::atomic_ref<void*>(*const_cast<void**>(slot)).load(std::memory_order_acquire);
}

// The conversion used for the box's own texts. It must not bind through
// the box: when its slot is still unbound the host is asked directly, and
// when it is missing the box is shown unconverted.
korpus::types::ConvertCodePage ConversionForBox() {
  const Entry* entry = FindBySlot(&korpus_slot_ConvertCodePage);
  void* target = LoadSlot(entry->slot);
  if (target == entry->resolver) {
    target = platform::GetProcAddressByOrdinal(Modules().host_module, korpus::ordinals::ConvertCodePage);
  }
  if (target == nullptr || FallbackIndexOf(target) >= 0) return nullptr;
  return reinterpret_cast<korpus::types::ConvertCodePage>(target);
}

}  // namespace

HostCallAbandoned::HostCallAbandoned(std::uint32_t ordinal)
    : std::runtime_error("host entry " + std::to_string(ordinal) + " is missing; the call was abandoned"),
      ordinal_(ordinal) {}

std::span<const Entry> Entries() { return kEntries; }

const Entry* FindBySlot(void* const* slot) {
  for (const Entry& entry : kEntries) {
    if (entry.slot == slot) return &entry;
  }
  return nullptr;
}

const Entry* FindByName(const char* name) {
  for (const Entry& entry : kEntries) {
    if (std::strcmp(entry.name, name) == 0) return &entry;
  }
  return nullptr;
}

bool IgnoreAll() { return ignore_all.load(); }

void* FallbackStub(int index, ResultKind result) {
  if (index < 0 || index >= kFallbackCount) return nullptr;
  return result == ResultKind::Real ? kRealFallbacks[index] : kFallbacks[index];
}

int FallbackIndexOf(const void* address) {
  for (int k = 0; k < kFallbackCount; ++k) {
    if (kFallbacks[k] == address || kRealFallbacks[k] == address) return k;
  }
  return -1;
}

ResultKind FallbackKindOf(const void* address) {
  for (void* const stub : kRealFallbacks) {
    if (stub == address) return ResultKind::Real;
  }
  return ResultKind::Integer;
}

int FallbackIndex(Designator designator, void* const* slot) {
  if (IsOrdinal(designator)) {
    if (const Entry* entry = FindBySlot(slot); entry != nullptr && entry->ordinal == designator) {
      if (entry->convention == Convention::Caller) return 0;
      const int k = entry->argument_bytes / kArgumentBytes;
      return k < kFallbackCount ? k : -1;
    }
    const int r = static_cast<int>(designator % kOrdinalTail);
    // Stub 0 removes nothing: what a caller-cleans entry's caller expects.
    if (r == kCallerCleansTail) return 0;
    // Whole arguments that some stub removes: that stub.
    if (r % kArgumentBytes == 0 && r <= kMostStubBytes) return r / kArgumentBytes;
    return -1;
  }
  const char* name = reinterpret_cast<const char*>(designator);
  const char* at = std::strrchr(name, '@');
  if (at == nullptr || !std::isdigit(static_cast<unsigned char>(at[1]))) return 0;
  unsigned long bytes = 0;
  for (const char* p = at + 1; std::isdigit(static_cast<unsigned char>(*p)) && bytes < kBeyondEveryStub; ++p) {
    bytes = bytes * 10 + static_cast<unsigned long>(*p - '0');
  }
  const unsigned long k = bytes / kArgumentBytes;
  return k < kFallbackCount ? static_cast<int>(k) : -1;
}

// An entry whose declaration is known gets the stub of its result's kind;
// an entry known by its designator alone returns an integer.
void ChooseFallback(Designator designator, void** slot) {
  const Entry* entry = FindBySlot(slot);
  const ResultKind result =
      entry != nullptr && IsOrdinal(designator) && entry->ordinal == designator ? entry->result : ResultKind::Integer;
  StoreSlot(slot, FallbackStub(FallbackIndex(designator, slot), result));
}

bool ErrorBox(Designator designator, const char* module_text) {
  if (ignore_all.load()) return true;

  char module[kModuleTextSize];
  if (module_text != nullptr) {
    platform::lstrcpyA(module, module_text);
  } else if (platform::GetModuleFileNameA(Modules().own_module, module, sizeof module) == 0) {
    platform::lstrcpyA(module, kUnknownModule);
  }

  char entry[platform::kWsprintfLimit];
  if (IsOrdinal(designator)) {
    platform::wsprintfA(entry, "%u", static_cast<unsigned>(designator));
  } else {
    platform::wsprintfA(entry, "%s", reinterpret_cast<const char*>(designator));
  }

  char text[platform::kWsprintfLimit];
  platform::wsprintfA(text, kFormat, module, entry, kDescription);
  // The marks around the named module and entry show as blanks.
  for (char* c = text; *c != '\0'; ++c) {
    if (*c == '\x01' || *c == '\x02') *c = ' ';
  }

  char caption[64];
  platform::lstrcpyA(caption, kCaption);
  if (auto convert = ConversionForBox()) {
    convert(text, text, codepage::kPageMazovia, codepage::kPageWindows1250);
    convert(caption, caption, codepage::kPageMazovia, codepage::kPageWindows1250);
  }

  int answer = 0;
  do {
    answer = platform::MessageBoxA(nullptr, text, caption, korpus_abi::kSystemAbortRetryIgnoreStyle);
  } while (answer == korpus_abi::kSystemRetry);

  if (answer == korpus_abi::kSystemIgnore) {
    ignore_all.store(true);
    return true;
  }
  return false;
}

void Bind(Designator designator, void** slot) {
  void* address = IsOrdinal(designator)
                      ? platform::GetProcAddressByOrdinal(Modules().host_module, static_cast<std::uint32_t>(designator))
                      : platform::GetProcAddressByName(Modules().host_module, reinterpret_cast<const char*>(designator));
  StoreSlot(slot, address);
  if (address != nullptr) return;
  if (ErrorBox(designator, nullptr)) {
    ChooseFallback(designator, slot);
  } else {
    StoreSlot(slot, nullptr);
  }
}

void ResetForTests() {
  for (const Entry& entry : kEntries) StoreSlot(entry.slot, entry.resolver);
  ignore_all.store(false);
}

}  // namespace host::binding

// Reached from the resolvers, which have no unwind information: nothing may
// leave it by exception.
extern "C" __attribute__((visibility("hidden"))) void korpus_bind(std::uintptr_t designator, void** slot) noexcept {
  try {
    host::binding::Bind(designator, slot);
  } catch (...) {
    std::atomic_ref<void*>(*slot).store(nullptr);
  }
}

// Reached from a call stub whose slot is null, in place of the host
// function, with the address that the entry would have returned to: the
// caller sees the failure as if the entry had raised it. On Windows a
// caller outside this module is the host, which calls the stubs of the
// class table and of the delegates from its own frames: it gets the
// failure in the form that crosses modules, the structured exception.
extern "C" __attribute__((visibility("hidden"), noreturn)) void korpus_abandon(std::uint32_t ordinal,
                                                                              const void* return_address) {
  const host::binding::HostCallAbandoned abandoned(ordinal);
#ifdef _WIN32
  if (!host::windows::IsThisModule(return_address)) host::windows::RaiseToHost(ordinal, abandoned.what());
#else
  (void)return_address;
#endif
  throw abandoned;
}
