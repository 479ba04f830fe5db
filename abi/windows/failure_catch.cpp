#include "abi/windows/failure_catch.h"

#include <windows.h>

#include <cstring>

#include "abi/plugin_failure.h"

extern "C" {
std::uint32_t korpus_catch_failure(void (*run)(void*), void* context, korpus_abi::windows::CaughtFailure* failure);
[[noreturn]] void korpus_catch_resume(void* record);
EXCEPTION_DISPOSITION __cdecl korpus_catch_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*);
}

namespace korpus_abi::windows {

// The registration record that korpus_catch_failure pushes: the chain's
// two words, then where the failure goes.
struct CatchRecord {
  void* next;
  void* handler;
  CaughtFailure* failure;
};

bool CatchFailure(void (*run)(void*), void* context, CaughtFailure* failure) {
  return korpus_catch_failure(run, context, failure) != 0;
}

void RaiseFailure(std::uint32_t ordinal, const char* text) {
  ULONG_PTR arguments[2] = {};
  arguments[kPluginFailureOrdinal] = ordinal;
  arguments[kPluginFailureText] = reinterpret_cast<ULONG_PTR>(text);
  ::RaiseException(kPluginFailureException, EXCEPTION_NONCONTINUABLE, 2, arguments);
  __builtin_trap();
}

CaughtFailure Describe(std::uint32_t ordinal, const char* text) {
  CaughtFailure failure;
  failure.ordinal = ordinal;
  if (text != nullptr) {
    std::strncpy(failure.text, text, sizeof failure.text - 1);
    failure.text[sizeof failure.text - 1] = '\0';
  }
  return failure;
}

}  // namespace korpus_abi::windows

// Takes the failure: the frames registered inside this catcher are unwound
// (their handlers see it), then execution goes on after the catcher's call,
// never back to the dispatcher, which would refuse to continue a
// non-continuable exception.
extern "C" EXCEPTION_DISPOSITION __cdecl korpus_catch_handler(EXCEPTION_RECORD* record, void* frame, CONTEXT*, void*) {
  if ((record->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) != 0) return ExceptionContinueSearch;
  if (record->ExceptionCode != korpus_abi::kPluginFailureException) return ExceptionContinueSearch;

  const auto* catcher = static_cast<const korpus_abi::windows::CatchRecord*>(frame);
  const auto parameter = [&](DWORD index) -> ULONG_PTR {
    return record->NumberParameters > index ? record->ExceptionInformation[index] : 0;
  };
  *catcher->failure =
      korpus_abi::windows::Describe(static_cast<std::uint32_t>(parameter(korpus_abi::kPluginFailureOrdinal)),
                                    reinterpret_cast<const char*>(parameter(korpus_abi::kPluginFailureText)));
  ::RtlUnwind(frame, nullptr, record, nullptr);
  korpus_catch_resume(frame);
}
