// Windows: finding and replacing one import of a loaded module in its
// import address table. The stand-in routes a plug-in's system calls with
// it; tests answer the plug-in's boxes with it. Header only, so that a test
// program with a host library of its own can use it too.
#pragma once

#include <windows.h>

#include <cstdint>

namespace standin::windows {

// The module's import slot of dll!function (imported by name), or null.
inline ULONG_PTR* ImportSlot(HMODULE module, const char* dll, const char* function) {
  auto* base = reinterpret_cast<std::uint8_t*>(module);
  if (base == nullptr) return nullptr;
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

// Points the import at replacement; false when the module has no such
// import. Answers what the slot held before through previous.
inline bool ReplaceImport(HMODULE module, const char* dll, const char* function, const void* replacement,
                          void** previous = nullptr) {
  ULONG_PTR* slot = ImportSlot(module, dll, function);
  if (slot == nullptr) return false;
  DWORD protection = 0;
  if (!::VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection)) return false;
  if (previous != nullptr) *previous = reinterpret_cast<void*>(*slot);
  *slot = reinterpret_cast<ULONG_PTR>(replacement);
  ::VirtualProtect(slot, sizeof *slot, protection, &protection);
  return true;
}

}  // namespace standin::windows
