// The plug-in's start-up in the host's process: what Windows does at
// process attach, before the plug-in's runtime is up.
#pragma once

#include "host/platform/platform.h"

namespace host {

// Records the plug-in's own module and, once, the already loaded host
// library with its entries 30006 (host context) and 30007 (delay-load
// hook); a host library that is not loaded leaves them null.
void Attach(platform::ModuleHandle own_module);

}  // namespace host
