#include "host/entry.h"

#include "host/description.h"
#include "host/module_state.h"
#include "host/platform/platform.h"
#include "host/registration.h"

namespace host {

namespace {

// Windows installs it as the thread's structured-exception translator. A
// POSIX thread has no structured exceptions, so it is only kept.
thread_local korpus::types::TranslateException thread_translator = nullptr;

void InstallExceptionTranslator() {
  thread_translator = reinterpret_cast<korpus::types::TranslateException>(
      platform::GetProcAddressByOrdinal(Modules().host_module, korpus::ordinals::TranslateException));
}

std::int32_t Load(void* context, char* description) {
  Modules().host_context = context;
  if (description != nullptr) platform::lstrcpyA(description, kDescription);
  InstallExceptionTranslator();

  // A host call abandoned midway must not leave the registers pointing
  // into a plug-in the host may now drop.
  try {
    if (!registration::CheckTables()) {
      registration::Withdraw();
      return -1;
    }
    registration::InstallNotice();
  } catch (...) {
    registration::Withdraw();
    throw;
  }
  return 0;
}

}  // namespace

std::int32_t KORPUS_CALLEE PluginEntry(void* context, char* description) {
  if (context == nullptr) {
    registration::Withdraw();
    return 0;
  }
  return Load(context, description);
}

korpus::types::TranslateException ThreadExceptionTranslator() { return thread_translator; }

}  // namespace host
