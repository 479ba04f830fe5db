#include "host/platform/platform.h"

#include <dlfcn.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "abi/host_codes.h"

namespace platform {

namespace {

// Every native module of this project exports its entries through one
// function that answers an ordinal with an address.
using OrdinalLookup = void* (*)(std::uint32_t);

std::string NativeName(const char* name) {
  std::string base = name;
  for (auto& c : base) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
  return "lib" + base + ".so";
}

}  // namespace

ModuleHandle GetModuleHandleA(const char* name) {
  if (name == nullptr) return dlopen(nullptr, RTLD_LAZY);
  return dlopen(NativeName(name).c_str(), RTLD_LAZY | RTLD_NOLOAD);
}

void* GetProcAddressByOrdinal(ModuleHandle module, std::uint32_t ordinal) {
  if (module == nullptr) return nullptr;
  auto lookup = reinterpret_cast<OrdinalLookup>(dlsym(module, "ordinal_export"));
  return lookup == nullptr ? nullptr : lookup(ordinal);
}

void* GetProcAddressByName(ModuleHandle module, const char* name) {
  if (module == nullptr || name == nullptr) return nullptr;
  return dlsym(module, name);
}

std::uint32_t GetModuleFileNameA(ModuleHandle module, char* buffer, std::uint32_t size) {
  if (module == nullptr || buffer == nullptr || size == 0) return 0;
  auto lookup = dlsym(module, "ordinal_export");
  Dl_info info{};
  if (lookup == nullptr || dladdr(lookup, &info) == 0 || info.dli_fname == nullptr) return 0;
  const std::size_t length = std::strlen(info.dli_fname);
  if (length >= size) return 0;
  std::memcpy(buffer, info.dli_fname, length + 1);
  return static_cast<std::uint32_t>(length);
}

int wsprintfA(char* buffer, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, kWsprintfLimit, format, args);
  va_end(args);
  constexpr int kLongest = static_cast<int>(kWsprintfLimit) - 1;
  return written < 0 ? 0 : (written > kLongest ? kLongest : written);
}

char* lstrcpyA(char* destination, const char* source) { return std::strcpy(destination, source); }

int MessageBoxA(void* owner, const char* text, const char* caption, std::uint32_t style) {
  // The process answers the box when it provides MessageBoxA, as the
  // Windows user library would; otherwise the box goes to the terminal.
  using Box = int (*)(void*, const char*, const char*, std::uint32_t);
  if (auto answer = reinterpret_cast<Box>(dlsym(RTLD_DEFAULT, "MessageBoxA"))) {
    return answer(owner, text, caption, style);
  }
  std::fprintf(stderr, "[%s]\n%s\n(Abort)\n", caption, text);
  return korpus_abi::kSystemAbort;
}

ModuleHandle LoadLibraryA(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }

void FreeLibrary(ModuleHandle module) {
  if (module != nullptr) dlclose(module);
}

}  // namespace platform
