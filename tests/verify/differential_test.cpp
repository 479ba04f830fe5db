// The plug-in against the literal check (tests/reference) on random lists,
// collector files and host tables: both must leave the same position bytes,
// counters and item bytes, show the same boxes in the same order, and leave
// the context numbers and scans as they found them. Faults of scans and of
// host memory are part of the inputs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "standin/dialog/controls.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/files/files.h"
#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/testing.h"
#include "tests/reference/literal_check.h"
#include "tests/support/refusing_new.h"
#include "tests/support/goods_totals.h"
#include "tests/support/make_positions.h"
#include "tests/support/mazovia.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/dialog_template.h"

namespace verify {
namespace {

using reference::LiteralCheck;
using testing_support::MakeItem;
using testing_support::MakePosition;

// Texts as users write them (UTF-8); the list and the items hold Mazovia.
const std::vector<std::string> kSymbols = {
    "A1", "A2", "B7", "C3", "C 3", " A1", "Ż1", "ŁÓDŹ", "X", "", "", "LONG0123456789AB", "VERYLONGCODE0123456789",
};
const std::vector<std::string> kNames = {"Nit", "Śruba M6", "Wkręt", "Nowy towar", "", "Taśma"};

using ::testing_support::Mz;

// The host's side of one scenario and the state it starts in.
struct World {
  std::vector<Position> positions;
  std::vector<standin::CatalogueRow> catalogues;
  std::vector<standin::GoodsRow> goods;
  std::vector<standin::CodeRow> codes;
  bool no_additions = false;
  std::int32_t fail_start_table = 0;  // 0: none
  std::int32_t fail_after_table = 0;
  long fail_after = -1;
  long fail_allocation = 0;      // the n-th host allocation of the run fails; 0: none
  long no_index_memory = 0;  // the plug-in's own nothrow requests are refused from the n-th on
  std::int16_t first_context = 0;
  std::int16_t second_context = 0;
};

// What a run leaves that a user or the host could see.
struct Outcome {
  std::int32_t result = 0;
  std::string positions;
  std::string counters;
  std::string extra;  // what the action itself reports: items, fields
  std::vector<std::string> boxes;
  int signals = 0;
  std::int16_t first_context = 0;
  std::int16_t second_context = 0;
  int active_scans = 0;
  bool operator==(const Outcome&) const = default;
};

void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << "result " << outcome.result << ", " << outcome.positions.size() / sizeof(Position) << " positions:";
  for (std::size_t at = 0; at + sizeof(Position) <= outcome.positions.size(); at += sizeof(Position)) {
    Position p;
    std::memcpy(&p, outcome.positions.data() + at, sizeof p);
    *out << "\n  " << codepage::MazoviaToUtf8(p.name) << "|" << codepage::MazoviaToUtf8(p.symbol) << "|" << p.counted
         << "|" << p.invoiced;
  }
  *out << "\nboxes:";
  for (const std::string& box : outcome.boxes) *out << "\n  " << box;
  *out << "\nsignals " << outcome.signals << ", context " << outcome.first_context << "/" << outcome.second_context
       << ", scans " << outcome.active_scans;
}

// Where a sort leaves the order of equal elements open, each run of
// neighbours that it cannot tell apart is put in byte order, on both sides.
enum class Ties { Kept, BySymbol, ForDisplay };

void OrderTies(std::string& bytes, Ties ties) {
  if (ties == Ties::Kept || bytes.size() < sizeof(Position)) return;
  std::vector<Position> list(bytes.size() / sizeof(Position));
  std::memcpy(list.data(), bytes.data(), list.size() * sizeof(Position));
  auto alike = [ties](const Position& a, const Position& b) {
    if (std::strcmp(a.symbol, b.symbol) != 0) return false;
    return ties == Ties::BySymbol || std::int64_t{a.counted} - a.invoiced == std::int64_t{b.counted} - b.invoiced;
  };
  for (auto start = list.begin(); start != list.end();) {
    auto end = std::next(start);
    while (end != list.end() && alike(*start, *end)) ++end;
    std::sort(start, end, [](const Position& a, const Position& b) { return std::memcmp(&a, &b, sizeof a) < 0; });
    start = end;
  }
  std::memcpy(bytes.data(), list.data(), list.size() * sizeof(Position));
}

// True when the name sort's open order can change what is merged: a name
// shared by positions of several symbols with one of them twice, or sums
// that leave 32 bits on the way in one order and not in another.
bool OrderDecidesTheMerge(const std::vector<Position>& positions) {
  std::map<std::string, std::vector<const Position*>> by_name;
  for (const Position& p : positions) by_name[p.name].push_back(&p);
  for (const auto& [name, group] : by_name) {
    std::set<std::string> symbols;
    std::int64_t highest[2] = {0, 0};
    std::int64_t lowest[2] = {0, 0};
    for (const Position* p : group) {
      symbols.insert(p->symbol);
      const std::int32_t quantities[2] = {p->counted, p->invoiced};
      for (int q = 0; q < 2; ++q) (quantities[q] > 0 ? highest[q] : lowest[q]) += quantities[q];
    }
    if (symbols.size() == group.size()) continue;
    if (symbols.size() > 1) return true;
    for (int q = 0; q < 2; ++q) {
      if (highest[q] > std::numeric_limits<std::int32_t>::max() || lowest[q] < std::numeric_limits<std::int32_t>::min()) {
        return true;
      }
    }
  }
  return false;
}

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
  bool Chance(double p) { return std::bernoulli_distribution(p)(engine_); }
  const std::string& Pick(const std::vector<std::string>& from) {
    return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
  }
  std::int32_t Quantity() {
    if (Chance(0.03)) return 2147000000;
    return 1000 * (Below(9) - 2) + (Chance(0.2) ? 500 : 0);
  }

 private:
  std::mt19937 engine_;
};

struct Sizes {
  int positions;
  int goods;
  int codes;
  int items;
};

World MakeWorld(Random& random, const Sizes& sizes) {
  World world;
  const int positions = random.Below(sizes.positions + 1);
  for (int i = 0; i < positions; ++i) {
    const std::int32_t counted = random.Chance(0.05) ? 2147483000 : random.Chance(0.5) ? 0 : random.Quantity();
    const std::int32_t invoiced = random.Chance(0.2) ? 0 : 1000 * (1 + random.Below(5));
    world.positions.push_back(MakePosition(random.Pick(kNames), random.Pick(kSymbols), counted, invoiced));
  }
  // Catalogue 70000 names catalogue 4464 once cut to the host's 16 bits.
  for (const std::int32_t number : {1, 2, 3, 70000}) {
    world.catalogues.push_back({number, "Katalog", random.Chance(0.7)});
  }
  const int goods = random.Below(sizes.goods + 1);
  for (int i = 0; i < goods; ++i) {
    const std::int32_t catalogue = random.Chance(0.1) ? 4464 : 1 + random.Below(3);
    world.goods.push_back({catalogue, 1 + random.Below(std::max(1, sizes.goods / 2)), random.Pick(kNames),
                           random.Chance(0.3) ? "G" + std::to_string(random.Below(40)) : random.Pick(kSymbols)});
  }
  const int codes = random.Below(sizes.codes + 1);
  const std::vector<std::int32_t> factors = {1000, 1000, 6000, 12000, 500};
  for (int i = 0; i < codes; ++i) {
    standin::CodeRow code;
    code.code = random.Chance(0.5) ? "K" + std::to_string(random.Below(20)) : random.Pick(kSymbols);
    code.factor = factors[static_cast<std::size_t>(random.Below(5))];
    code.goods_symbol = random.Pick(kSymbols);
    if (!world.goods.empty() && random.Chance(0.8)) {
      const auto& target = world.goods[static_cast<std::size_t>(random.Below(static_cast<int>(world.goods.size())))];
      code.catalogue = target.catalogue;
      code.goods_id = target.id;
    }
    world.codes.push_back(code);
  }
  world.no_additions = random.Chance(0.25);
  const std::int32_t tables[] = {48, 49, 117};
  if (random.Chance(0.15)) world.fail_start_table = tables[random.Below(3)];
  if (random.Chance(0.25)) {
    world.fail_after_table = tables[random.Below(3)];
    world.fail_after = random.Below(6);
  }
  if (random.Chance(0.2)) world.fail_allocation = 1 + random.Below(6);
  world.first_context = static_cast<std::int16_t>(random.Below(100));
  world.second_context = static_cast<std::int16_t>(random.Below(100));
  return world;
}

std::vector<CountedItem> MakeItems(Random& random, int most) {
  std::vector<CountedItem> items;
  const int count = 1 + random.Below(most);
  for (int i = 0; i < count; ++i) {
    const std::string symbol = random.Chance(0.3)   ? "K" + std::to_string(random.Below(20))
                               : random.Chance(0.2) ? "G" + std::to_string(random.Below(40))
                                                    : random.Pick(kSymbols);
    items.push_back(MakeItem(symbol, random.Quantity(), random.Chance(0.3) ? random.Pick(kSymbols) : ""));
  }
  return items;
}

// A collector file in Mazovia: several layouts, blank lines, lines without a
// quantity, fractions, signs, now and then a NUL or a bad quantity.
std::string MakeCollectorFile(Random& random, int most) {
  std::string data;
  const int lines = random.Below(most + 1);
  // One file in ten is refused for a quantity too large to count.
  const int bad_line = random.Chance(0.1) ? random.Below(lines + 1) : -1;
  for (int i = 0; i < lines; ++i) {
    if (i == bad_line) data += "A1,99999999999\n";
    const std::string code = Mz(random.Chance(0.3)   ? "K" + std::to_string(random.Below(20))
                                : random.Chance(0.2) ? "G" + std::to_string(random.Below(40))
                                                     : random.Pick(kSymbols));
    const std::string quantity = std::to_string(random.Below(7) - 1);
    switch (random.Below(9)) {
      case 0:
        data += code + "," + quantity + ",003278,14:41:03\r\n";
        break;
      case 1:
        data += " " + code + " ;  +" + quantity + ".5\n";
        break;
      case 2:
        data += code + "\n";
        break;
      case 3:
        data += "\n";
        break;
      case 4:
        data += code + "\t" + quantity + "\n";
        break;
      case 5:
        data += random.Chance(0.1) ? std::string("\0A1,1\n", 6) : code + ",x\n";
        break;
      default:
        data += code + "," + quantity + "\n";
        break;
    }
  }
  if (!data.empty() && random.Chance(0.3)) data.pop_back();
  return data;
}

class DifferentialTest : public ::testing::Test {
 protected:
  void SetUp() override { standin::files::Reset(); }
  void TearDown() override {
    standin::tables::Reset();
    standin::testing::SetControlState(7, 0);
    standin::UseStore(nullptr);
  }

  using Action = std::function<std::int32_t(CZrobPrufacje&, std::string& extra)>;

  // `compare` on a random world of `sizes` for each seed in turn, up to the
  // first seed that fails.
  void ForEachSeed(unsigned first, unsigned last, const Sizes& sizes,
                   const std::function<void(World&, Random&)>& compare) {
    for (unsigned seed = first; seed <= last; ++seed) {
      SCOPED_TRACE("seed " + std::to_string(seed));
      Random random(seed);
      World world = MakeWorld(random, sizes);
      compare(world, random);
      if (HasFailure()) return;
    }
  }

  // Runs `action` on a fresh check over the world, as product or reference.
  Outcome Run(const World& world, const Action& action) {
    auto store = standin::MakeMemoryStore();
    store->AddCatalogues(world.catalogues);
    store->AddGoods(world.goods);
    store->AddCodes(world.codes);
    standin::UseStore(store);
    standin::tables::Reset();
    standin::testing::ClearFaults();
    for (std::int32_t id : {0, 2}) standin::testing::SetControlState(id, 0);
    standin::testing::SetControlState(7, world.no_additions ? 1 : 0);
    *korpus::FirstContextNumber() = world.first_context;
    *korpus::SecondContextNumber() = world.second_context;
    front_.Clear();

    CZrobPrufacje check;
    CheckAccess::Fill(check, world.positions);
    if (world.fail_start_table != 0) standin::testing::FailScanStart(world.fail_start_table, true);
    if (world.fail_after_table != 0) standin::testing::FailScanAfter(world.fail_after_table, world.fail_after);
    standin::testing::FailNth(standin::Fault::Allocation, world.fail_allocation);

    Outcome outcome;
    refusing_new::RefuseFrom(world.no_index_memory);
    outcome.result = action(check, outcome.extra);
    refusing_new::Refuse(false);
    standin::testing::ClearFaults();
    outcome.positions.assign(reinterpret_cast<const char*>(CheckAccess::Block(check)),
                             static_cast<std::size_t>(check.count()) * sizeof(Position));
    const SummaryCounters counters = CheckAccess::Counters(check);
    outcome.counters.assign(reinterpret_cast<const char*>(&counters), sizeof counters);
    for (const auto& box : front_.boxes()) {
      outcome.boxes.push_back(box.CaptionUtf8() + " | " + box.TextUtf8() + " | " + std::to_string(box.kind));
    }
    outcome.signals = front_.signals();
    outcome.first_context = *korpus::FirstContextNumber();
    outcome.second_context = *korpus::SecondContextNumber();
    outcome.active_scans = standin::tables::ActiveScans();
    return outcome;
  }

  // Product and reference on the same world; the product's outcome.
  Outcome Compare(const World& world, const Action& product, const Action& literal, Ties ties = Ties::Kept) {
    Outcome expected = Run(world, literal);
    Outcome actual = Run(world, product);
    OrderTies(expected.positions, ties);
    OrderTies(actual.positions, ties);
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(actual.first_context, world.first_context);
    EXPECT_EQ(actual.second_context, world.second_context);
    EXPECT_EQ(actual.active_scans, 0);
    return actual;
  }

  // A merge of items; the items' bytes afterwards are part of the outcome.
  Outcome CompareMerge(const World& world, const std::vector<CountedItem>& items) {
    auto merge = [&](bool literal) {
      return [&, literal](CZrobPrufacje& check, std::string& extra) {
        std::vector<CountedItem> copy = items;
        if (literal) {
          LiteralCheck(check).MergeCountedItems(copy.data(), static_cast<std::int32_t>(copy.size()));
        } else {
          check.MergeCountedItems(copy.data(), static_cast<std::int32_t>(copy.size()));
        }
        extra.assign(reinterpret_cast<const char*>(copy.data()), copy.size() * sizeof(CountedItem));
        return 0;
      };
    };
    return Compare(world, merge(false), merge(true));
  }

  enum class Input { Items, CollectorFile };

  // The merge of random items, or the import of a random collector file, of
  // `sizes` over a random world per seed.
  void CompareForSeeds(Input input, unsigned first, unsigned last, const Sizes& sizes, long no_index_memory = 0) {
    ForEachSeed(first, last, sizes, [&](World& world, Random& random) {
      world.no_index_memory = no_index_memory;
      if (input == Input::Items) {
        CompareMerge(world, MakeItems(random, sizes.items));
      } else {
        CompareImport(world, MakeCollectorFile(random, sizes.items));
      }
    });
  }

  Outcome CompareImport(const World& world, const std::string& data) {
    { std::ofstream(session_.directory() / "data.txt", std::ios::binary) << data; }
    return Compare(
        world, [](CZrobPrufacje& check, std::string&) { return check.ReadCollectorFile(); },
        [](CZrobPrufacje& check, std::string&) { return LiteralCheck(check).ReadCollectorFile(); }, Ties::ForDisplay);
  }

  ::testing_support::StandInSession session_{"prufacja-diff"};
  standin::RecordingFrontEnd front_;
};

constexpr Sizes kSmall{12, 30, 15, 15};
constexpr Sizes kMedium{300, 1000, 300, 400};

TEST_F(DifferentialTest, MergeOfRandomItemsMatchesTheLiteralMerge) { CompareForSeeds(Input::Items, 1, 300, kSmall); }

TEST_F(DifferentialTest, MergeOfMediumListsMatchesTheLiteralMerge) { CompareForSeeds(Input::Items, 1001, 1006, kMedium); }

TEST_F(DifferentialTest, ImportOfRandomFilesMatchesTheLiteralImport) {
  CompareForSeeds(Input::CollectorFile, 2001, 2300, kSmall);
}

TEST_F(DifferentialTest, ImportOfMediumFilesMatchesTheLiteralImport) {
  CompareForSeeds(Input::CollectorFile, 3001, 3006, kMedium);
}

// Without memory for its indexes the plug-in walks the tables per item.
TEST_F(DifferentialTest, MergeWithoutMemoryForIndexesMatchesTheLiteralMerge) {
  CompareForSeeds(Input::Items, 6001, 6100, kSmall, 1);
}

TEST_F(DifferentialTest, ImportWithoutMemoryForIndexesMatchesTheLiteralImport) {
  CompareForSeeds(Input::CollectorFile, 7001, 7100, kSmall, 1);
}

// Memory that runs out part-way: whichever of the plug-in's own requests
// is the first refused, the merge and the import agree with the literal
// ones.
TEST_F(DifferentialTest, MemoryRunningOutPartWayMatchesTheLiteralMergeAndImport) {
  for (const long from : {2, 3, 4, 5, 6, 7}) {
    SCOPED_TRACE("refused from request " + std::to_string(from));
    CompareForSeeds(Input::Items, 6101, 6110, kSmall, from);
    CompareForSeeds(Input::CollectorFile, 7101, 7110, kSmall, from);
  }
}

TEST_F(DifferentialTest, NormalisingRandomListsMatchesTheLiteralNormalisation) {
  ForEachSeed(4001, 4200, kSmall, [&](World& world, Random& random) {
    // Few names and symbols, so that equal neighbours are common; in half
    // the lists a name has one symbol, so that the merge is the same in
    // every order of the names.
    const bool symbol_of_name = random.Chance(0.5);
    for (Position& p : world.positions) {
      const auto name = static_cast<std::size_t>(random.Below(3));
      std::strncpy(p.name, Mz(kNames[name]).c_str(), sizeof p.name - 1);
      const std::size_t symbol = symbol_of_name ? name : static_cast<std::size_t>(random.Below(3));
      std::strncpy(p.symbol, Mz(kSymbols[symbol]).c_str(), sizeof p.symbol - 1);
    }
    const Action product = [](CZrobPrufacje& check, std::string&) {
      check.NormalisePositions();
      return 0;
    };
    if (!OrderDecidesTheMerge(world.positions)) {
      Compare(
          world, product, [](CZrobPrufacje& check, std::string&) { return LiteralCheck(check).NormalisePositions(); },
          Ties::BySymbol);
    } else {
      // Only what every order gives: nothing lost or doubled, the list by
      // symbol, the count on the document.
      const Outcome outcome = Run(world, product);
      std::vector<Position> list(outcome.positions.size() / sizeof(Position));
      if (!list.empty()) std::memcpy(list.data(), outcome.positions.data(), list.size() * sizeof(Position));
      EXPECT_EQ(::testing_support::TotalsOf(list), ::testing_support::TotalsOf(world.positions));
      EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), [](const Position& a, const Position& b) {
        return std::strcmp(a.symbol, b.symbol) < 0;
      }));
      SummaryCounters counters;
      std::memcpy(&counters, outcome.counters.data(), sizeof counters);
      EXPECT_EQ(counters.on_document, static_cast<std::int32_t>(list.size()));
    }
  });
}

TEST_F(DifferentialTest, TypedSymbolsAndQuantitiesMatchTheLiteralEntry) {
  ForEachSeed(5001, 5150, kSmall, [&](World& world, Random& random) {
    const std::string symbol = Mz(random.Chance(0.3) ? "K" + std::to_string(random.Below(20)) : random.Pick(kSymbols));
    const std::int32_t quantity = random.Quantity();
    const bool quantities = random.Chance(0.5);
    const std::int16_t code = random.Chance(0.5) ? 3 : 5;
    auto typed = [&](bool literal) {
      return [&, literal](CZrobPrufacje& check, std::string& extra) {
        standin::testing::OpenedDialog opened(DialogTemplate().data(), &check.values());
        if (!opened.ok()) return -100;
        std::strncpy(static_cast<char*>(korpus::ValueAddress(3)), symbol.c_str(), 16);
        *static_cast<std::int32_t*>(korpus::ValueAddress(5)) = quantity;
        korpus::ControlState(2, 1, quantities ? 1 : 0);
        korpus::ControlState(7, 1, world.no_additions ? 1 : 0);
        const std::int32_t result = literal ? LiteralCheck(check).TypedEvent(code) : check.HandleEvent(code, 1);
        // The two fields as the user sees them afterwards.
        extra = std::string(static_cast<const char*>(korpus::ValueAddress(3))) + "|" +
                std::to_string(*static_cast<std::int32_t*>(korpus::ValueAddress(5))) + "|" +
                std::to_string(standin::testing::ControlStateOf(0));
        return result;
      };
    };
    Compare(world, typed(false), typed(true), code == 5 ? Ties::ForDisplay : Ties::Kept);
  });
}

// More codes found than the walk's first room holds, some twice in the
// table, with both kinds of factor.
TEST_F(DifferentialTest, ImportOfManyPackageCodesMatchesTheLiteralImport) {
  World world;
  world.catalogues = {{1, "Pierwszy", true}};
  std::string data;
  for (int n = 0; n < 300; ++n) {
    const std::string symbol = "S" + std::to_string(n % 150);
    world.goods.push_back({1, n + 1, "Towar " + std::to_string(n), symbol});
    world.codes.push_back({"K" + std::to_string(n), n % 3 == 0 ? 1000 : 6000, symbol, 1, n + 1});
    if (n % 7 == 0) world.codes.push_back({"K" + std::to_string(n), 12000, "X", 1, 1});
    if (n < 100) world.positions.push_back(MakePosition("Towar", symbol, 0, 1000));
    data += "K" + std::to_string(n) + "," + std::to_string(1 + n % 4) + "\n";
  }
  const Outcome outcome = CompareImport(world, data);
  EXPECT_EQ(outcome.result, -2);
  EXPECT_GT(outcome.positions.size() / sizeof(Position), 100u);
}

// The stopping rule of the goods search, written out: the first searched
// catalogue's goods scan ends with 0 after one record, so an item whose
// goods lie in the second catalogue is not found and becomes "Nowy towar",
// while one whose goods are the first record is found.
TEST_F(DifferentialTest, GoodsScanEndingWithZeroStopsTheSearchForEveryItem) {
  World world;
  world.catalogues = {{1, "Pierwszy", true}, {2, "Drugi", true}};
  world.goods = {{1, 1, "Nit", "N1"}, {1, 2, "Wkręt", "W1"}, {2, 1, "Śruba", "S1"}};
  world.fail_after_table = 49;
  world.fail_after = 1;
  const Outcome outcome = CompareMerge(world, {MakeItem("S1", 2000), MakeItem("N1", 1000), MakeItem("W1", 3000)});
  std::vector<std::string> rows;
  for (std::size_t at = 0; at < outcome.positions.size(); at += sizeof(Position)) {
    Position p;
    std::memcpy(&p, outcome.positions.data() + at, sizeof p);
    rows.push_back(codepage::MazoviaToUtf8(p.name) + "|" + p.symbol + "|" + std::to_string(p.counted));
  }
  EXPECT_EQ(rows, (std::vector<std::string>{"Nowy towar|S1|2000", "Nit|N1|1000", "Nowy towar|W1|3000"}));
}

// The import with a package code and the same failing goods scan: the
// package's goods are the first record and are found; goods further on are
// new.
TEST_F(DifferentialTest, ImportTranslatesAPackageAndFindsOnlyGoodsBeforeTheScanThatFails) {
  World world;
  world.catalogues = {{1, "Pierwszy", true}, {2, "Wyłączony", false}, {3, "Drugi", true}};
  world.goods = {{1, 1, "Nit", "N1"}, {3, 1, "Śruba", "S1"}};
  world.codes = {{"K6", 6000, "N1", 0, 0}, {"K6", 12000, "S1", 0, 0}};
  world.positions = {MakePosition("Wkręt", "W1", 0, 1000)};
  world.fail_after_table = 49;
  world.fail_after = 1;
  const Outcome outcome = CompareImport(world, "K6,2\nW 1,1\nS1,1\n");
  std::vector<std::string> rows;
  for (std::size_t at = 0; at < outcome.positions.size(); at += sizeof(Position)) {
    Position p;
    std::memcpy(&p, outcome.positions.data() + at, sizeof p);
    rows.push_back(codepage::MazoviaToUtf8(p.name) + "|" + p.symbol + "|" + std::to_string(p.counted));
  }
  EXPECT_EQ(outcome.result, -2);
  EXPECT_EQ(rows, (std::vector<std::string>{"Wkręt|W1|1000", "Nowy towar|S1|1000", "Nit|N1|12000"}));
}

}  // namespace
}  // namespace verify
