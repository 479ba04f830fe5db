// A benchmark case bound to the stand-in, in a folder of its own under
// /tmp, with a front end that answers yes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "host/korpus/binding.h"
#include "host/module_state.h"
#include "host/platform/platform.h"
#include "standin/files/files.h"
#include "standin/ini/ini_access.h"
#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/dialog/controls.h"
#include "standin/testing.h"

namespace bench {

class Workspace {
 public:
  // `tables` null: an empty in-memory store.
  Workspace(std::shared_ptr<standin::Store> tables, const char* name) : previous_(std::filesystem::current_path()) {
    host::binding::ResetForTests();
    host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
    standin::UseStore(tables != nullptr ? std::move(tables) : standin::MakeMemoryStore());
    standin::tables::Reset();
    standin::files::Reset();
    standin::testing::ForgetIniFiles();
    for (std::int32_t id : {0, 2, 7}) standin::testing::SetControlState(id, 0);
    std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) directory_ = pattern;
    std::filesystem::current_path(directory_);
  }
  ~Workspace() {
    standin::testing::ForgetIniFiles();
    standin::UseStore(nullptr);
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  standin::RecordingFrontEnd& front() { return front_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
  standin::RecordingFrontEnd front_;
};

}  // namespace bench
