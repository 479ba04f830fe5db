#include "app/plugin_host.h"

#ifdef _WIN32
#include <windows.h>

#include "standin/windows/plugin_calls.h"
#include "standin/windows/plugin_routes.h"
#else
#include <dlfcn.h>
#endif

#include <exception>

#include "abi/codepage.h"

namespace app {

namespace {

// Why the last library load failed, as ": reason", or nothing.
std::string LoadFailure() {
#ifdef _WIN32
  return ": error " + std::to_string(::GetLastError());
#else
  const char* why = dlerror();
  return why != nullptr ? std::string(": ") + why : std::string();
#endif
}

}  // namespace

PluginHost::~PluginHost() { Release(); }

bool PluginHost::Open(EntryOutcome& outcome) {
  if (entry_ != nullptr) return true;
  if (module_ == nullptr) {
    module_ = platform::LoadLibraryA(path_.c_str());
#ifdef _WIN32
    // Its binding box and its entry lookups go to the stand-in, as the
    // native build's do by symbol interposition.
    if (module_ != nullptr) standin::windows::RoutePluginImports(module_);
#endif
  }
  if (module_ == nullptr) {
    outcome.failure = "cannot load " + path_ + LoadFailure();
    return false;
  }
  entry_ = reinterpret_cast<Entry>(platform::GetProcAddressByOrdinal(module_, kEntryOrdinal));
  if (entry_ == nullptr) {
    outcome.failure = path_ + " has no entry " + std::to_string(kEntryOrdinal);
    return false;
  }
  return true;
}

EntryOutcome PluginHost::Call(void* context) {
  EntryOutcome outcome;
  if (!Open(outcome)) return outcome;

  // Larger than any description a plug-in gives; the host never asks more.
  char description[512] = {};
  outcome.called = true;
  try {
#ifdef _WIN32
    // The plug-in hands its failure over as a structured exception.
    const auto failure = standin::windows::CallPlugin(
        [&] { outcome.result = entry_(context, context != nullptr ? description : nullptr); });
    if (failure) {
      outcome.failure = failure->text;
      outcome.result = -1;
    }
#else
    outcome.result = entry_(context, context != nullptr ? description : nullptr);
#endif
  } catch (const std::exception& error) {
    outcome.failure = error.what();
    outcome.result = -1;
  } catch (...) {
    outcome.failure = "unknown exception";
    outcome.result = -1;
  }
  description[sizeof description - 1] = '\0';
  outcome.description = codepage::MazoviaToUtf8(description);
  return outcome;
}

EntryOutcome PluginHost::Load() {
  EntryOutcome outcome = Call(context_);
  loaded_ = outcome.called && outcome.failure.empty() && outcome.result == 0;
  return outcome;
}

EntryOutcome PluginHost::Unload() {
  EntryOutcome outcome = Call(nullptr);
  if (outcome.called) loaded_ = false;
  return outcome;
}

void PluginHost::Release() {
  if (loaded_) Unload();
  entry_ = nullptr;
  platform::FreeLibrary(module_);
  module_ = nullptr;
}

}  // namespace app
