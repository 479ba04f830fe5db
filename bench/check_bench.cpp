// One check at a wholesaler's sizes, the plug-in and the literal check of
// tests/reference side by side on the same data: 5000 invoice positions,
// a collector file of 5000 lines, 100,000 goods in ten catalogues (seven
// searched) and 50,000 codes. Prints the ratio reference / plug-in per case
// and the heap the import holds at its peak.
//
// CHECK_BENCH_REFERENCE=0 leaves the reference out; CHECK_BENCH_STORE=sqlite
// puts the goods and codes into a SQLite file instead of memory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "bench/heap_peak.h"
#include "bench/workspace.h"
#include "host/korpus/binding.h"
#include "host/module_state.h"
#include "standin/dialog/controls.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/files/files.h"
#include "standin/frontend.h"
#include "standin/ini/ini_access.h"
#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "tests/reference/literal_check.h"
#include "verify/dialog/dialog_template.h"

namespace verify {
namespace {

constexpr int kPositions = 5000;
constexpr int kLines = 5000;
constexpr int kGoods = 100000;
constexpr int kCodes = 50000;
constexpr int kCatalogues = 10;
constexpr int kScreenRows = 10;  // the list's height in the dialog
constexpr const char* kInvoiceNumber = "FV 1234/2024";
// Typed: on no position and in no table, so that every walk goes to its end.
constexpr const char* kUnknownCode = "X9999999";

bool Searched(int catalogue) { return catalogue % 3 != 0; }

std::string Formatted(const char* format, int n) {
  char text[24];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

std::string InvoiceSymbol(int n) { return Formatted("S%05d", n); }
std::string GoodsSymbol(int n) { return n < kPositions ? InvoiceSymbol(n) : Formatted("G%06d", n); }
std::string PackageCode(int n) { return Formatted("59%011d", n * 7919 % 100000000); }

// The generated world, made once and shared by every case.
struct World {
  std::vector<Position> loaded;      // as the invoice loads: duplicates, empty symbols
  std::vector<Position> normalised;  // the list the dialog opens with
  std::vector<Position> counted;     // the same list half counted, for the display order
  std::string collector;             // data.txt
  std::shared_ptr<standin::Store> tables;
  std::shared_ptr<standin::Store> empty;
};

void FillTables(standin::Store& store, std::mt19937& random) {
  std::vector<standin::CatalogueRow> catalogues;
  for (int c = 1; c <= kCatalogues; ++c) catalogues.push_back({c, "Katalog " + std::to_string(c), Searched(c)});
  store.AddCatalogues(catalogues);
  std::vector<standin::GoodsRow> goods;
  goods.reserve(kGoods);
  for (int i = 0; i < kGoods; ++i) {
    goods.push_back({1 + i % kCatalogues, 1 + i / kCatalogues, "Towar żółty nr " + std::to_string(i) + " (zbiorczo)",
                     GoodsSymbol(i)});
  }
  store.AddGoods(goods);
  std::vector<standin::CodeRow> codes;
  codes.reserve(kCodes);
  std::uniform_int_distribution<int> any_goods(0, kGoods - 1);
  for (int i = 0; i < kCodes; ++i) {
    const int target = i % 2 == 0 ? i % kPositions : any_goods(random);
    standin::CodeRow row;
    row.code = PackageCode(i);
    row.factor = i % 4 == 0 ? 6000 : i % 4 == 1 ? 12000 : 1000;
    row.goods_symbol = GoodsSymbol(target);
    row.catalogue = 1 + target % kCatalogues;
    row.goods_id = 1 + target / kCatalogues;
    codes.push_back(std::move(row));
  }
  store.AddCodes(codes);
}

std::vector<Position> LoadedInvoice(std::mt19937& random) {
  std::vector<Position> list;
  std::uniform_int_distribution<int> earlier(0, kPositions - 1);
  for (int n = 0; n < kPositions; ++n) {
    Position p{};
    const std::string name = codepage::Utf8ToMazovia("Towar żółty nr " + std::to_string(n) + " (zbiorczo)");
    std::strncpy(p.name, name.c_str(), sizeof p.name - 1);
    if (n % 100 != 7) std::strncpy(p.symbol, InvoiceSymbol(n).c_str(), sizeof p.symbol - 1);
    p.invoiced = 1000 * (1 + n % 7);
    list.push_back(p);
  }
  // One position in fifty stands on the invoice twice.
  for (int n = 0; n < kPositions; n += 50)
    list[static_cast<std::size_t>(n)] = list[static_cast<std::size_t>(earlier(random) % (n + 1))];
  std::shuffle(list.begin(), list.end(), random);
  return list;
}

// 55 % invoice symbols (one in ten with a space inside), 15 % package codes,
// 10 % goods of the goods table only, 10 % unknown codes, 10 % repeats.
std::string CollectorFile(std::mt19937& random) {
  std::uniform_int_distribution<int> position(0, kPositions - 1);
  std::uniform_int_distribution<int> package(0, kCodes - 1);
  std::uniform_int_distribution<int> other_goods(kPositions, kGoods - 1);
  std::vector<std::string> lines;
  for (int i = 0; i < kLines; ++i) {
    const int kind = i % 20;
    std::string code;
    if (kind < 11) {
      code = Formatted(kind == 0 ? "S %05d" : "S%05d", position(random));
    } else if (kind < 14) {
      code = PackageCode(package(random));
    } else if (kind < 16) {
      code = GoodsSymbol(other_goods(random));
    } else if (kind < 18) {
      code = Formatted("X%07d", 1000000 + i);
    } else if (!lines.empty()) {
      lines.push_back(lines[static_cast<std::size_t>(position(random)) % lines.size()]);
      continue;
    }
    char line[96];
    std::snprintf(line, sizeof line, "%s,%d,%06d,14:41:03,23/11/2009\r\n", code.c_str(), 1 + i % 4, i);
    lines.emplace_back(line);
  }
  std::string data;
  for (const std::string& line : lines) data += line;
  return data;
}

World& TheWorld() {
  static World world = [] {
    World made;
    std::mt19937 random(20240611);
    const char* store = std::getenv("CHECK_BENCH_STORE");
    if (store != nullptr && std::string(store) == "sqlite") {
      const auto file = std::filesystem::temp_directory_path() / ("check_bench_" + std::to_string(::getpid()) + ".db");
      std::filesystem::remove(file);
      made.tables = standin::OpenDatabase(file);
      FillTables(*made.tables, random);
      std::filesystem::remove(file);  // the open connection keeps it
    } else {
      made.tables = standin::MakeMemoryStore();
      FillTables(*made.tables, random);
    }
    made.empty = standin::MakeMemoryStore();
    made.loaded = LoadedInvoice(random);
    made.collector = CollectorFile(random);
    CZrobPrufacje check;
    CheckAccess::Fill(check, made.loaded);
    check.NormalisePositions();
    made.normalised.assign(check.Positions().begin(), check.Positions().end());
    made.counted = made.normalised;
    std::uniform_int_distribution<int> counted(0, 8);
    for (Position& p : made.counted) p.counted = 1000 * counted(random);
    return made;
  }();
  return world;
}

// The operations of one side: the plug-in or the literal check.
struct Side {
  std::function<std::int32_t(CZrobPrufacje&)> import;
  std::function<std::int32_t(CZrobPrufacje&, std::int16_t)> typed;
  std::function<std::int32_t(CZrobPrufacje&)> normalise;
  std::function<std::int32_t(CZrobPrufacje&)> sort;
  std::function<std::int32_t(CZrobPrufacje&)> save;
  std::function<std::int32_t(CZrobPrufacje&)> resume;
  std::function<void(CZrobPrufacje&)> report;
  std::function<std::intptr_t(CZrobPrufacje&, std::int16_t)> row;
};

const Side kProduct{
    [](CZrobPrufacje& c) { return c.ReadCollectorFile(); },
    [](CZrobPrufacje& c, std::int16_t code) { return c.HandleEvent(code, 1); },
    [](CZrobPrufacje& c) {
      c.NormalisePositions();
      return 0;
    },
    [](CZrobPrufacje& c) {
      c.SortForDisplay();
      return 0;
    },
    [](CZrobPrufacje& c) {
      c.SaveProgress();
      return 0;
    },
    [](CZrobPrufacje& c) { return c.ResumeProgress(); },
    [](CZrobPrufacje& c) { c.WriteReport(); },
    [](CZrobPrufacje& c, std::int16_t row) { return c.RowText(row); },
};

const Side kReference{
    [](CZrobPrufacje& c) { return reference::LiteralCheck(c).ReadCollectorFile(); },
    [](CZrobPrufacje& c, std::int16_t code) { return reference::LiteralCheck(c).TypedEvent(code); },
    [](CZrobPrufacje& c) { return reference::LiteralCheck(c).NormalisePositions(); },
    [](CZrobPrufacje& c) { return reference::LiteralCheck(c).SortForDisplay(); },
    [](CZrobPrufacje& c) { return reference::LiteralCheck(c).SaveProgress(); },
    [](CZrobPrufacje& c) { return reference::LiteralCheck(c).ResumeProgress(); },
    [](CZrobPrufacje& c) { reference::LiteralCheck(c).WriteReport(); },
    [](CZrobPrufacje& c, std::int16_t row) { return reference::LiteralCheck(c).RowText(row); },
};

// F4: from reading data.txt to the sorted list.
void Import(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().tables, "check_bench");
  std::ofstream("data.txt", std::ios::binary) << TheWorld().collector;
  CZrobPrufacje check;
  std::size_t most = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, TheWorld().normalised);
    CheckAccess::SetCounters(check, {});
    const std::size_t before = heap_peak::Live();
    heap_peak::ResetPeak();
    state.ResumeTiming();
    benchmark::DoNotOptimize(side->import(check));
    state.PauseTiming();
    most = std::max(most, heap_peak::Peak() - before);
    state.ResumeTiming();
  }
  state.counters["positions"] = check.count();
  state.counters["new_goods"] = check.counters().new_goods;
  state.counters["peak_heap_MB"] = static_cast<double>(most) / 1e6;
}

// One symbol or one quantity typed, with the quantities option on or off.
void Typed(benchmark::State& state, const Side* side, std::int16_t code, bool quantities) {
  bench::Workspace workspace(TheWorld().tables, "check_bench");
  CZrobPrufacje check;
  standin::testing::OpenedDialog opened(DialogTemplate().data(), &check.values());
  if (!opened.ok()) return state.SkipWithError("no dialog");
  korpus::ControlState(2, 1, quantities ? 1 : 0);
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, TheWorld().normalised);
    std::strcpy(static_cast<char*>(korpus::ValueAddress(3)), kUnknownCode);
    *static_cast<std::int32_t*>(korpus::ValueAddress(5)) = 2000;
    state.ResumeTiming();
    benchmark::DoNotOptimize(side->typed(check, code));
  }
  state.counters["positions"] = check.count();
}

void Normalise(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, TheWorld().loaded);
    state.ResumeTiming();
    benchmark::DoNotOptimize(side->normalise(check));
  }
  state.counters["positions"] = check.count();
}

void Sort(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    CheckAccess::Fill(check, TheWorld().counted);
    state.ResumeTiming();
    benchmark::DoNotOptimize(side->sort(check));
  }
}

// A save as the closing dialog makes it, up to the file on disk.
void Save(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  CZrobPrufacje check;
  CheckAccess::Fill(check, TheWorld().counted);
  std::strcpy(CheckAccess::InvoiceNumber(check), kInvoiceNumber);
  for (auto _ : state) {
    state.PauseTiming();
    standin::testing::ForgetIniFiles();
    std::remove("Niezgodnosci.ini");
    state.ResumeTiming();
    side->save(check);
    benchmark::DoNotOptimize(standin::FlushIniFiles());
  }
}

// The next check of the invoice: the file read afresh, the user answers
// yes, every row read back.
void Resume(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  {
    CZrobPrufacje saved;
    CheckAccess::Fill(saved, TheWorld().counted);
    std::strcpy(CheckAccess::InvoiceNumber(saved), kInvoiceNumber);
    saved.SaveProgress();
    standin::FlushIniFiles();
  }
  CZrobPrufacje check;
  for (auto _ : state) {
    state.PauseTiming();
    standin::testing::ForgetIniFiles();
    CheckAccess::Fill(check, {});
    std::strcpy(CheckAccess::InvoiceNumber(check), kInvoiceNumber);
    workspace.front().Clear();
    workspace.front().Answer(standin::kAnswerYes);
    state.ResumeTiming();
    benchmark::DoNotOptimize(side->resume(check));
  }
  if (check.count() != static_cast<std::int32_t>(TheWorld().counted.size())) state.SkipWithError("rows lost");
}

void Report(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  CZrobPrufacje check;
  CheckAccess::Fill(check, TheWorld().counted);
  int reports = 0;
  for (auto _ : state) {
    side->report(check);
    // The stored reports would pile up in the store.
    if (++reports % 32 == 0) {
      state.PauseTiming();
      standin::UseStore(standin::MakeMemoryStore());
      workspace.front().Clear();
      state.ResumeTiming();
    }
  }
  state.counters["lines"] = check.counters().differences + check.counters().off_invoice;
}

// What the list asks for one screen: the count, then every visible row.
void Screen(benchmark::State& state, const Side* side) {
  bench::Workspace workspace(TheWorld().empty, "check_bench");
  CZrobPrufacje check;
  CheckAccess::Fill(check, TheWorld().counted);
  for (auto _ : state) {
    benchmark::DoNotOptimize(side->row(check, -1));
    for (std::int16_t row = 0; row < kScreenRows; ++row) benchmark::DoNotOptimize(side->row(check, row));
  }
}

// Keeps every run's times for the table at the end.
class Collector : public benchmark::ConsoleReporter {
 public:
  struct Times {
    double cpu_ms = 0;
    double wall_ms = 0;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const double iterations = static_cast<double>(run.iterations);
      times_[run.run_name.function_name] = {run.cpu_accumulated_time * 1e3 / iterations,
                                            run.real_accumulated_time * 1e3 / iterations};
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const std::map<std::string, Times>& times() const { return times_; }

 private:
  std::map<std::string, Times> times_;
};

struct Case {
  std::string name;
  std::function<void(benchmark::State&, const Side*)> body;
  bool reference_once;  // the reference is run a single time
};

}  // namespace
}  // namespace verify

int main(int argc, char** argv) {
  using namespace verify;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  const char* with_reference = std::getenv("CHECK_BENCH_REFERENCE");
  const bool reference = with_reference == nullptr || std::string(with_reference) != "0";

  const std::vector<Case> cases = {
      {"Import", Import, true},
      {"TypedSymbol/quantities:on", [](benchmark::State& s, const Side* side) { Typed(s, side, 3, true); }, false},
      {"TypedSymbol/quantities:off", [](benchmark::State& s, const Side* side) { Typed(s, side, 3, false); }, false},
      {"TypedQuantity/quantities:on", [](benchmark::State& s, const Side* side) { Typed(s, side, 5, true); }, false},
      {"TypedQuantity/quantities:off", [](benchmark::State& s, const Side* side) { Typed(s, side, 5, false); }, false},
      {"NormalisePositions", Normalise, false},
      {"SortForDisplay", Sort, false},
      {"SaveProgress", Save, false},
      {"ResumeProgress", Resume, false},
      {"WriteReport", Report, false},
      {"RowTextScreen", Screen, false},
  };
  for (const Case& c : cases) {
    benchmark::RegisterBenchmark((c.name + "/plugin").c_str(), c.body, &kProduct)->Unit(benchmark::kMillisecond);
    if (!reference) continue;
    auto* run = benchmark::RegisterBenchmark((c.name + "/reference").c_str(), c.body, &kReference);
    run->Unit(benchmark::kMillisecond);
    if (c.reference_once) run->Iterations(1);
  }

  host::binding::ResetForTests();
  host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
  TheWorld();
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);

  std::printf("\n%-30s %12s %12s %14s %14s %10s\n", "case", "plugin CPU", "plugin wall", "reference CPU",
              "reference wall", "ratio CPU");
  for (const Case& c : cases) {
    const auto& times = collector.times();
    const auto plugin = times.find(c.name + "/plugin");
    if (plugin == times.end()) continue;
    std::printf("%-30s %9.3f ms %9.3f ms", c.name.c_str(), plugin->second.cpu_ms, plugin->second.wall_ms);
    const auto literal = times.find(c.name + "/reference");
    if (literal != times.end()) {
      std::printf(" %11.3f ms %11.3f ms %9.1fx", literal->second.cpu_ms, literal->second.wall_ms,
                  literal->second.cpu_ms / plugin->second.cpu_ms);
    }
    std::printf("\n");
  }
  benchmark::Shutdown();
  return 0;
}
