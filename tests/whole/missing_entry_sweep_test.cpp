// Every host entry missing in turn, over one whole check, answered Abort,
// Ignore, and Retry twice then Ignore: the host program always ends in
// order, shows the binding box exactly as often as it was answered, and no
// check leaves a table scan open.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/program_run.h"

namespace {

namespace fs = std::filesystem;

struct Entry {
  int ordinal;
  bool lazily_bound;
  std::string_view name;
};

const std::vector<Entry>& Entries() {
  static const std::vector<Entry> entries = {
#define KORPUS_ENTRY(ordinal, conv, bytes, name, result, params) {ordinal, true, #name},
#define KORPUS_DIRECT(ordinal, conv, bytes, name, result, params) {ordinal, false, #name},
#include "abi/korpus_entries.inc"
#undef KORPUS_ENTRY
#undef KORPUS_DIRECT
  };
  return entries;
}

// The one lazily bound entry that no step of the check calls.
constexpr int kNeverCalled = 21294;
// Without the free entry the host's blocks cannot be given back: the leak
// checker of the sanitizer build is off for those runs only.
constexpr int kFree = 21287;

// Sets an environment variable for the runs in its scope.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* before = std::getenv(name)) before_ = before;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (before_) {
      ::setenv(name_, before_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  const char* name_;
  std::optional<std::string> before_;
};

std::string WithoutLeakCheck() {
  const char* options = std::getenv("ASAN_OPTIONS");
  return std::string(options != nullptr ? options : "") + ":detect_leaks=0";
}

using testing_support::Count;
using testing_support::Lines;

struct Answering {
  const char* name;
  const char* words;
  std::size_t boxes;  // binding boxes that these answers take
  bool abandons;
};

class MissingEntrySweep : public ::testing::TestWithParam<Answering> {
 protected:
  void SetUp() override {
    std::ifstream in(SWEEP_SCRIPT, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    check_ = text.str();
    ASSERT_FALSE(check_.empty()) << SWEEP_SCRIPT;
  }

  std::string check_;
};

TEST_P(MissingEntrySweep, EveryEntryEndsInOrderWithItsBoxes) {
  const Answering& answering = GetParam();
  const std::regex script_error(R"(^script\.txt:[0-9]+: .+$)");
  for (const Entry& entry : Entries()) {
    const std::string ordinal = std::to_string(entry.ordinal);
    SCOPED_TRACE("entry " + ordinal + ", answered " + answering.words);
    const fs::path dir = fs::temp_directory_path() / ("prufacja-sweep-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "script.txt", std::ios::binary) << "answer-system " << answering.words << "\n" << check_;
    std::optional<ScopedEnvironment> leaks;
    if (entry.ordinal == kFree) leaks.emplace("ASAN_OPTIONS", WithoutLeakCheck());
    const testing_support::Outcome run = testing_support::RunProgram(
        dir, {KORPUS_PROGRAM, "--demo", "--db", "firma.db", "--without-entry", ordinal, "--script", "script.txt"}, 120);
    fs::remove_all(dir);

    ASSERT_TRUE(run.exit_code == 0 || run.exit_code == 1) << "exit " << run.exit_code << "\n" << run.err;
    for (const std::string& line : Lines(run.err)) EXPECT_TRUE(std::regex_match(line, script_error)) << line;
    EXPECT_EQ(run.exit_code == 1, !run.err.empty()) << run.err;

    const bool reached = entry.lazily_bound && entry.ordinal != kNeverCalled;
    // The caption is left out: without 52158 the box cannot convert it.
    EXPECT_EQ(Count(run.out, "| brak wpisu  " + ordinal + " \n"), reached ? answering.boxes : 0u);
    EXPECT_EQ(Count(run.out, "box system "), reached ? answering.boxes : 0u);
    for (const std::string& line : Lines(run.out)) {
      if (line.find("abandoned") == std::string::npos && line.find("failed") == std::string::npos) continue;
      EXPECT_TRUE(answering.abandons) << "Ignore abandons nothing: " << line;
      EXPECT_NE(line.find(": host entry " + ordinal + " is missing; the call was abandoned"), std::string::npos) << line;
    }
    if (answering.abandons && reached) {
      EXPECT_NE(run.out.find("host entry " + ordinal + " is missing; the call was abandoned"), std::string::npos)
          << "an abandoned call is reported\n" << run.out;
    }
    // Without its scan-end entry the host cannot end a scan: there the
    // count shows that it notices.
    const bool scans_end = entry.name != "ScanEnd";
    EXPECT_EQ(Count(run.out, " table scan") == 0, scans_end) << run.out;
  }
}

INSTANTIATE_TEST_SUITE_P(EachAnswer, MissingEntrySweep,
                         ::testing::Values(Answering{"Abort", "abort", 1, true}, Answering{"Ignore", "ignore", 1, false},
                                           Answering{"RetryRetryIgnore", "retry retry ignore", 3, false}),
                         [](const ::testing::TestParamInfo<Answering>& param) { return std::string(param.param.name); });

}  // namespace
