#include "korpus/windows/plugin_calls.h"

#include <windows.h>

#include "abi/plugin_failure.h"

extern "C" {
std::uint32_t standin_plugin_call(void (*run)(void*), void* context, std::uint32_t* saved_esp);
void standin_plugin_resume();
}

namespace standin::windows {

namespace {

// One per call in progress on the thread, innermost first.
struct ResumePoint {
  std::uint32_t saved_esp = 0;
  ResumePoint* outer = nullptr;
  PluginFailure failure;
};

thread_local ResumePoint* innermost = nullptr;

LONG CALLBACK TakeBackFailure(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (record.ExceptionCode != korpus_abi::kPluginFailureException || innermost == nullptr) {
    return EXCEPTION_CONTINUE_SEARCH;
  }
  PluginFailure& failure = innermost->failure;
  if (record.NumberParameters > korpus_abi::kPluginFailureOrdinal) {
    failure.ordinal = static_cast<std::uint32_t>(record.ExceptionInformation[korpus_abi::kPluginFailureOrdinal]);
  }
  const auto* text = record.NumberParameters > korpus_abi::kPluginFailureText
                         ? reinterpret_cast<const char*>(record.ExceptionInformation[korpus_abi::kPluginFailureText])
                         : nullptr;
  failure.text = text != nullptr ? text : "plug-in failure";
  info->ContextRecord->Eax = reinterpret_cast<DWORD>(&innermost->saved_esp);
  info->ContextRecord->Eip = reinterpret_cast<DWORD>(&standin_plugin_resume);
  return EXCEPTION_CONTINUE_EXECUTION;
}

void Run(void* call) { (*static_cast<const std::function<void()>*>(call))(); }

}  // namespace

std::optional<PluginFailure> CallPlugin(const std::function<void()>& call) {
  static void* const handler = ::AddVectoredExceptionHandler(1, &TakeBackFailure);
  if (handler == nullptr) {
    call();
    return std::nullopt;
  }
  ResumePoint point;
  point.outer = innermost;
  innermost = &point;
  const std::uint32_t resumed = standin_plugin_call(&Run, const_cast<std::function<void()>*>(&call), &point.saved_esp);
  innermost = point.outer;
  if (resumed == 0) return std::nullopt;
  return point.failure;
}

}  // namespace standin::windows
