#include "korpus/windows/plugin_routes.h"

#include <windows.h>

#include <cstdint>

#include "korpus/frontend.h"
#include "korpus/testing.h"

namespace standin::windows {

namespace {

HMODULE StandInModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&StandInModule), &module);
  return module;
}

FARPROC WINAPI RoutedGetProcAddress(HMODULE module, LPCSTR name) {
  if (module != nullptr && module == StandInModule() && IS_INTRESOURCE(name)) {
    const auto ordinal = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(name));
    CountLookup(ordinal);
    return reinterpret_cast<FARPROC>(AddressOf(ordinal));
  }
  return ::GetProcAddress(module, name);
}

int WINAPI RoutedMessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  return CurrentFrontEnd().ShowSystemBox(caption != nullptr ? caption : "", text != nullptr ? text : "");
}

// The module's import slot of dll!function, or null.
ULONG_PTR* ImportSlot(HMODULE module, const char* dll, const char* function) {
  auto* base = reinterpret_cast<std::uint8_t*>(module);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress == 0) return nullptr;

  for (auto* descriptor = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       descriptor->Name != 0; ++descriptor) {
    if (::lstrcmpiA(reinterpret_cast<const char*>(base + descriptor->Name), dll) != 0) continue;
    const DWORD names_rva = descriptor->OriginalFirstThunk != 0 ? descriptor->OriginalFirstThunk : descriptor->FirstThunk;
    const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + names_rva);
    auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + descriptor->FirstThunk);
    for (; names->u1.AddressOfData != 0; ++names, ++slots) {
      if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
      const auto* by_name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
      if (::lstrcmpA(reinterpret_cast<const char*>(by_name->Name), function) == 0) {
        return reinterpret_cast<ULONG_PTR*>(&slots->u1.Function);
      }
    }
  }
  return nullptr;
}

bool Route(HMODULE module, const char* dll, const char* function, void* replacement) {
  ULONG_PTR* slot = ImportSlot(module, dll, function);
  if (slot == nullptr) return false;
  DWORD protection = 0;
  if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  *slot = reinterpret_cast<ULONG_PTR>(replacement);
  ::VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}

}  // namespace

int RoutePluginImports(void* module) {
  if (module == nullptr) return 0;
  auto* handle = static_cast<HMODULE>(module);
  int routed = 0;
  if (Route(handle, "USER32.dll", "MessageBoxA", reinterpret_cast<void*>(&RoutedMessageBoxA))) ++routed;
  if (Route(handle, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<void*>(&RoutedGetProcAddress))) ++routed;
  return routed;
}

}  // namespace standin::windows
