// The few operating-system services that the plug-in's host frame uses,
// named as Windows names them. Windows builds call the system; the POSIX
// build maps them onto the dynamic loader and the process's own answers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

using ModuleHandle = void*;

// Ordinals are 16-bit; a larger designator is a name's address.
inline constexpr std::uint32_t kMostOrdinal = 0xFFFF;

// What wsprintfA writes at most, the NUL included.
inline constexpr std::size_t kWsprintfLimit = 1024;

// The module of that name if the process has already loaded it, else null.
ModuleHandle GetModuleHandleA(const char* name);

// Entry `ordinal` of a module, or null.
void* GetProcAddressByOrdinal(ModuleHandle module, std::uint32_t ordinal);

// Entry named `name` of a module, or null.
void* GetProcAddressByName(ModuleHandle module, const char* name);

// Full file name of a module into buffer; its length, 0 when it cannot be had.
std::uint32_t GetModuleFileNameA(ModuleHandle module, char* buffer, std::uint32_t size);

// Formats like wsprintfA: at most kWsprintfLimit bytes.
int wsprintfA(char* buffer, const char* format, ...);

char* lstrcpyA(char* destination, const char* source);

int MessageBoxA(void* owner, const char* text, const char* caption, std::uint32_t style);

// Loads a library (the host program loading a plug-in); null on failure.
ModuleHandle LoadLibraryA(const char* path);
void FreeLibrary(ModuleHandle module);

}  // namespace platform
