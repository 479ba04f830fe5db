// How a check's costs grow past the 5000 positions of check_bench: invoices
// and collector files of P = I = 5,000, 20,000 and 50,000 lines against
// G = 100,000 and 1,000,000 goods (ten catalogues, seven searched) and
// C = G / 5 codes, over the in-memory and the SQLite store. Prints every
// operation's time per size, its log-log slope in P and in G, the heap it
// held at its peak, and the budgets at P = 50,000, G = 1,000,000, SQLite.
//
// The SQLite databases are made once and kept beside the program
// (SCALING_BENCH_CACHE names another folder); korpus is started as a user
// starts it, for its start and for one whole check, on a copy of them.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
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
#include <thread>
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
#include "tests/support/check_access.h"
#include "verify/dialog/dialog_template.h"

namespace verify {
namespace {

constexpr int kSizesP[] = {5000, 20000, 50000};
constexpr int kSizesG[] = {100000, 1000000};
constexpr int kCatalogues = 10;
// The goods whose symbols stand on the invoices: as many as the largest P.
constexpr int kInvoiceGoods = 50000;
constexpr const char* kUnknownCode = "X9999999";
constexpr std::int16_t kSymbolField = 3;
constexpr std::int16_t kQuantityField = 5;

bool Searched(int catalogue) { return catalogue % 3 != 0; }

std::string Formatted(const char* format, long long n) {
  char text[32];
  std::snprintf(text, sizeof text, format, n);
  return text;
}

std::string InvoiceSymbol(int n) { return Formatted("S%05lld", n); }
std::string GoodsSymbol(int n) { return n < kInvoiceGoods ? InvoiceSymbol(n) : Formatted("G%07lld", n); }
std::string PackageCode(int n) { return Formatted("59%011lld", n * 7919LL % 100000000); }
std::string GoodsName(int n) { return "Towar żółty nr " + std::to_string(n) + " (zbiorczo)"; }
std::string InvoiceNumber(int positions) { return "FV " + std::to_string(positions) + "/2024"; }

// ---------------------------------------------------------------- tables

void FillTables(standin::Store& store, int goods_count) {
  std::mt19937 random(20240611);
  std::vector<standin::CatalogueRow> catalogues;
  for (int c = 1; c <= kCatalogues; ++c) catalogues.push_back({c, "Katalog " + std::to_string(c), Searched(c)});
  store.AddCatalogues(catalogues);
  // In batches, so that making a million goods does not hold them twice.
  constexpr int kBatch = 100000;
  std::vector<standin::GoodsRow> goods;
  for (int first = 0; first < goods_count; first += kBatch) {
    goods.clear();
    for (int i = first; i < std::min(goods_count, first + kBatch); ++i) {
      // A catalogue's ids are 16-bit: past 65,535 goods they repeat.
      goods.push_back({1 + i % kCatalogues, 1 + (i / kCatalogues) % 65535, GoodsName(i), GoodsSymbol(i)});
    }
    store.AddGoods(goods);
  }
  std::vector<standin::CodeRow> codes;
  std::uniform_int_distribution<int> any_goods(0, goods_count - 1);
  for (int i = 0; i < goods_count / 5; ++i) {
    const int target = i % 2 == 0 ? i % kInvoiceGoods : any_goods(random);
    codes.push_back({PackageCode(i), i % 4 == 0 ? 6000 : i % 4 == 1 ? 12000 : 1000, GoodsSymbol(target),
                     1 + target % kCatalogues, 1 + (target / kCatalogues) % 65535});
  }
  store.AddCodes(codes);
}

// The invoices that korpus checks, one per P.
void AddInvoices(standin::Store& store) {
  for (const int positions : kSizesP) {
    standin::InvoiceRow invoice;
    invoice.kind = standin::Register::Sales;
    invoice.number = InvoiceNumber(positions);
    invoice.issued = "2024-06-11";
    invoice.counterparty = "Hurtownia";
    std::vector<standin::PositionRow> rows;
    for (int n = 0; n < positions; ++n) rows.push_back({0, 0, GoodsName(n), InvoiceSymbol(n), 1000 * (1 + n % 7)});
    store.AddInvoiceWithPositions(invoice, rows);
  }
}

std::filesystem::path CacheFolder() {
  if (const char* named = std::getenv("SCALING_BENCH_CACHE")) return named;
  return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "scaling_cache";
}

// The database of G goods, made when it is not there yet.
std::filesystem::path DatabaseFile(int goods_count) {
  const auto file = CacheFolder() / ("tables_v1_g" + std::to_string(goods_count) + ".db");
  if (std::filesystem::exists(file)) return file;
  std::filesystem::create_directories(file.parent_path());
  const auto making = file.string() + ".making";
  std::filesystem::remove(making);
  {
    auto store = standin::OpenDatabase(making);
    FillTables(*store, goods_count);
    AddInvoices(*store);
  }
  std::filesystem::rename(making, file);
  return file;
}

enum class Kind { Memory, Sqlite };
const char* KindName(Kind kind) { return kind == Kind::Memory ? "memory" : "sqlite"; }

// One store at a time: a million goods in memory are large.
std::shared_ptr<standin::Store> Tables(Kind kind, int goods_count) {
  static Kind held_kind{};
  static int held_count = 0;
  static std::shared_ptr<standin::Store> held;
  if (held != nullptr && held_kind == kind && held_count == goods_count) return held;
  held.reset();
  if (kind == Kind::Sqlite) {
    held = standin::OpenDatabase(DatabaseFile(goods_count));
  } else {
    held = standin::MakeMemoryStore();
    FillTables(*held, goods_count);
  }
  held_kind = kind;
  held_count = goods_count;
  return held;
}

// ------------------------------------------------------- lists and files

struct Lists {
  std::vector<Position> normalised;  // the list the dialog opens with
  std::vector<Position> counted;     // half counted, for the display order, the save and the report
  std::string collector;             // data.txt of as many lines
};

// 55 % invoice symbols (one in ten with a space inside), 15 % package codes,
// 10 % goods of the goods table only, 10 % unknown codes, 10 % repeats.
std::string CollectorFile(int lines, int positions, int goods_count, std::mt19937& random) {
  std::uniform_int_distribution<int> position(0, positions - 1);
  std::uniform_int_distribution<int> package(0, goods_count / 5 - 1);
  std::uniform_int_distribution<int> other_goods(kInvoiceGoods, goods_count - 1);
  std::vector<std::string> codes;
  std::string data;
  for (int i = 0; i < lines; ++i) {
    const int kind = i % 20;
    std::string code;
    if (kind < 11) {
      code = Formatted(kind == 0 ? "S %05lld" : "S%05lld", position(random));
    } else if (kind < 14) {
      code = PackageCode(package(random));
    } else if (kind < 16) {
      code = GoodsSymbol(other_goods(random));
    } else if (kind < 18) {
      code = Formatted("X%07lld", 1000000 + i);
    } else if (!codes.empty()) {
      code = codes[static_cast<std::size_t>(position(random)) % codes.size()];
    }
    codes.push_back(code);
    char line[96];
    std::snprintf(line, sizeof line, "%s,%d,%06d,14:41:03,23/11/2009\r\n", code.c_str(), 1 + i % 4, i);
    data += line;
  }
  return data;
}

// The collector's goods-only codes name goods of the smaller table, so
// that one file serves both G.
const Lists& ListsOf(int positions) {
  static std::map<int, Lists> made;
  auto found = made.find(positions);
  if (found != made.end()) return found->second;
  std::mt19937 random(static_cast<unsigned>(positions));
  Lists lists;
  for (int n = 0; n < positions; ++n) {
    Position p{};
    std::strncpy(p.name, codepage::Utf8ToMazovia(GoodsName(n)).c_str(), sizeof p.name - 1);
    std::strncpy(p.symbol, InvoiceSymbol(n).c_str(), sizeof p.symbol - 1);
    p.invoiced = 1000 * (1 + n % 7);
    lists.normalised.push_back(p);
  }
  std::shuffle(lists.normalised.begin(), lists.normalised.end(), random);
  lists.counted = lists.normalised;
  std::uniform_int_distribution<int> counted(0, 8);
  for (Position& p : lists.counted) p.counted = 1000 * counted(random);
  lists.collector = CollectorFile(positions, positions, kSizesG[0], random);
  return made.emplace(positions, std::move(lists)).first->second;
}

// ------------------------------------------------------------ workspace

// The most heap held above what was held when it started, over every run.
class HeapWatch {
 public:
  void Start() {
    before_ = heap_peak::Live();
    heap_peak::ResetPeak();
  }
  void Stop() { most_ = std::max(most_, heap_peak::Peak() - before_); }
  void Report(benchmark::State& state) const { state.counters["peak_heap_MB"] = static_cast<double>(most_) / 1e6; }

 private:
  std::size_t before_ = 0;
  std::size_t most_ = 0;
};

// Every iteration: `prepare` untimed, then `call` timed with the heap it
// holds watched.
template <class Prepare, class Call>
void TimeEach(benchmark::State& state, HeapWatch& heap, Prepare prepare, Call call) {
  for (auto _ : state) {
    state.PauseTiming();
    prepare();
    heap.Start();
    state.ResumeTiming();
    call();
    state.PauseTiming();
    heap.Stop();
    state.ResumeTiming();
  }
}

struct Config {
  Kind kind;
  int goods;
  int positions;
};

// ------------------------------------------------------------ operations

// F4: from reading data.txt to the sorted list; the tables read once
// before, as after the check's first look-up.
void Import(benchmark::State& state, Config config) {
  bench::Workspace workspace(Tables(config.kind, config.goods), "scaling_bench");
  const Lists& lists = ListsOf(config.positions);
  std::ofstream("data.txt", std::ios::binary) << lists.collector;
  CZrobPrufacje check;
  CheckAccess::Fill(check, lists.normalised);
  check.ReadCollectorFile();
  HeapWatch heap;
  TimeEach(
      state, heap,
      [&] {
        CheckAccess::Fill(check, lists.normalised);
        CheckAccess::SetCounters(check, {});
      },
      [&] { benchmark::DoNotOptimize(check.ReadCollectorFile()); });
  state.counters["positions"] = check.count();
  heap.Report(state);
}

// An unknown code typed: the code table, the list and (option off, or a
// quantity) the searched goods walked to their ends, the worst event.
void Typed(benchmark::State& state, Config config, std::int16_t field, bool quantities) {
  bench::Workspace workspace(Tables(config.kind, config.goods), "scaling_bench");
  const Lists& lists = ListsOf(config.positions);
  CZrobPrufacje check;
  standin::testing::OpenedDialog opened(DialogTemplate().data(), &check.values());
  if (!opened.ok()) return state.SkipWithError("no dialog");
  korpus::ControlState(2, 1, quantities ? 1 : 0);
  const auto type = [&] {
    CheckAccess::Fill(check, lists.normalised);
    std::strcpy(static_cast<char*>(korpus::ValueAddress(kSymbolField)), kUnknownCode);
    *static_cast<std::int32_t*>(korpus::ValueAddress(kQuantityField)) = 2000;
  };
  type();
  check.HandleEvent(field, 1);
  HeapWatch heap;
  TimeEach(
      state, heap,
      [&] {
        type();
      },
      [&] { benchmark::DoNotOptimize(check.HandleEvent(field, 1)); });
  state.counters["positions"] = check.count();
  heap.Report(state);
}

// The first unknown code after the database was opened: the goods and the
// codes are read from the file at the first scan, or were read ahead, as
// korpus reads them, while the user reached the invoice (3 s here).
void FirstTyped(benchmark::State& state, Config config, bool read_ahead) {
  const auto file = DatabaseFile(config.goods);
  const Lists& lists = ListsOf(config.positions);
  HeapWatch heap;
  for (auto _ : state) {
    state.PauseTiming();
    {
      bench::Workspace workspace(nullptr, "scaling_bench");
      CZrobPrufacje check;
      standin::testing::OpenedDialog opened(DialogTemplate().data(), &check.values());
      if (!opened.ok()) return state.SkipWithError("no dialog");
      korpus::ControlState(2, 1, 0);
      // The host entries bound by an event on empty tables: a process
      // binds them once, whatever its database.
      CheckAccess::Fill(check, lists.normalised);
      std::strcpy(static_cast<char*>(korpus::ValueAddress(kSymbolField)), kUnknownCode);
      check.HandleEvent(kSymbolField, 1);
      standin::UseStore(standin::OpenDatabase(file));
      standin::tables::Reset();
      if (read_ahead) {
        standin::CurrentStore().ReadAhead();
        std::this_thread::sleep_for(std::chrono::seconds(3));
      }
      CheckAccess::Fill(check, lists.normalised);
      std::strcpy(static_cast<char*>(korpus::ValueAddress(kSymbolField)), kUnknownCode);
      heap.Start();
      state.ResumeTiming();
      benchmark::DoNotOptimize(check.HandleEvent(kSymbolField, 1));
      state.PauseTiming();
      heap.Stop();
    }
    state.ResumeTiming();
  }
  heap.Report(state);
}

void Sort(benchmark::State& state, Config config) {
  bench::Workspace workspace(nullptr, "scaling_bench");
  const Lists& lists = ListsOf(config.positions);
  CZrobPrufacje check;
  HeapWatch heap;
  TimeEach(
      state, heap,
      [&] {
        CheckAccess::Fill(check, lists.counted);
      },
      [&] { check.SortForDisplay(); });
  heap.Report(state);
}

// A save as the closing dialog makes it, up to the file on disk.
void Save(benchmark::State& state, Config config) {
  bench::Workspace workspace(nullptr, "scaling_bench");
  CZrobPrufacje check;
  CheckAccess::Fill(check, ListsOf(config.positions).counted);
  std::strcpy(CheckAccess::InvoiceNumber(check), InvoiceNumber(config.positions).c_str());
  HeapWatch heap;
  for (auto _ : state) {
    state.PauseTiming();
    standin::testing::ForgetIniFiles();
    std::remove("Niezgodnosci.ini");
    heap.Start();
    state.ResumeTiming();
    check.SaveProgress();
    benchmark::DoNotOptimize(standin::FlushIniFiles());
    state.PauseTiming();
    heap.Stop();
    state.ResumeTiming();
  }
  heap.Report(state);
}

// The next check of the invoice: the file read afresh, the user answers
// yes, every row read back.
void Resume(benchmark::State& state, Config config) {
  bench::Workspace workspace(nullptr, "scaling_bench");
  const Lists& lists = ListsOf(config.positions);
  {
    CZrobPrufacje saved;
    CheckAccess::Fill(saved, lists.counted);
    std::strcpy(CheckAccess::InvoiceNumber(saved), InvoiceNumber(config.positions).c_str());
    saved.SaveProgress();
    standin::FlushIniFiles();
  }
  CZrobPrufacje check;
  HeapWatch heap;
  TimeEach(
      state, heap,
      [&] {
        standin::testing::ForgetIniFiles();
        CheckAccess::Fill(check, {});
        std::strcpy(CheckAccess::InvoiceNumber(check), InvoiceNumber(config.positions).c_str());
        workspace.front().Clear();
        workspace.front().Answer(standin::kAnswerYes);
      },
      [&] { benchmark::DoNotOptimize(check.ResumeProgress()); });
  if (check.count() != static_cast<std::int32_t>(lists.counted.size())) state.SkipWithError("rows lost");
  heap.Report(state);
}

// F5: the file, the summary and the report stored as a document, in a store
// of the kind (the databases of the cache stay as they were made).
void Report(benchmark::State& state, Config config) {
  const auto documents = [&] {
    return config.kind == Kind::Sqlite ? standin::OpenDatabase(":memory:") : standin::MakeMemoryStore();
  };
  bench::Workspace workspace(documents(), "scaling_bench");
  CZrobPrufacje check;
  CheckAccess::Fill(check, ListsOf(config.positions).counted);
  HeapWatch heap;
  int reports = 0;
  for (auto _ : state) {
    heap.Start();
    check.WriteReport();
    state.PauseTiming();
    heap.Stop();
    // The stored reports would pile up.
    if (++reports % 16 == 0) {
      standin::UseStore(documents());
      workspace.front().Clear();
    }
    state.ResumeTiming();
  }
  heap.Report(state);
}

// ------------------------------------------------------ korpus, as started

#ifndef KORPUS_PROGRAM
#define KORPUS_PROGRAM ""
#endif

struct Started {
  int exit_code = -1;
  double wall_ms = 0;
  double max_rss_mb = 0;
};

// korpus with a script, in `folder`, its output thrown away.
Started RunKorpus(const std::filesystem::path& folder, const std::filesystem::path& database, const std::string& script) {
  std::ofstream(folder / "run.script", std::ios::binary) << script;
  const auto begun = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    const int nothing = open("/dev/null", O_RDWR);
    dup2(nothing, 0);
    dup2(nothing, 1);
    dup2(nothing, 2);
    // GNU time reports korpus's own peak: a child forked from this large
    // process would count the pages it shared with it before its exec.
    execl("/usr/bin/time", "time", "-f", "%M", "-o", "peak_kb.txt", KORPUS_PROGRAM, "--db", database.c_str(),
          "--script", "run.script", nullptr);
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Started run;
  run.wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begun).count();
  run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  double peak_kb = 0;
  std::ifstream(folder / "peak_kb.txt") >> peak_kb;
  run.max_rss_mb = peak_kb / 1024.0;
  return run;
}

// A folder with a copy of the database: a check stores its report there.
class KorpusFolder {
 public:
  explicit KorpusFolder(int goods_count) {
    char pattern[] = "/tmp/scaling_korpus.XXXXXX";
    if (::mkdtemp(pattern) != nullptr) folder_ = pattern;
    std::filesystem::copy_file(DatabaseFile(goods_count), folder_ / "korpus.db");
  }
  ~KorpusFolder() { std::filesystem::remove_all(folder_); }
  KorpusFolder(const KorpusFolder&) = delete;
  KorpusFolder& operator=(const KorpusFolder&) = delete;
  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path database() const { return folder_ / "korpus.db"; }

 private:
  std::filesystem::path folder_;
};

constexpr const char* kStartScript = "screen\n";

// From exec to the first register screen printed and the program ended.
void KorpusStart(benchmark::State& state, Config config) {
  KorpusFolder folder(config.goods);
  double rss = 0;
  for (auto _ : state) {
    const Started run = RunKorpus(folder.folder(), folder.database(), kStartScript);
    if (run.exit_code != 0) return state.SkipWithError("korpus failed");
    state.SetIterationTime(run.wall_ms / 1e3);
    rss = std::max(rss, run.max_rss_mb);
  }
  state.counters["max_rss_MB"] = rss;
}

// One whole check in korpus: Ctrl-1 on the invoice of P positions, the
// quantities option off, an unknown code typed, F4 with P lines, F5, Esc.
// Its peak resident memory above a start's, and above the blocks that the
// positions and the items take.
void KorpusCheck(benchmark::State& state, Config config) {
  KorpusFolder folder(config.goods);
  std::ofstream(folder.folder() / "data.txt", std::ios::binary) << ListsOf(config.positions).collector;
  const std::string script = "select " + InvoiceNumber(config.positions) +
                             "\nkey Ctrl-1\nkey Alt-U\nkey Alt-S\ntype " + kUnknownCode +
                             "\nkey Enter\nkey F4\nkey F5\nkey Esc\n";
  double start_rss = 0;
  double check_rss = 0;
  for (auto _ : state) {
    std::filesystem::remove(folder.folder() / "Niezgodnosci.ini");
    const Started start = RunKorpus(folder.folder(), folder.database(), kStartScript);
    const Started run = RunKorpus(folder.folder(), folder.database(), script);
    if (start.exit_code != 0 || run.exit_code != 0) return state.SkipWithError("korpus failed");
    state.SetIterationTime(run.wall_ms / 1e3);
    start_rss = start.max_rss_mb;
    check_rss = std::max(check_rss, run.max_rss_mb);
  }
  // The blocks as written: the item block's first 5000 items and every
  // line's item, the positions with the new goods of one line in five.
  const double items = std::max(config.positions, 5000);
  const double positions = std::max(config.positions * 1.2, 5000.0);
  state.counters["rss_above_start_MB"] = check_rss - start_rss;
  state.counters["blocks_MB"] = (items * 1796.0 + positions * static_cast<double>(sizeof(Position))) / 1048576.0;
}

// ---------------------------------------------------------- the table

struct Operation {
  std::string name;
  void (*body)(benchmark::State&, Config);
  std::vector<Kind> kinds;
  bool by_goods;      // the time depends on G
  bool by_positions;  // the time depends on P
  double budget_ms;   // at P = 50,000, G = 1,000,000, SQLite; 0: none
  bool process;       // korpus as started: wall time of the process
};

void ImportOp(benchmark::State& s, Config c) { Import(s, c); }
void TypedOff(benchmark::State& s, Config c) { Typed(s, c, kSymbolField, false); }
void TypedOn(benchmark::State& s, Config c) { Typed(s, c, kSymbolField, true); }
void TypedQuantity(benchmark::State& s, Config c) { Typed(s, c, kQuantityField, true); }
void FirstTypedRead(benchmark::State& s, Config c) { FirstTyped(s, c, false); }
void FirstTypedReadAhead(benchmark::State& s, Config c) { FirstTyped(s, c, true); }

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = {
      {"Import", ImportOp, {Kind::Memory, Kind::Sqlite}, true, true, 1000, false},
      {"TypedSymbol/quantities:on", TypedOn, {Kind::Memory, Kind::Sqlite}, true, true, 50, false},
      {"TypedSymbol/quantities:off", TypedOff, {Kind::Memory, Kind::Sqlite}, true, true, 50, false},
      {"TypedQuantity", TypedQuantity, {Kind::Memory, Kind::Sqlite}, true, true, 50, false},
      {"FirstTypedSymbol/quantities:off", FirstTypedRead, {Kind::Sqlite}, true, true, 0, false},
      {"FirstTypedSymbol/read ahead", FirstTypedReadAhead, {Kind::Sqlite}, true, true, 100, false},
      {"SaveProgress", Save, {Kind::Memory}, false, true, 300, false},
      {"ResumeProgress", Resume, {Kind::Memory}, false, true, 300, false},
      {"WriteReport", Report, {Kind::Memory, Kind::Sqlite}, false, true, 200, false},
      {"SortForDisplay", Sort, {Kind::Memory}, false, true, 0, false},
      {"KorpusStart", KorpusStart, {Kind::Sqlite}, true, false, 200, true},
      {"KorpusCheck", KorpusCheck, {Kind::Sqlite}, true, true, 0, true},
  };
  return operations;
}

std::string RunName(const Operation& op, Config c) {
  return op.name + "/" + KindName(c.kind) + "/G:" + std::to_string(c.goods) + "/P:" + std::to_string(c.positions);
}

class Collector : public benchmark::ConsoleReporter {
 public:
  struct Result {
    double cpu_ms = 0;
    double wall_ms = 0;
    std::map<std::string, double> counters;
  };
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
      const double iterations = static_cast<double>(run.iterations);
      Result& result = results_[run.run_name.function_name];
      result.cpu_ms = run.cpu_accumulated_time * 1e3 / iterations;
      result.wall_ms = run.real_accumulated_time * 1e3 / iterations;
      for (const auto& [name, counter] : run.counters) result.counters[name] = counter.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  const Result* Find(const std::string& name) const {
    const auto found = results_.find(name);
    return found == results_.end() ? nullptr : &found->second;
  }

 private:
  std::map<std::string, Result> results_;
};

// The least-squares slope of log(time) over log(size).
double Slope(const std::vector<std::pair<double, double>>& points) {
  if (points.size() < 2) return NAN;
  double mx = 0, my = 0;
  for (const auto& [x, y] : points) {
    mx += std::log(x);
    my += std::log(y);
  }
  mx /= static_cast<double>(points.size());
  my /= static_cast<double>(points.size());
  double sxy = 0, sxx = 0;
  for (const auto& [x, y] : points) {
    sxy += (std::log(x) - mx) * (std::log(y) - my);
    sxx += (std::log(x) - mx) * (std::log(x) - mx);
  }
  return sxy / sxx;
}

// What a row of the table shows: CPU time in process, wall time for korpus.
double Shown(const Operation& op, const Collector::Result& r) { return op.process ? r.wall_ms : r.cpu_ms; }

void PrintTable(const Collector& collector) {
  std::printf("\nms per call (CPU in process; wall for korpus as started). Slope: log-log over P at each G, and "
              "over G at P = 50,000.\n");
  std::printf("%-34s %-7s", "operation", "store");
  for (const int g : kSizesG) {
    for (const int p : kSizesP) std::printf(" %10s", ("G" + std::to_string(g / 1000) + "k/P" + std::to_string(p / 1000) + "k").c_str());
  }
  std::printf(" %8s %8s %8s %10s\n", "slopeP1", "slopeP2", "slopeG", "heap MB");
  for (const Operation& op : Operations()) {
    for (const Kind kind : op.kinds) {
      std::printf("%-34s %-7s", op.name.c_str(), KindName(kind));
      std::vector<double> slopes_p;
      std::vector<std::pair<double, double>> over_g;
      double heap = 0;
      for (const int g : kSizesG) {
        std::vector<std::pair<double, double>> over_p;
        for (const int p : kSizesP) {
          const Collector::Result* r =
              (!op.by_goods && g != kSizesG[0]) || (!op.by_positions && p != kSizesP[0])
                  ? nullptr
                  : collector.Find(RunName(op, {kind, g, p}));
          if (r == nullptr) {
            std::printf(" %10s", "-");
            continue;
          }
          std::printf(" %10.3f", Shown(op, *r));
          over_p.emplace_back(p, Shown(op, *r));
          if (!op.by_positions || p == kSizesP[2]) over_g.emplace_back(g, Shown(op, *r));
          for (const char* counter : {"peak_heap_MB", "rss_above_start_MB"}) {
            const auto found = r->counters.find(counter);
            if (found != r->counters.end()) heap = std::max(heap, found->second);
          }
        }
        slopes_p.push_back(op.by_positions ? Slope(over_p) : NAN);
      }
      std::printf(" %8.2f %8.2f %8.2f %10.2f\n", slopes_p[0], slopes_p[1], op.by_goods ? Slope(over_g) : NAN, heap);
    }
  }
  std::printf("\nBudgets at P = I = 50,000, G = 1,000,000, C = 200,000, SQLite store:\n");
  for (const Operation& op : Operations()) {
    if (op.budget_ms == 0) continue;
    const Kind kind = std::find(op.kinds.begin(), op.kinds.end(), Kind::Sqlite) != op.kinds.end() ? Kind::Sqlite : Kind::Memory;
    const Collector::Result* r = collector.Find(
        RunName(op, {kind, op.by_goods ? kSizesG[1] : kSizesG[0], op.by_positions ? kSizesP[2] : kSizesP[0]}));
    if (r == nullptr) continue;
    std::printf("  %-34s %9.1f ms CPU %9.1f ms wall  budget %6.0f ms  %s\n", op.name.c_str(), r->cpu_ms, r->wall_ms,
                op.budget_ms, std::max(r->cpu_ms, r->wall_ms) < op.budget_ms ? "met" : "NOT MET");
  }
  if (const Collector::Result* r = collector.Find(RunName(Operations().back(), {Kind::Sqlite, kSizesG[1], kSizesP[2]}))) {
    std::printf("  korpus's whole check: %.1f MB resident above its start, of which blocks (positions, items) %.1f MB\n",
                r->counters.at("rss_above_start_MB"), r->counters.at("blocks_MB"));
  }
}

}  // namespace
}  // namespace verify

int main(int argc, char** argv) {
  using namespace verify;
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // Grouped by store and G, so that one store is made at a time.
  for (const Kind kind : {Kind::Memory, Kind::Sqlite}) {
    for (const int g : kSizesG) {
      for (const int p : kSizesP) {
        for (const Operation& op : Operations()) {
          if (std::find(op.kinds.begin(), op.kinds.end(), kind) == op.kinds.end()) continue;
          if ((!op.by_goods && g != kSizesG[0]) || (!op.by_positions && p != kSizesP[0])) continue;
          const Config config{kind, g, p};
          auto* run = benchmark::RegisterBenchmark(RunName(op, config).c_str(),
                                                   [op, config](benchmark::State& s) { op.body(s, config); });
          run->Unit(benchmark::kMillisecond);
          if (op.process) {
            run->UseManualTime()->Iterations(op.name == "KorpusCheck" ? 1 : 5);
          } else if (op.body == FirstTypedRead || op.body == FirstTypedReadAhead) {
            run->Iterations(2);
          } else {
            run->MinTime(0.2);
          }
        }
      }
    }
  }
  host::binding::ResetForTests();
  host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
  Collector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  PrintTable(collector);
  benchmark::Shutdown();
  return 0;
}
