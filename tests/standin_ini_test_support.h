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

#include "korpus/entries.h"
#include "korpus/ini/ini_access.h"
#include "korpus/testing.h"

namespace ini_test {

inline constexpr std::int32_t kRead = 8;
inline constexpr std::int32_t kWrite = 9;

// The bytes of a file, nullopt when it does not exist.
inline std::optional<std::string> Bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void Put(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class ScratchDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/standin_ini_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    standin::testing::ForgetIniFiles();
    standin::testing::ClearFaults();
  }

  void TearDown() override {
    standin::testing::ForgetIniFiles();
    standin::testing::ClearFaults();
    std::filesystem::remove_all(dir_);
  }

  std::string PathOf(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

}  // namespace ini_test
