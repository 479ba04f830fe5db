// The database store keeps whole scans of a catalogue's goods and of the
// code table; whatever is written afterwards, through the store or by
// another program, reaches the next scan.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "korpus/tables/store.h"

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

}  // namespace
}  // namespace standin
