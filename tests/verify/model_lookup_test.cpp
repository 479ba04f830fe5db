// The look-ups in the host's goods and code tables, over the stand-in's
// in-memory store.
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "tests/support/model_fixture.h"

namespace verify::testing_support {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class LookUpTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    standin::tables::Reset();
    store_ = standin::MakeMemoryStore();
    standin::UseStore(store_);
  }
  void TearDown() override {
    standin::tables::Reset();
    standin::UseStore(nullptr);
    ModelTest::TearDown();
  }

  void Catalogue(std::int32_t number, bool searched) { store_->AddCatalogue({number, "Katalog", searched}); }
  void Goods(std::int32_t catalogue, std::int32_t id, const char* name, const char* symbol) {
    store_->AddGoods(standin::GoodsRow{catalogue, id, name, symbol});
  }
  void Code(const char* code, std::int32_t factor, const char* goods_symbol, std::int32_t catalogue = 0,
            std::int32_t goods_id = 0) {
    store_->AddCode({code, factor, goods_symbol, catalogue, goods_id});
  }

  std::int32_t LookUp(std::string& code, std::int32_t counted) {
    std::vector<char> text(code.begin(), code.end());
    text.push_back('\0');
    const std::int32_t found = check_.LookUpGoods(text.data(), counted);
    code = text.data();
    return found;
  }

  // A search whose code the test does not look at afterwards.
  std::int32_t Found(std::string code) { return LookUp(code, 1000); }

  // The code as the search left it, the search having found `found`.
  std::string CodeSearched(std::string code, std::int32_t found) {
    EXPECT_EQ(LookUp(code, 1000), found);
    return code;
  }

  // One searched catalogue holding one article.
  void OneSearchedGoods(const char* name = "Śruba M6", const char* symbol = "S-M6") {
    Catalogue(1, true);
    Goods(1, 1, name, symbol);
  }

  std::shared_ptr<standin::Store> store_;
};

// ---- The goods search ---------------------------------------------------------

using GoodsSearchTest = LookUpTest;

TEST_F(GoodsSearchTest, GoodsOfASearchedCatalogueBecomeAPositionWithTheirNameAndSymbol) {
  Catalogue(1, true);
  Goods(1, 1, "Nit aluminiowy", "N-4");
  Goods(1, 2, "Śruba M6", "S-M6");
  CheckAccess::Fill(check_, {MakePosition("Podkładka", "P-6", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S-M6", 2000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Podkładka|P-6|0|1000", "Śruba M6|S-M6|2000|0"));
  EXPECT_EQ(NewGoods(), 1);
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(GoodsSearchTest, TheFirstContextNumberIsPutBack) {
  Catalogue(1, true);
  Catalogue(2, true);
  Goods(2, 1, "Śruba M6", "S-M6");
  *korpus::FirstContextNumber() = 77;
  EXPECT_EQ(Found("S-M6"), 1);
  EXPECT_EQ(*korpus::FirstContextNumber(), 77);
}

TEST_F(GoodsSearchTest, GoodsOfAnUnsearchedCatalogueAreNotFound) {
  Catalogue(1, false);
  Goods(1, 1, "Śruba M6", "S-M6");
  CheckAccess::Fill(check_, {});
  std::vector<CountedItem> items = {MakeItem("S-M6", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy towar|S-M6|1000|0"));
}

TEST_F(GoodsSearchTest, TheSearchStopsAtTheFirstGoodsFoundInCatalogueOrder) {
  Catalogue(3, true);
  Catalogue(5, true);
  Goods(5, 1, "Śruba z katalogu 5", "S-M6");
  Goods(3, 1, "Śruba z katalogu 3", "S-M6");
  Goods(3, 2, "Śruba druga", "S-M6");
  CheckAccess::Fill(check_, {});
  EXPECT_EQ(Found("S-M6"), 1);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba z katalogu 3|S-M6|1000|0"));
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(GoodsSearchTest, TheCodeLosesItsSpacesInPlaceAndLetterCaseCounts) {
  OneSearchedGoods();
  CheckAccess::Fill(check_, {});
  EXPECT_EQ(CodeSearched(" S -M6 ", 1), "S-M6");
  EXPECT_EQ(Found("s-m6"), 0);
  EXPECT_EQ(check_.count(), 1);
}

TEST_F(GoodsSearchTest, ACodeOfSpacesOnlyIsNotSearched) {
  OneSearchedGoods("Bez symbolu", "");
  CheckAccess::Fill(check_, {});
  EXPECT_EQ(CodeSearched("   ", 0), "");
  EXPECT_EQ(check_.count(), 0);
}

TEST_F(GoodsSearchTest, AGoodsScanThatEndsWithZeroStopsTheWholeSearch) {
  Catalogue(1, true);
  Catalogue(2, true);
  Goods(1, 1, "Nit", "N-4");
  Goods(1, 2, "Nit duży", "N-8");
  Goods(2, 1, "Śruba M6", "S-M6");
  standin::testing::FailScanAfter(49, 1);
  CheckAccess::Fill(check_, {});
  EXPECT_EQ(Found("S-M6"), 0);
  EXPECT_EQ(check_.count(), 0);
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(GoodsSearchTest, AGoodsScanThatFailsToStartStopsTheSearchAndIsStillEnded) {
  OneSearchedGoods();
  standin::testing::FailScanStart(49, true);
  *korpus::FirstContextNumber() = 9;
  CheckAccess::Fill(check_, {});
  std::vector<CountedItem> items = {MakeItem("S-M6", 1000)};
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nowy towar|S-M6|1000|0"));
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
  EXPECT_EQ(*korpus::FirstContextNumber(), 9);
}

TEST_F(GoodsSearchTest, ACatalogueScanThatFailsToStartFindsNothing) {
  OneSearchedGoods();
  standin::testing::FailScanStart(48, true);
  EXPECT_EQ(Found("S-M6"), 0);
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(GoodsSearchTest, KnownGoodsThatCouldNotBeAddedDoNotComeBackAsNewGoods) {
  OneSearchedGoods();
  CheckAccess::Fill(check_, {MakePosition("Nit", "N-4", 0, 1000)});
  std::vector<CountedItem> items = {MakeItem("S-M6", 1000)};
  standin::testing::FailNth(standin::Fault::Allocation, 1);
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Nit|N-4|0|1000"));
  EXPECT_EQ(NewGoods(), 0);
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

// A catalogue's number is the host's 16-bit word: the text "-3" names the
// catalogue that the host also counts as 65533.
TEST_F(GoodsSearchTest, ACatalogueNumberIsTakenAsTheHostsSixteenBitWord) {
  Catalogue(-3, true);
  Goods(65533, 1, "Nit aluminiowy", "N-4");
  EXPECT_EQ(Found("N-4"), 1);
  EXPECT_THAT(Rows(check_), ElementsAre("Nit aluminiowy|N-4|1000|0"));
}

TEST_F(GoodsSearchTest, MissingTablesFindNothing) {
  OneSearchedGoods();
  standin::tables::SetAvailable(48, false);
  EXPECT_EQ(Found("S-M6"), 0);
}

// ---- The code table ---------------------------------------------------------------

using CodeTableTest = LookUpTest;

TEST_F(CodeTableTest, APackageCodeTurnsIntoTheGoodsSymbolAndGivesItsFactor) {
  Code("5900001", 12000, "S-M6");
  CountedItem item = MakeItem("5900001", 1000);
  EXPECT_EQ(check_.TranslateCountedCode(item), 12000);
  EXPECT_STREQ(item.symbol, "S-M6");
  EXPECT_STREQ(item.alternative, "");
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(CodeTableTest, ACodeOfFactorOneKeepsItsSymbolAndCarriesTheGoodsSymbolAsAlternative) {
  Goods(3, 17, "Nit", "N-4");
  Code("5900017", 1000, "ignored", 3, 17);
  *korpus::FirstContextNumber() = 5;
  *korpus::SecondContextNumber() = 6;
  CountedItem item = MakeItem("5900017", 2000);
  EXPECT_EQ(check_.TranslateCountedCode(item), 1000);
  EXPECT_STREQ(item.symbol, "5900017");
  EXPECT_STREQ(item.alternative, "N-4");
  EXPECT_EQ(*korpus::FirstContextNumber(), 5);
  EXPECT_EQ(*korpus::SecondContextNumber(), 6);
}

// Goods that the host finds but delivers in no record buffer are as gone.
TEST_F(CodeTableTest, ACodeOfFactorOneWhoseGoodsAreGoneChangesNothing) {
  Code("5900017", 1000, "", 3, 17);
  for (const bool found_without_record : {false, true}) {
    SCOPED_TRACE(found_without_record);
    if (found_without_record) {
      Goods(3, 17, "Nit", "N-4");
      standin::testing::WithoutRecordBuffer(49, true);
    }
    CountedItem item = MakeItem("5900017", 2000);
    EXPECT_EQ(check_.TranslateCountedCode(item), 1000);
    EXPECT_STREQ(item.symbol, "5900017");
    EXPECT_STREQ(item.alternative, "");
  }
  standin::testing::WithoutRecordBuffer(49, false);
}

TEST_F(CodeTableTest, OnlyAnEqualCodeApplies) {
  Code("590001", 6000, "S-M6");
  Code("59000123", 6000, "S-M6");
  CountedItem item = MakeItem("5900012", 1000);
  EXPECT_EQ(check_.TranslateCountedCode(item), 1000);
  EXPECT_STREQ(item.symbol, "5900012");
}

TEST_F(CodeTableTest, ACodeTableScanThatFailsToStartTranslatesNothing) {
  Code("5900001", 12000, "S-M6");
  standin::testing::FailScanStart(117, true);
  CountedItem item = MakeItem("5900001", 1000);
  EXPECT_EQ(check_.TranslateCountedCode(item), 1000);
  EXPECT_STREQ(item.symbol, "5900001");
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(CodeTableTest, TheLongestGoodsSymbolOfTheCodeTableStaysInsideTheItemsSymbol) {
  const std::string symbol(200, 'G');
  Code("5900001", 2000, symbol.c_str());
  CountedItem item = MakeItem("5900001", 1000);
  std::memset(item.alternative, 'A', sizeof item.alternative - 1);
  check_.TranslateCountedCode(item);
  const std::string stored = item.symbol;
  EXPECT_EQ(stored, std::string(stored.size(), 'G'));
  EXPECT_GT(stored.size(), 16u);
  EXPECT_TRUE(AllZero(item.symbol + stored.size(), sizeof item.symbol - stored.size()));
  EXPECT_EQ(item.alternative[0], 'A');
}

TEST_F(CodeTableTest, TheMergeFindsATranslatedCodeOfFactorOneByItsAlternative) {
  Goods(3, 17, "Nit", "N-4");
  Code("5900017", 1000, "", 3, 17);
  CheckAccess::Fill(check_, {MakePosition("Śruba", "S-M6", 0, 1000), MakePosition("Nit", "N-4", 0, 3000)});
  std::vector<CountedItem> items = {MakeItem("5900017", 2000)};
  check_.TranslateCountedCode(items[0]);
  Merge(items);
  EXPECT_THAT(Rows(check_), ElementsAre("Śruba|S-M6|0|1000", "Nit|N-4|2000|3000"));
  EXPECT_THAT(front_.boxes(), IsEmpty());
}

}  // namespace
}  // namespace verify::testing_support
