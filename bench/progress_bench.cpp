// Saving and resuming the progress of a check of 5000 positions.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "standin/ini/ini_access.h"
#include "standin/recording_frontend.h"
#include "tests/support/check_access.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

// A list as a warehouse has it: long names, some counted, all invoiced.
void FillLikeAWarehouse(CZrobPrufacje& check, int positions) {
  std::vector<Position> list(static_cast<std::size_t>(positions));
  for (int n = 0; n < positions; ++n) {
    Position& p = list[static_cast<std::size_t>(n)];
    std::snprintf(p.name, sizeof p.name, "Towar numer %05d, opakowanie zbiorcze", n);
    std::snprintf(p.symbol, sizeof p.symbol, "S%05d", n);
    p.counted = 1000 * (n % 5);
    p.invoiced = 1000 * (1 + n % 7);
  }
  CheckAccess::Fill(check, list);
}

constexpr int kPositions = 5000;
constexpr const char* kNumber = "FV 1234/2024";

// Every case runs in a directory of its own, bound to the stand-in.
class Workspace {
 public:
  Workspace() : previous_(std::filesystem::current_path()) {
    host::binding::ResetForTests();
    host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
    standin::testing::ForgetIniFiles();
    char pattern[] = "/tmp/progress_bench.XXXXXX";
    if (::mkdtemp(pattern) != nullptr) directory_ = pattern;
    std::filesystem::current_path(directory_);
  }
  ~Workspace() {
    standin::testing::ForgetIniFiles();
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

// The keys reach the INI cache; the disk sees them at the next flush.
void BM_SaveProgress(benchmark::State& state) {
  Workspace workspace;
  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, kNumber);
  FillLikeAWarehouse(check, kPositions);
  for (auto _ : state) check.SaveProgress();
}
BENCHMARK(BM_SaveProgress)->Unit(benchmark::kMillisecond);

// A save as the closing dialog makes it, up to the file on disk.
void BM_SaveProgressAndFlush(benchmark::State& state) {
  Workspace workspace;
  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, kNumber);
  FillLikeAWarehouse(check, kPositions);
  for (auto _ : state) {
    state.PauseTiming();
    std::remove("Niezgodnosci.ini");
    state.ResumeTiming();
    check.SaveProgress();
    benchmark::DoNotOptimize(standin::FlushIniFiles());
  }
}
BENCHMARK(BM_SaveProgressAndFlush)->Unit(benchmark::kMillisecond);

// The next check of the invoice: the file is parsed afresh, the user
// answers yes, 5000 rows are read back.
void BM_ResumeProgress(benchmark::State& state) {
  Workspace workspace;
  standin::RecordingFrontEnd front;
  {
    CZrobPrufacje saved;
    CheckAccess::GiveBlock(saved, kNumber);
    FillLikeAWarehouse(saved, kPositions);
    saved.SaveProgress();
    standin::FlushIniFiles();
  }
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    standin::testing::ForgetIniFiles();
    CheckAccess::GiveBlock(check, kNumber);
    front.Clear();
    front.Answer(standin::kAnswerYes);
    state.ResumeTiming();
    benchmark::DoNotOptimize(check.ResumeProgress());
  }
  if (check.count() != kPositions) state.SkipWithError("the resume lost positions");
}
BENCHMARK(BM_ResumeProgress)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verify

BENCHMARK_MAIN();
