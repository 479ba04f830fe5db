// The model at the sizes a warehouse meets: 5000 positions, 5000 counted
// items.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "standin/dialog/controls.h"
#include "tests/support/check_access.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

constexpr int kPositions = 5000;
constexpr int kItems = 5000;

void BindToStandIn() {
  host::binding::ResetForTests();
  host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
}

Position MakePosition(int n, std::int32_t counted, std::int32_t invoiced) {
  Position p{};
  std::snprintf(p.name, sizeof p.name, "Towar numer %05d", n);
  std::snprintf(p.symbol, sizeof p.symbol, "S%05d", n);
  p.counted = counted;
  p.invoiced = invoiced;
  return p;
}

// Positions with unique symbols, in shuffled order.
std::vector<Position> Invoice(std::mt19937& random) {
  std::vector<Position> list;
  for (int n = 0; n < kPositions; ++n) list.push_back(MakePosition(n, 0, 1000 * (1 + n % 7)));
  std::shuffle(list.begin(), list.end(), random);
  return list;
}

// 60 % codes on the invoice (spaces inside some), 30 % package codes whose
// alternative code is on the invoice, 10 % unknown codes.
std::vector<CountedItem> Collector(std::mt19937& random) {
  std::vector<CountedItem> items(kItems);
  std::uniform_int_distribution<int> position(0, kPositions - 1);
  for (int i = 0; i < kItems; ++i) {
    CountedItem& item = items[static_cast<std::size_t>(i)];
    item.quantity = 1000;
    const int kind = i % 10;
    if (kind < 6) {
      std::snprintf(item.symbol, sizeof item.symbol, kind == 0 ? "S %05d" : "S%05d", position(random));
    } else if (kind < 9) {
      std::snprintf(item.symbol, sizeof item.symbol, "590%09d", i);
      std::snprintf(item.alternative, sizeof item.alternative, "S%05d", position(random));
    } else {
      std::snprintf(item.symbol, sizeof item.symbol, "X%07d", i);
    }
  }
  return items;
}

void BM_MergeCountedItems(benchmark::State& state) {
  BindToStandIn();
  standin::testing::SetControlState(7, 0);
  std::mt19937 random(7);
  const std::vector<Position> invoice = Invoice(random);
  const std::vector<CountedItem> collected = Collector(random);
  std::vector<CountedItem> items;
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, invoice);
    items = collected;
    state.ResumeTiming();
    check.MergeCountedItems(items.data(), kItems);
    benchmark::DoNotOptimize(check.count());
  }
}
BENCHMARK(BM_MergeCountedItems)->Unit(benchmark::kMillisecond);

void BM_NormalisePositions(benchmark::State& state) {
  BindToStandIn();
  std::mt19937 random(11);
  std::vector<Position> invoice = Invoice(random);
  // One position in ten appears twice.
  for (int n = 0; n < kPositions / 10; ++n) invoice[static_cast<std::size_t>(n)] = invoice[static_cast<std::size_t>(n + 1000)];
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, invoice);
    state.ResumeTiming();
    check.NormalisePositions();
    benchmark::DoNotOptimize(check.count());
  }
}
BENCHMARK(BM_NormalisePositions)->Unit(benchmark::kMillisecond);

void BM_SortForDisplay(benchmark::State& state) {
  BindToStandIn();
  std::mt19937 random(13);
  std::vector<Position> invoice = Invoice(random);
  std::uniform_int_distribution<int> counted(0, 8);
  for (Position& p : invoice) p.counted = 1000 * counted(random);
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, invoice);
    state.ResumeTiming();
    check.SortForDisplay();
    benchmark::DoNotOptimize(check.count());
  }
}
BENCHMARK(BM_SortForDisplay)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace verify

BENCHMARK_MAIN();
