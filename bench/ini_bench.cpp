// The stand-in's INI access at the size of a full check: a save of 5000
// positions is 5002 key writes and a flush; a resume is 5002 key reads.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "standin/entries.h"
#include "standin/ini/ini_access.h"
#include "standin/testing.h"

namespace {

constexpr int kPositions = 5000;
constexpr std::int32_t kRead = 8;
constexpr std::int32_t kWrite = 9;

struct Scratch {
  Scratch() {
    char pattern[] = "/tmp/ini_bench_XXXXXX";
    dir = ::mkdtemp(pattern);
    file = (dir / "Niezgodnosci.ini").string();
    for (int i = 0; i < kPositions; ++i) {
      char key[16];
      std::snprintf(key, sizeof key, "r%02d", i);
      keys.emplace_back(key);
      names.push_back("Towar numer " + std::to_string(i) + ", opakowanie zbiorcze");
    }
  }
  ~Scratch() {
    standin::testing::ForgetIniFiles();
    std::filesystem::remove_all(dir);
  }

  void Save(int round) {
    IniAccessWrite("Nr fakt.", "%s", "FV 1234/2024");
    IniAccessWrite("Ilosc", "%d", kPositions);
    for (int i = 0; i < kPositions; ++i) {
      standin::entry::IniAccess(file.c_str(), kWrite, "Nr_faktury", keys[i].c_str(), "%s,%s,%d,%d",
                                names[i].c_str(), "SYM-0001", i * 1000 + round, 2000);
    }
    standin::FlushIniFiles();
  }

  template <typename... Args>
  void IniAccessWrite(const char* key, const char* format, Args... args) {
    standin::entry::IniAccess(file.c_str(), kWrite, "Nr_faktury", key, format, args...);
  }

  std::filesystem::path dir;
  std::string file;
  std::vector<std::string> keys;
  std::vector<std::string> names;
};

void BM_Save5000Positions(benchmark::State& state) {
  Scratch scratch;
  int round = 0;
  for (auto _ : state) scratch.Save(++round);
  state.SetItemsProcessed(state.iterations() * (kPositions + 2));
}
BENCHMARK(BM_Save5000Positions)->Unit(benchmark::kMillisecond);

void BM_Resume5000Positions(benchmark::State& state) {
  Scratch scratch;
  scratch.Save(0);
  char number[260];
  std::int32_t count = 0;
  char name[121];
  char symbol[17];
  std::int32_t counted = 0;
  std::int32_t invoiced = 0;
  for (auto _ : state) {
    standin::entry::IniAccess(scratch.file.c_str(), kRead, "Nr_faktury", "Nr fakt.", "%s", number);
    standin::entry::IniAccess(scratch.file.c_str(), kRead, "Nr_faktury", "Ilosc", "%d", &count);
    for (int i = 0; i < count; ++i) {
      if (standin::entry::IniAccess(scratch.file.c_str(), kRead, "Nr_faktury", scratch.keys[i].c_str(),
                                    "%120s,%16s,%d,%d", name, symbol, &counted, &invoiced) != 0) {
        state.SkipWithError("a row did not read");
        return;
      }
    }
    benchmark::DoNotOptimize(counted);
  }
  state.SetItemsProcessed(state.iterations() * (kPositions + 2));
}
BENCHMARK(BM_Resume5000Positions)->Unit(benchmark::kMillisecond);

// The first resume after the host starts parses the file as well.
void BM_Resume5000PositionsColdCache(benchmark::State& state) {
  Scratch scratch;
  scratch.Save(0);
  char name[121];
  char symbol[17];
  std::int32_t counted = 0;
  std::int32_t invoiced = 0;
  for (auto _ : state) {
    standin::testing::ForgetIniFiles();
    for (int i = 0; i < kPositions; ++i) {
      standin::entry::IniAccess(scratch.file.c_str(), kRead, "Nr_faktury", scratch.keys[i].c_str(), "%120s,%16s,%d,%d",
                                name, symbol, &counted, &invoiced);
    }
    benchmark::DoNotOptimize(counted);
  }
}
BENCHMARK(BM_Resume5000PositionsColdCache)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
