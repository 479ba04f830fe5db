#include "standin/windows/plugin_routes.h"

#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "standin/faults.h"
#include "standin/files/host_streams.h"
#include "standin/frontend.h"
#include "standin/testing.h"
#include "standin/windows/import_patch.h"

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

// The plug-in's writes to host streams, where the native build's stream
// counts them: one call, one write.
bool WriteFails(std::FILE* stream) { return files::IsHostStream(stream) && ShouldFail(Fault::StreamWrite); }

std::size_t __cdecl RoutedFwrite(const void* bytes, std::size_t size, std::size_t count, std::FILE* stream) {
  if (WriteFails(stream)) {
    errno = EIO;
    return 0;
  }
  return std::fwrite(bytes, size, count, stream);
}

int __cdecl RoutedFputs(const char* text, std::FILE* stream) {
  if (WriteFails(stream)) {
    errno = EIO;
    return EOF;
  }
  return std::fputs(text, stream);
}

int __cdecl RoutedFclose(std::FILE* stream) {
  files::ForgetHostStream(stream);
  return std::fclose(stream);
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
  ReplaceImport(handle, "msvcrt.dll", "fwrite", reinterpret_cast<const void*>(&RoutedFwrite));
  ReplaceImport(handle, "msvcrt.dll", "fputs", reinterpret_cast<const void*>(&RoutedFputs));
  ReplaceImport(handle, "msvcrt.dll", "fclose", reinterpret_cast<const void*>(&RoutedFclose));
  return routed;
}

}  // namespace standin::windows
