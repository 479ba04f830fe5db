// What a Windows library gets from the system, on a POSIX system: the
// process-attach notification (the library's constructor) and the export
// table by ordinal. Only the plug-in library itself is built with this.
#include <dlfcn.h>

#include <cstdint>

#include "host/attach.h"
#include "host/entry.h"

namespace {

// The loader's handle of this very library, as Windows passes it to the
// attach notification. No reference is kept, so the host may unload us.
platform::ModuleHandle OwnModule();

__attribute__((constructor)) void ProcessAttach() { host::Attach(OwnModule()); }

platform::ModuleHandle OwnModule() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ProcessAttach), &info) == 0 || info.dli_fname == nullptr) return nullptr;
  void* handle = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
  if (handle != nullptr) dlclose(handle);
  return handle;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* ordinal_export(std::uint32_t ordinal) {
  return ordinal == host::kEntryOrdinal ? reinterpret_cast<void*>(&host::PluginEntry) : nullptr;
}
