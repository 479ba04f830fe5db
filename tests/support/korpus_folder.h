// A test that starts korpus as a user does: in a working folder of its
// own, on the demo database that the first run creates, with a script.
// The including test defines KORPUS_PROGRAM.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/program_run.h"
#include "tests/support/scratch_directory.h"

namespace testing_support {

class KorpusFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = scratch_.path();
    ASSERT_FALSE(dir_.empty());
  }

  Outcome Korpus(const std::string& script, std::vector<std::string> args = {}) {
    std::ofstream(dir_ / "script.txt", std::ios::binary) << script;
    if (!std::filesystem::exists(dir_ / "firma.db")) args.insert(args.begin(), "--demo");
    args.insert(args.begin(), {KORPUS_PROGRAM, "--db", "firma.db", "--script", "script.txt"});
    return RunProgram(dir_, std::move(args));
  }

  ScratchDirectory scratch_{"korpus-test"};
  std::filesystem::path dir_;
};

}  // namespace testing_support
