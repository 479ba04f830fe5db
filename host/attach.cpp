#include "host/attach.h"

#include "host/korpus/entries.h"
#include "host/module_state.h"

namespace host {

void Attach(platform::ModuleHandle own_module) {
  ModuleState& modules = Modules();
  modules.own_module = own_module;
  if (modules.host_module != nullptr) return;

  platform::ModuleHandle host_module = platform::GetModuleHandleA("KORPUS");
  if (host_module == nullptr) return;
  modules.host_module = host_module;
  modules.host_context = platform::GetProcAddressByOrdinal(host_module, korpus::ordinals::HostContext);
  modules.delay_load_hook = platform::GetProcAddressByOrdinal(host_module, korpus::ordinals::DelayLoadHook);
}

}  // namespace host
