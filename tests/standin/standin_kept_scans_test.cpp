// The database store keeps the goods table and the code table; whatever is
// written afterwards, through the store or by another program, reaches the
// next scan. A kept catalogue scans as SQLite's own query of it does: the
// same rows in the same order, and the same problems told at its first
// scan.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <future>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "standin/tables/store.h"
#include "standin/testing.h"
#include "standin/tables/value_problems.h"
#include "tests/support/legacy_database.h"

namespace standin {
namespace {

constexpr std::int64_t kWholeCatalogue = std::numeric_limits<std::int64_t>::min();

std::vector<std::string> Rows(std::unique_ptr<RowCursor> cursor) {
  std::vector<std::string> rows;
  RowView row;
  while (cursor->Next(row) == Step::Row) {
    rows.push_back(std::string(row.code.empty() ? row.symbol : row.code) + "/" +
                   std::string(row.code.empty() ? row.name : row.goods_symbol) + "/" + std::to_string(row.id) + "/" +
                   std::to_string(row.factor));
  }
  return rows;
}

class KeptScans : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = std::filesystem::temp_directory_path() /
            ("kept_scans_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".db");
    std::filesystem::remove(file_);
    store_ = OpenDatabase(file_);
    store_->AddCatalogues(std::vector<CatalogueRow>{{1, "Pierwszy", true}});
    store_->AddGoods(std::vector<GoodsRow>{{1, 1, "Nit", "N1"}, {1, 2, "Wkręt", "W1"}});
    store_->AddCodes(std::vector<CodeRow>{{"K1", 6000, "N1", 1, 1}});
  }
  void TearDown() override {
    store_.reset();
    std::filesystem::remove(file_);
  }

  // SQL as a user's SQLite tool runs it, on a connection of its own.
  void OtherProgram(const char* sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
  }

  std::filesystem::path file_;
  std::shared_ptr<Store> store_;
};

TEST_F(KeptScans, GoodsWrittenByAnotherProgramReachTheNextScan) {
  EXPECT_EQ(Rows(store_->ScanGoods(1, kWholeCatalogue)), (std::vector<std::string>{"N1/Nit/1/0", "W1/Wkręt/2/0"}));
  OtherProgram(
      "INSERT INTO goods (catalogue, id, name, symbol) VALUES (1, 0, 'Klej', 'K9');"
      "UPDATE goods SET name = 'Nit stalowy' WHERE symbol = 'N1';");
  EXPECT_EQ(Rows(store_->ScanGoods(1, kWholeCatalogue)),
            (std::vector<std::string>{"K9/Klej/0/0", "N1/Nit stalowy/1/0", "W1/Wkręt/2/0"}));
}

TEST_F(KeptScans, CodesWrittenByAnotherProgramReachTheNextScan) {
  EXPECT_EQ(Rows(store_->ScanCodes()), (std::vector<std::string>{"K1/N1/1/6000"}));
  OtherProgram(
      "UPDATE codes SET factor = 12000; INSERT INTO codes VALUES ('A0', 1000, 'W1', 0, 0);");
  EXPECT_EQ(Rows(store_->ScanCodes()), (std::vector<std::string>{"A0/W1/0/1000", "K1/N1/1/12000"}));
}

TEST_F(KeptScans, RowsWrittenThroughTheStoreReachTheNextScan) {
  Rows(store_->ScanGoods(1, kWholeCatalogue));
  Rows(store_->ScanCodes());
  store_->AddGoods(GoodsRow{1, 3, "Taśma", "T1"});
  EXPECT_EQ(Rows(store_->ScanGoods(1, kWholeCatalogue)),
            (std::vector<std::string>{"N1/Nit/1/0", "W1/Wkręt/2/0", "T1/Taśma/3/0"}));
  store_->AddCode(CodeRow{"K2", 1000, "", 1, 3});
  EXPECT_EQ(Rows(store_->ScanCodes()), (std::vector<std::string>{"K1/N1/1/6000", "K2//3/1000"}));
}

TEST_F(KeptScans, AScanBegunBeforeAWriteDeliversTheRowsItBeganWith) {
  Rows(store_->ScanGoods(1, kWholeCatalogue));
  auto begun = store_->ScanGoods(1, kWholeCatalogue);
  OtherProgram("DELETE FROM goods WHERE symbol = 'W1';");
  EXPECT_EQ(Rows(store_->ScanGoods(1, kWholeCatalogue)), (std::vector<std::string>{"N1/Nit/1/0"}));
  EXPECT_EQ(Rows(std::move(begun)), (std::vector<std::string>{"N1/Nit/1/0", "W1/Wkręt/2/0"}));
}

TEST_F(KeptScans, ACatalogueScanFromAnIdStartsThere) {
  Rows(store_->ScanGoods(1, kWholeCatalogue));
  EXPECT_EQ(Rows(store_->ScanGoods(1, 2)), (std::vector<std::string>{"W1/Wkręt/2/0"}));
}

// A scan from id 0 is SQLite's own query of the catalogue, never kept: the
// order that the kept scan must give.
std::vector<std::string> AsQueried(Store& store, std::int64_t catalogue) {
  return Rows(store.ScanGoods(catalogue, 0));
}

struct Layout {
  const char* name;
  std::vector<GoodsRow> goods;  // in the order they are written
};

std::vector<Layout> Layouts() {
  std::vector<Layout> layouts;
  Layout interleaved{"catalogues interleaved", {}};
  for (int i = 0; i < 300; ++i) interleaved.goods.push_back({i % 3, i / 3, "Towar " + std::to_string(i), "T" + std::to_string(i)});
  layouts.push_back(interleaved);
  Layout falling{"ids falling as rows are written", {}};
  for (int id = 100; id >= 1; --id) falling.goods.push_back({1, id, "Nit " + std::to_string(id), "N" + std::to_string(id)});
  layouts.push_back(falling);
  // Enough rows that an unstable sort would swap equal ids.
  Layout equal{"equal ids keep the order they were written in", {}};
  for (int i = 0; i < 400; ++i) equal.goods.push_back({2, (i * 7919) % 9, "Wkręt " + std::to_string(i), "W" + std::to_string(i)});
  layouts.push_back(equal);
  layouts.push_back({"the ends of the 16-bit numbers",
                     {{65535, 65535, "Ostatni", "Z"}, {0, 65535, "Zero", "Z0"}, {65535, 0, "Pierwszy", "A"}, {0, 0, "", ""}}});
  return layouts;
}

TEST(KeptCatalogues, EveryCatalogueScansAsItsOwnQueryOrdersIt) {
  for (const Layout& layout : Layouts()) {
    SCOPED_TRACE(layout.name);
    const auto file = std::filesystem::temp_directory_path() / ("kept_layout_" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(file);
    const auto store = OpenDatabase(file);
    store->AddGoods(layout.goods);
    for (const std::int64_t catalogue : {0, 1, 2, 3, 65535}) {
      SCOPED_TRACE(catalogue);
      const auto kept = Rows(store->ScanGoods(catalogue, kWholeCatalogue));
      EXPECT_EQ(kept, AsQueried(*store, catalogue));
      // Read a second time from what is kept.
      EXPECT_EQ(Rows(store->ScanGoods(catalogue, kWholeCatalogue)), kept);
    }
    std::filesystem::remove(file);
  }
}

// An older database: catalogue 1 has one row left out; catalogue 2 a name
// to cut, one left out for its NULL name and one for a BLOB symbol; two
// rows belong to no catalogue that can be asked for.
constexpr const char* kBrokenGoodsSql = R"sql(
INSERT INTO goods VALUES (2, 9, 'Bardzo długa nazwa towaru, która nie mieści się w stu dwudziestu znakach rekordu pozycji, bo ma ich aż sto trzydzieści dwa', 'D1');
INSERT INTO goods VALUES (1, 1, 'Taśma', 'T1');
INSERT INTO goods VALUES (2, 3, NULL, 'N2');
INSERT INTO goods VALUES ('x', 1, 'Zbłąkany', 'S1');
INSERT INTO goods VALUES (1, 70000, 'Towar', 'T2');
INSERT INTO goods VALUES (2, 5, 'Klej', X'FF');
INSERT INTO goods VALUES (2.5, 1, 'Połowa', 'P1');
INSERT INTO goods VALUES (2, 1, 'Nit', 'N1');
)sql";

TEST(KeptCatalogues, ACatalogueTellsItsProblemsAtItsFirstScanInItsOrder) {
  const auto file = std::filesystem::temp_directory_path() / ("kept_problems_" + std::to_string(::getpid()) + ".db");
  std::filesystem::remove(file);
  ASSERT_EQ(testing_support::MakeLegacyDatabase(file, kBrokenGoodsSql), "");
  const auto store = OpenDatabase(file);
  using Told = std::vector<std::string>;
  Told told;
  const auto tell_into = [](Told& into) {
    tables::SetProblemSink([&into](const tables::ValueProblem& problem) { into.push_back(tables::Describe(problem)); });
  };

  for (const std::int64_t catalogue : {1, 2}) {
    SCOPED_TRACE(catalogue);
    Told kept_told;
    tell_into(kept_told);
    const auto kept = Rows(store->ScanGoods(catalogue, kWholeCatalogue));
    Told queried_told;
    tell_into(queried_told);  // a new sink has been told nothing
    EXPECT_EQ(kept, AsQueried(*store, catalogue));
    EXPECT_EQ(kept_told, queried_told);
    EXPECT_FALSE(kept_told.empty());
    // Told once: the next scan reads what is kept.
    Told again;
    tell_into(again);
    Rows(store->ScanGoods(catalogue, kWholeCatalogue));
    EXPECT_TRUE(again.empty());
  }
  tables::SetProblemSink(nullptr);
  std::filesystem::remove(file);
}

// Codes as an older database may hold them: one left out for its factor,
// one whose code is cut to its field.
constexpr const char* kBrokenCodesSql = R"sql(
INSERT INTO codes VALUES ('K2', 2.5, 'N1', 2, 1);
INSERT INTO codes VALUES ('KOD-DŁUŻSZY-NIŻ-POLE', 1000, 'N1', 2, 1);
INSERT INTO codes VALUES ('K1', 1000, 'T1', 1, 1);
)sql";

using Told = std::vector<std::string>;

struct Scanned {
  std::vector<std::string> rows;
  Told told;
};

// Every row that the typed code's walk asks for, and what was told meanwhile.
Scanned ScanAll(const std::filesystem::path& file, bool read_ahead, bool codes_first) {
  Scanned scanned;
  tables::SetProblemSink([&](const tables::ValueProblem& problem) { scanned.told.push_back(tables::Describe(problem)); });
  const auto store = OpenDatabase(file);
  if (read_ahead) store->ReadAhead();
  const auto add = [&](std::vector<std::string> rows) { scanned.rows.insert(scanned.rows.end(), rows.begin(), rows.end()); };
  if (codes_first) add(Rows(store->ScanCodes()));
  for (const std::int64_t catalogue : {1, 2}) add(Rows(store->ScanGoods(catalogue, kWholeCatalogue)));
  if (!codes_first) add(Rows(store->ScanCodes()));
  tables::SetProblemSink(nullptr);
  return scanned;
}

std::filesystem::path BrokenDatabase(const char* name) {
  const auto file = std::filesystem::temp_directory_path() / (name + std::to_string(::getpid()) + ".db");
  std::filesystem::remove(file);
  EXPECT_EQ(testing_support::MakeLegacyDatabase(file, std::string(kBrokenGoodsSql) + kBrokenCodesSql), "");
  return file;
}

TEST(ReadingAhead, DeliversAndTellsWhatReadingAtTheFirstScanWould) {
  const auto file = BrokenDatabase("read_ahead_");
  for (const bool codes_first : {true, false}) {
    SCOPED_TRACE(codes_first ? "codes first" : "goods first");
    const long taken = testing::TablesTakenFromReadingAhead();
    const Scanned ahead = ScanAll(file, true, codes_first);
    EXPECT_EQ(testing::TablesTakenFromReadingAhead(), taken + 1);
    const Scanned then = ScanAll(file, false, codes_first);
    EXPECT_EQ(ahead.rows, then.rows);
    EXPECT_EQ(ahead.told, then.told);
    // The factor 2.5 and the long code, then four goods, or the other way.
    ASSERT_EQ(then.told.size(), 6u);
    for (std::size_t i = 0; i < then.told.size(); ++i) {
      const bool code = codes_first ? i < 2 : i >= 4;
      EXPECT_EQ(then.told[i].rfind(code ? "codes" : "goods", 0), 0u) << then.told[i];
    }
  }
  std::filesystem::remove(file);
}

// An older file is switched to a write-ahead log: another program's write during the
// reading ahead goes through at once (the sqlite3 shell waits for nobody), the store's too.
TEST(ReadingAhead, IsLeftWhenTheFileChangesBeforeTheFirstScan) {
  const auto file = BrokenDatabase("read_ahead_changed_");
  for (const bool by_the_store : {true, false}) {
    SCOPED_TRACE(by_the_store ? "written through the store" : "written by another program");
    const long taken = testing::TablesTakenFromReadingAhead();
    const auto store = OpenDatabase(file);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(file.c_str(), &other), SQLITE_OK);
    EXPECT_TRUE(std::filesystem::exists(file.string() + "-wal"));
    if (by_the_store) {
      ASSERT_EQ(sqlite3_exec(other, "BEGIN; SELECT count(*) FROM codes;", nullptr, nullptr, nullptr), SQLITE_OK);
      store->ReadAhead();
      EXPECT_NO_THROW(store->AddCode(CodeRow{"A" + std::to_string(taken), 1000, "", 1, 1}));
      sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
    } else {
      const std::string sql = "INSERT INTO codes VALUES ('A" + std::to_string(taken) + "', 1000, '', 1, 1);";
      std::promise<int> written;
      testing::WhileReadingAhead() = [&] { written.set_value(sqlite3_exec(other, sql.c_str(), nullptr, nullptr, nullptr)); };
      store->ReadAhead();
      EXPECT_EQ(written.get_future().get(), SQLITE_OK);
      testing::WhileReadingAhead() = nullptr;
    }
    sqlite3_close(other);
    const auto codes = Rows(store->ScanCodes());
    EXPECT_EQ(testing::TablesTakenFromReadingAhead(), taken);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front(), "A" + std::to_string(taken) + "//1/1000");
  }
  std::filesystem::remove(file);
}

}  // namespace
}  // namespace standin
