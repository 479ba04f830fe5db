// The host's side of a plug-in: its library loaded through the platform
// layer, its one entry point (ordinal 30001) called to load and to unload.
#pragma once

#include <cstdint>
#include <string>

#include "abi/callconv.h"
#include "host/platform/platform.h"

namespace app {

struct EntryOutcome {
  bool called = false;  // false: the library or its entry was not found
  std::int32_t result = 0;
  std::string description;  // UTF-8; what a load left in the buffer
  std::string failure;      // why it was not called, or what it raised
};

class PluginHost {
 public:
  static constexpr std::uint32_t kEntryOrdinal = 30001;

  explicit PluginHost(std::string path) : path_(std::move(path)) {}
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // The entry with a host context and a description buffer.
  EntryOutcome Load();
  // The entry with a null context.
  EntryOutcome Unload();
  // Unloads a loaded plug-in and lets its library go.
  void Release();

  bool loaded() const { return loaded_; }
  const std::string& path() const { return path_; }

 private:
  using Entry = std::int32_t(KORPUS_CALLEE*)(void* context, char* description);

  // Loads the library on first use; the attach step runs then.
  bool Open(EntryOutcome& outcome);
  EntryOutcome Call(void* context);

  std::string path_;
  platform::ModuleHandle module_ = nullptr;
  Entry entry_ = nullptr;
  bool loaded_ = false;
  char context_[16] = "korpus";
};

}  // namespace app
