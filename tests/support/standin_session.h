// The plug-in bound to the stand-in host, as the tests that drive a check
// set it up.
#pragma once

#include <filesystem>
#include <string>

#include "host/korpus/binding.h"
#include "host/module_state.h"
#include "host/platform/platform.h"
#include "standin/ini/ini_access.h"
#include "standin/testing.h"
#include "tests/support/scratch_directory.h"

namespace testing_support {

// Binds the plug-in's entries to the stand-in afresh, as a load does.
inline void BindToStandIn() {
  host::binding::ResetForTests();
  host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
}

// As a member, it binds before the check object that a fixture constructs.
struct BoundToStandIn {
  BoundToStandIn() { BindToStandIn(); }
};

// One test's world: the plug-in bound afresh, no faults, no INI file
// cached, and a fresh scratch folder as the current directory; faults and
// the cache are dropped again at the end.
class StandInSession {
 public:
  explicit StandInSession(const std::string& prefix) : directory_(prefix) { Clear(); }
  ~StandInSession() { Clear(); }
  StandInSession(const StandInSession&) = delete;
  StandInSession& operator=(const StandInSession&) = delete;

  const std::filesystem::path& directory() const { return directory_.path(); }

 private:
  static void Clear() {
    standin::testing::ClearFaults();
    standin::testing::ForgetIniFiles();
  }

  BoundToStandIn bound_;
  ScratchWorkingDirectory directory_;
};

}  // namespace testing_support
