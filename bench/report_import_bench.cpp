// The report and the collector import at 5000 positions.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "standin/dialog/controls.h"
#include "standin/files/files.h"
#include "standin/tables/store.h"
#include "tests/support/check_access.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

constexpr int kPositions = 5000;
constexpr int kLines = 5000;
constexpr int kPackages = 500;

void BindToStandIn() {
  host::binding::ResetForTests();
  host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
  standin::testing::SetControlState(7, 0);
  standin::files::Reset();
}

// A directory of its own for the files of one benchmark.
class WorkingDirectory {
 public:
  WorkingDirectory() : previous_(std::filesystem::current_path()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "prufacja-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
    std::filesystem::current_path(path_);
  }
  ~WorkingDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

// Every position a discrepancy of some kind, so that each gets its line.
std::vector<Position> Invoice() {
  std::vector<Position> list;
  for (int n = 0; n < kPositions; ++n) {
    Position p{};
    std::snprintf(p.name, sizeof p.name, "Towar numer %05d o dosc dlugiej nazwie", n);
    std::snprintf(p.symbol, sizeof p.symbol, "S%05d", n);
    p.invoiced = n % 5 == 0 ? 0 : 1000 * (1 + n % 7);
    p.counted = 500 * (n % 3);
    list.push_back(p);
  }
  return list;
}

// 80 % codes on the invoice, 10 % package codes of the code table, 10 %
// unknown codes; lines as a real collector writes them.
std::string CollectorFile() {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> position(0, kPositions - 1);
  std::string data;
  char line[96];
  for (int i = 0; i < kLines; ++i) {
    const int kind = i % 10;
    if (kind < 8) {
      std::snprintf(line, sizeof line, "S%05d,%d,%06d,14:41:03,23/11/2009\r\n", position(random), 1 + i % 4, i);
    } else if (kind == 8) {
      std::snprintf(line, sizeof line, "K%04d,%d,%06d,14:41:03,23/11/2009\r\n", i % kPackages, 1 + i % 4, i);
    } else {
      std::snprintf(line, sizeof line, "X%07d,1,%06d,14:41:03,23/11/2009\r\n", i, i);
    }
    data += line;
  }
  return data;
}

void AddPackageCodes() {
  std::vector<standin::CodeRow> codes;
  for (int n = 0; n < kPackages; ++n) {
    char code[16];
    char goods[16];
    std::snprintf(code, sizeof code, "K%04d", n);
    std::snprintf(goods, sizeof goods, "S%05d", n * 7);
    codes.push_back({code, 6000, goods, 0, 0});
  }
  standin::CurrentStore().AddCodes(codes);
}

void BM_WriteReport(benchmark::State& state) {
  BindToStandIn();
  WorkingDirectory directory;
  standin::UseStore(standin::MakeMemoryStore());
  const std::vector<Position> invoice = Invoice();
  CZrobPrufacje check;
  CheckAccess::Fill(check, invoice);
  int reports = 0;
  for (auto _ : state) {
    check.WriteReport();
    // The stored documents would pile up in memory.
    if (++reports % 64 == 0) {
      state.PauseTiming();
      standin::UseStore(standin::MakeMemoryStore());
      state.ResumeTiming();
    }
  }
  state.counters["lines"] = check.counters().differences + check.counters().off_invoice;
}
BENCHMARK(BM_WriteReport)->Unit(benchmark::kMillisecond);

// F4: reading data.txt to the sorted list.
void BM_ReadCollectorFile(benchmark::State& state) {
  BindToStandIn();
  WorkingDirectory directory;
  standin::UseStore(standin::MakeMemoryStore());
  AddPackageCodes();
  std::ofstream("data.txt", std::ios::binary) << CollectorFile();
  const std::vector<Position> invoice = Invoice();
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, invoice);
    state.ResumeTiming();
    benchmark::DoNotOptimize(check.ReadCollectorFile());
  }
  state.counters["positions_after"] = check.count();
}
BENCHMARK(BM_ReadCollectorFile)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verify

BENCHMARK_MAIN();
