#include "korpus/windows/plugin_routes.h"

#include <windows.h>

#include <cstdint>

#include "korpus/frontend.h"
#include "korpus/testing.h"
#include "korpus/windows/import_patch.h"

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

}  // namespace

int RoutePluginImports(void* module) {
  if (module == nullptr) return 0;
  auto* handle = static_cast<HMODULE>(module);
  int routed = 0;
  if (ReplaceImport(handle, "USER32.dll", "MessageBoxA", reinterpret_cast<const void*>(&RoutedMessageBoxA))) ++routed;
  if (ReplaceImport(handle, "KERNEL32.dll", "GetProcAddress", reinterpret_cast<const void*>(&RoutedGetProcAddress))) {
    ++routed;
  }
  return routed;
}

}  // namespace standin::windows
