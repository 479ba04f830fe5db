#include <windows.h>

#include <cstdarg>

#include "host/platform/platform.h"

// Straight to the system. Nothing here may need the language runtime: the
// attach runs before it is initialised.
namespace platform {

ModuleHandle GetModuleHandleA(const char* name) { return ::GetModuleHandleA(name); }

void* GetProcAddressByOrdinal(ModuleHandle module, std::uint32_t ordinal) {
  if (module == nullptr || ordinal > kMostOrdinal) return nullptr;
  return reinterpret_cast<void*>(
      ::GetProcAddress(static_cast<HMODULE>(module), MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
}

void* GetProcAddressByName(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(module), name));
}

std::uint32_t GetModuleFileNameA(ModuleHandle module, char* buffer, std::uint32_t size) {
  if (module == nullptr || buffer == nullptr || size == 0) return 0;
  const DWORD length = ::GetModuleFileNameA(static_cast<HMODULE>(module), buffer, size);
  // A name cut to the buffer is no name.
  if (length >= size) return 0;
  return length;
}

int wsprintfA(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = ::wvsprintfA(buffer, format, args);
  va_end(args);
  return written;
}

char* lstrcpyA(char* destination, const char* source) { return ::lstrcpyA(destination, source); }

int MessageBoxA(void* owner, const char* text, const char* caption, std::uint32_t style) {
  return ::MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

ModuleHandle LoadLibraryA(const char* path) { return ::LoadLibraryA(path); }

void FreeLibrary(ModuleHandle module) {
  if (module != nullptr) ::FreeLibrary(static_cast<HMODULE>(module));
}

}  // namespace platform
