// The stand-in's scans at a wholesaler's sizes: 100,000 goods and 50,000
// codes, through the entries, over both stores.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "abi/records.h"
#include "standin/entries.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"

namespace {

using namespace standin;

constexpr int kGoods = 100000;
constexpr int kCodes = 50000;
constexpr int kCatalogues = 10;

void Fill(Store& store) {
  std::vector<CatalogueRow> catalogues;
  for (int c = 1; c <= kCatalogues; ++c) {
    CatalogueRow row;
    row.number = c;
    row.name = "Katalog " + std::to_string(c);
    row.searched = c % 3 != 0;
    catalogues.push_back(row);
  }
  store.AddCatalogues(catalogues);
  std::vector<GoodsRow> goods;
  for (int i = 0; i < kGoods; ++i) {
    GoodsRow row;
    row.catalogue = 1 + i % kCatalogues;
    row.id = 1 + i / kCatalogues;
    row.name = "Towar żółty nr " + std::to_string(i) + " (opakowanie zbiorcze, łączone)";
    row.symbol = "SYM" + std::to_string(i);
    goods.push_back(std::move(row));
  }
  store.AddGoods(goods);
  std::vector<CodeRow> codes;
  for (int i = 0; i < kCodes; ++i) {
    CodeRow row;
    row.code = std::to_string(5900000000000LL + i * 7919LL % 1000003);
    row.factor = i % 4 == 0 ? 12000 : 1000;
    row.goods_symbol = "SYM" + std::to_string(i * 2);
    row.catalogue = 1 + (i * 2) % kCatalogues;
    row.goods_id = 1 + (i * 2) / kCatalogues;
    codes.push_back(std::move(row));
  }
  store.AddCodes(codes);
}

std::filesystem::path DatabaseFile(int number) {
  return std::filesystem::temp_directory_path() /
         ("standin_tables_bench_" + std::to_string(::getpid()) + "_" + std::to_string(number) + ".db");
}

int g_databases = 0;

std::shared_ptr<Store> MakeStore(bool database) {
  if (!database) return MakeMemoryStore();
  const auto file = DatabaseFile(g_databases++);
  std::filesystem::remove(file);
  return OpenDatabase(file);
}

// One filled store per kind for the whole run.
Store& Filled(bool database) {
  static std::shared_ptr<Store> stores[2];
  auto& store = stores[database ? 1 : 0];
  if (store == nullptr) {
    store = MakeStore(database);
    Fill(*store);
  }
  UseStore(store);
  tables::Reset();
  return *store;
}

std::int64_t Scan(std::int32_t table, std::int32_t index, bool text_key) {
  alignas(8) std::uint8_t cursor[korpus_abi::kCursorSize] = {};
  alignas(8) std::uint8_t key[korpus_abi::kKeySize] = {};
  if (text_key) {
    entry::BuildTextKey(index, key, "MMM", ".UNR", 117);
  } else {
    entry::BuildNumberKey(index, 0, key, 0);
  }
  std::int64_t records = 0;
  if (entry::ScanStart(cursor, entry::OpenTable(table), index, key, 0, 0) != 0) {
    while (entry::ScanNext(cursor) == 1) ++records;
  }
  entry::ScanEnd(cursor);
  return records;
}

// Every searched catalogue's goods, as the goods search walks them.
void WalkSearchedGoods(benchmark::State& state) {
  Filled(state.range(0) != 0);
  for (auto _ : state) {
    alignas(8) std::uint8_t cursor[korpus_abi::kCursorSize] = {};
    alignas(8) std::uint8_t key[korpus_abi::kKeySize] = {};
    entry::BuildNumberKey(3, 0, key, 0);
    std::int64_t records = 0;
    entry::ScanStart(cursor, entry::OpenTable(48), 3, key, 0, 0);
    const auto& catalogue = *static_cast<const korpus_abi::ContextRecord*>(entry::OpenTable(48)->record);
    while (entry::ScanNext(cursor) == 1) {
      if (catalogue.flag != 1) continue;
      *entry::FirstContextNumber() = static_cast<std::int16_t>(std::atoi(catalogue.number));
      records += Scan(49, 4, false);
    }
    entry::ScanEnd(cursor);
    benchmark::DoNotOptimize(records);
    state.counters["records"] = static_cast<double>(records);
  }
}
BENCHMARK(WalkSearchedGoods)->Arg(0)->Arg(1)->ArgName("database")->Unit(benchmark::kMillisecond);

void ScanCodeTable(benchmark::State& state) {
  Filled(state.range(0) != 0);
  for (auto _ : state) {
    const std::int64_t records = Scan(117, 154, true);
    benchmark::DoNotOptimize(records);
    state.counters["records"] = static_cast<double>(records);
  }
}
BENCHMARK(ScanCodeTable)->Arg(0)->Arg(1)->ArgName("database")->Unit(benchmark::kMillisecond);

void ReadOneGoods(benchmark::State& state) {
  Filled(state.range(0) != 0);
  std::int16_t id = 1;
  for (auto _ : state) {
    *entry::FirstContextNumber() = 3;
    *entry::SecondContextNumber() = id;
    benchmark::DoNotOptimize(entry::ReadGoods(-1, 0));
    id = static_cast<std::int16_t>(id % (kGoods / kCatalogues) + 1);
  }
}
BENCHMARK(ReadOneGoods)->Arg(0)->Arg(1)->ArgName("database")->Unit(benchmark::kMicrosecond);

void FillDatabase(benchmark::State& state) {
  for (auto _ : state) {
    auto store = MakeStore(true);
    Fill(*store);
  }
}
BENCHMARK(FillDatabase)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  UseStore(nullptr);
  for (int i = 0; i < g_databases; ++i) std::filesystem::remove(DatabaseFile(i));
  return 0;
}
