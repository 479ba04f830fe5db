// Process-wide handles of the plug-in, recorded when the library is
// attached to the host's process.
#pragma once

#include "host/platform/platform.h"

namespace host {

struct ModuleState {
  platform::ModuleHandle own_module = nullptr;
  platform::ModuleHandle host_module = nullptr;
  void* host_context = nullptr;
  void* delay_load_hook = nullptr;
};

ModuleState& Modules();

}  // namespace host
