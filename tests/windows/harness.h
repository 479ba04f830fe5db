// Calls into the binding the way the host's compiler makes them, watching
// the stack and the registers (harness_i686.S), and a way back from a
// structured exception raised in the plug-in.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

struct HarnessResult {
  std::int32_t esp_change;  // 0: the callee removed exactly the arguments
  std::uint32_t preserved;  // 1: EBX, ESI, EDI and EBP survived the call
};

extern "C" {
std::uint32_t harness_call(const void* target, std::uint32_t count, void* object, HarnessResult* result);
void harness_call_with_registers(const void* target, const std::uint32_t* values);
std::uint32_t structured_call(void (*function)(void*), void* argument);
void structured_resume();
}

namespace wintest {

struct Structured {
  bool raised = false;
  DWORD code = 0;
  ULONG_PTR parameter = 0;  // the first: the abandoned entry's ordinal
  std::string text;         // the second: the failure's text
};

// Runs the call; a structured exception it raises ends it and is answered.
Structured CatchStructured(const std::function<void()>& call);

}  // namespace wintest
