// What Windows gives the plug-in library: the raw process-attach
// notification, delivered before the language runtime is initialised, and
// the one export, ordinal 30001 (prufacja.def).
#include <windows.h>
// Declares the delay-load notification hook of the runtime.
#include <delayimp.h>

#include <cstdint>

#include "host/attach.h"
#include "host/entry.h"
#include "host/module_state.h"
#include "host/windows_boundary.h"

// The host entries that are not bound lazily, as imports of KORPUS.DLL by
// ordinal. Only 30005 is referred to, so only it is in the import table:
// Windows refuses to load the plug-in into a process whose host lacks it.
extern "C" {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params)
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) \
  __declspec(dllimport) result KORPUS_CONV_##conv korpus_import_##name params;
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT

// The runtime's own start-up, which the raw entry hands on to.
BOOL WINAPI DllMainCRTStartup(HANDLE module, DWORD reason, LPVOID reserved);
}

namespace {

using SeTranslator = void(__cdecl*)(unsigned int, EXCEPTION_POINTERS*);
using SetSeTranslator = SeTranslator(__cdecl*)(SeTranslator);

// The runtime of this library is msvcrt.dll, which keeps the translator
// per thread and exports its setter under the setter's C++ name only.
void InstallTranslatorForThisThread() {
  HMODULE runtime = ::GetModuleHandleA("msvcrt.dll");
  if (runtime == nullptr) return;
  auto set = reinterpret_cast<SetSeTranslator>(reinterpret_cast<std::uintptr_t>(
      ::GetProcAddress(runtime, "?_set_se_translator@@YAP6AXIPAU_EXCEPTION_POINTERS@@@ZP6AXI0@Z@Z")));
  if (set != nullptr) set(reinterpret_cast<SeTranslator>(&korpus_import_TranslateException));
}

}  // namespace


// The library's entry point (linked with --entry). Attach work uses
// operating-system calls only: the runtime is not up yet.
extern "C" BOOL WINAPI PrufacjaRawEntry(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    host::Attach(module);
    __pfnDliNotifyHook2 = reinterpret_cast<PfnDliHook>(host::Modules().delay_load_hook);
  }
  return DllMainCRTStartup(module, reason, reserved);
}

// Ordinal 30001, exported without a name.
extern "C" std::int32_t KORPUS_CALLEE PluginEntry(void* context, char* description) {
  if (context != nullptr) InstallTranslatorForThisThread();
  return host::windows::AtBoundary([&] { return host::PluginEntry(context, description); });
}
