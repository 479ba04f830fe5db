#include "host/windows_boundary.h"

#include <windows.h>

#include <stdexcept>

namespace host::windows {

void RaiseToHost(std::uint32_t ordinal, const char* text) { korpus_abi::windows::RaiseFailure(ordinal, text); }

bool IsThisModule(const void* address) {
  const auto module_of = [](const void* at) {
    HMODULE module = nullptr;
    if (::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             static_cast<LPCSTR>(at), &module) == 0) {
      return HMODULE{nullptr};
    }
    return module;
  };
  const HMODULE mine = module_of(reinterpret_cast<const void*>(&IsThisModule));
  return mine != nullptr && module_of(address) == mine;
}

void ThrowInPlugin(const korpus_abi::windows::CaughtFailure& failure) {
  if (failure.ordinal != 0) throw binding::HostCallAbandoned(failure.ordinal);
  throw std::runtime_error(failure.text[0] != '\0' ? failure.text : "host failure");
}

}  // namespace host::windows
