#include "tests/windows/harness.h"

#include "host/windows_boundary.h"

namespace wintest {

namespace {

Structured caught;

// Takes the plug-in's failure exception back to structured_call.
LONG CALLBACK Resume(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  if (record.ExceptionCode != host::windows::kFailureException) return EXCEPTION_CONTINUE_SEARCH;
  caught.raised = true;
  caught.code = record.ExceptionCode;
  caught.parameter = record.NumberParameters > 0 ? record.ExceptionInformation[0] : 0;
  if (record.NumberParameters > 1 && record.ExceptionInformation[1] != 0) {
    caught.text = reinterpret_cast<const char*>(record.ExceptionInformation[1]);
  }
  info->ContextRecord->Eip = reinterpret_cast<DWORD>(&structured_resume);
  return EXCEPTION_CONTINUE_EXECUTION;
}

void RunCall(void* call) { (*static_cast<const std::function<void()>*>(call))(); }

}  // namespace

Structured CatchStructured(const std::function<void()>& call) {
  caught = {};
  void* handler = ::AddVectoredExceptionHandler(1, &Resume);
  structured_call(&RunCall, const_cast<std::function<void()>*>(&call));
  ::RemoveVectoredExceptionHandler(handler);
  return caught;
}

}  // namespace wintest
