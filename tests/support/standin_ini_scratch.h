// A scratch directory for the stand-in's INI access, with a fresh cache and
// no faults, and helpers to look at the files as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "standin/entries.h"
#include "standin/ini/ini_access.h"
#include "standin/testing.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_directory.h"

namespace ini_test {

inline constexpr std::int32_t kRead = 8;
inline constexpr std::int32_t kWrite = 9;

using testing_support::ReadIfPresent;
using testing_support::WriteBytes;

class ScratchDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir_.empty());
    Clear();
  }
  void TearDown() override { Clear(); }

  std::string PathOf(const char* name) const { return (dir_ / name).string(); }

  static void Clear() {
    standin::testing::ForgetIniFiles();
    standin::testing::ClearFaults();
  }

  testing_support::ScratchDirectory scratch_{"standin_ini"};
  const std::filesystem::path dir_ = scratch_.path();
};

}  // namespace ini_test
