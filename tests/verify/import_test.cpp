// The collector import: data.txt in the layouts collectors write, the
// quantity rules, the code table's factors, long files and refusals.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "standin/files/files.h"
#include "standin/tables/tables.h"
#include "tests/support/position_rows.h"
#include "tests/support/report_import.h"

namespace verify {
namespace {

using testing_support::BoxSeen;
using testing_support::MakeItem;
using testing_support::MakePosition;
using testing_support::Row;
using testing_support::Rows;
using testing_support::WriteBytes;

const BoxSeen kOpenFailed{"Blokada", "Błąd w trakcie otwierania pliku DATA.TXT!", 1};

BoxSeen NotOnInvoice(const std::string& code) {
  return {"Uwaga",
          "Na sprawdzanej fakturze brak towaru o kodzie " + code + "!\nTowar ten zostanie pominięty przy sprawdzaniu!",
          1};
}

BoxSeen BadQuantity(int line, const std::string& text) {
  return {
      "Błąd",
      "Błędna ilość w wierszu " + std::to_string(line) + " pliku DATA.TXT:\n" + text + "\nPlik nie został wczytany!",
      1};
}

class ImportTest : public testing_support::CheckTest {
 protected:
  void SetUp() override {
    CheckTest::SetUp();
    standin::files::Reset();
  }
  void TearDown() override {
    standin::files::Reset();
    CheckTest::TearDown();
  }

  std::vector<Row> List() { return Rows(check()); }

  // Four positions of 1.000 each, nothing counted.
  void FillFour() {
    CheckAccess::Fill(check(), {MakePosition("Nit", "A1", 0, 1000), MakePosition("Wkret", "A2", 0, 1000),
                                MakePosition("Sruba", "A3", 0, 1000), MakePosition("Tasma", "A4", 0, 1000)});
  }
  const std::vector<Row> kFourUntouched = {
      {"Nit", "A1", 0, 1000}, {"Wkret", "A2", 0, 1000}, {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}};

  bool Redrawn() const { return (standin::testing::ControlStateOf(0) & 0x8000) != 0; }
  void NoAdditions() { standin::testing::SetControlState(7, 1); }
};

TEST_F(ImportTest, CommaLayoutOfACollectorImports) {
  CheckAccess::Fill(
      check(), {MakePosition("Mleko UHT", "8710841030181", 0, 12000), MakePosition("Masło", "5900820000011", 0, 2000)});
  WriteBytes("data.txt",
             "8710841030181,12,003278,14:41:03,23/11/2009\n"
             "5900820000011,2,003279,14:41:09,23/11/2009\n");

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(List(),
            (std::vector<Row>{{"Masło", "5900820000011", 2000, 2000}, {"Mleko UHT", "8710841030181", 12000, 12000}}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(check().list_refresh());
  EXPECT_TRUE(Redrawn());
}

TEST_F(ImportTest, CodePaddedTo50AndSignedQuantityPaddedTo7Imports) {
  CheckAccess::Fill(check(), {MakePosition("Mleko UHT", "8710841030181", 5000, 12000),
                              MakePosition("Masło", "5900820000011", 0, 2000)});
  WriteBytes("data.txt",
             "8710841030181                                     ,    +12\n"
             "5900820000011                                     ;-000002\n"
             "8710841030181                                     ,     -3\n");

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(List(),
            (std::vector<Row>{{"Masło", "5900820000011", -2000, 2000}, {"Mleko UHT", "8710841030181", 14000, 12000}}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ImportTest, EmptyFileMergesNothingButSortsAndRedraws) {
  CheckAccess::Fill(check(), {MakePosition("Nit", "A1", 3000, 1000), MakePosition("Wkret", "A2", 0, 1000)});
  WriteBytes("data.txt", "");

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(List(), (std::vector<Row>{{"Wkret", "A2", 0, 1000}, {"Nit", "A1", 3000, 1000}}));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_TRUE(check().list_refresh());
  EXPECT_TRUE(Redrawn());
}

TEST_F(ImportTest, MissingFileShowsBlokadaAndChangesNothing) {
  FillFour();

  EXPECT_EQ(check().ReadCollectorFile(), 1);
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{kOpenFailed});
  EXPECT_EQ(List(), kFourUntouched);
  EXPECT_FALSE(check().list_refresh());
  EXPECT_FALSE(Redrawn());
}

TEST_F(ImportTest, CollectorNotReadyEndsTheImportBeforeTheFileIsRead) {
  FillFour();
  WriteBytes("data.txt", "A1,1\n");
  standin::files::SetCollectorReady(false);

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(List(), kFourUntouched);
  EXPECT_FALSE(check().list_refresh());
}

TEST_F(ImportTest, FileIsFetchedFromTheCollectorsFolder) {
  FillFour();
  std::filesystem::create_directory("kolektor");
  WriteBytes("kolektor/data.txt", "A2,2\n");
  ASSERT_TRUE(standin::files::SetCollectorFolder((session_.directory() / "kolektor").string()));

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Nit", "A1", 0, 1000}, {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Wkret", "A2", 2000, 1000}}));
}

// Reading a directory fails at once; the import must end, not spin.
TEST_F(ImportTest, FileThatCannotBeReadRefusesTheImport) {
  FillFour();
  std::filesystem::create_directory("data.txt");

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(
      Boxes(),
      (std::vector<BoxSeen>{{"Blokada", "Błąd w trakcie odczytu pliku DATA.TXT!\nPlik nie został wczytany!", 1}}));
  EXPECT_EQ(List(), kFourUntouched);
}

TEST_F(ImportTest, LastLineWithoutLineEndIsImported) {
  FillFour();
  WriteBytes("data.txt", "A1,1\nA2,2");

  check().ReadCollectorFile();
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Nit", "A1", 1000, 1000}, {"Wkret", "A2", 2000, 1000}}));
}

TEST_F(ImportTest, CrLfLineEndsImportLikeLf) {
  FillFour();
  WriteBytes("data.txt", "A1,3\r\nA2,1\r\n");

  check().ReadCollectorFile();
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Wkret", "A2", 1000, 1000}, {"Nit", "A1", 3000, 1000}}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ImportTest, QuantityIsTheLeadingWholeNumberInThousandths) {
  CheckAccess::Fill(check(), {MakePosition("Nit", "A1", 0, 9000), MakePosition("Wkret", "A2", 5000, 9000),
                              MakePosition("Sruba", "A3", 0, 9000), MakePosition("Tasma", "A4", 0, 9000),
                              MakePosition("Klej", "A5", 0, 9000), MakePosition("Farba", "A6", 0, 9000)});
  WriteBytes("data.txt", "A1,3\nA2,-1\nA3,2.5\nA4\nA5,abc\nA6, \f\v+7\n");

  check().ReadCollectorFile();
  EXPECT_EQ(List(), (std::vector<Row>{{"Tasma", "A4", 0, 9000},
                                      {"Klej", "A5", 0, 9000},
                                      {"Sruba", "A3", 2000, 9000},
                                      {"Nit", "A1", 3000, 9000},
                                      {"Wkret", "A2", 4000, 9000},
                                      {"Farba", "A6", 7000, 9000}}));
}

TEST_F(ImportTest, PackageCodesAreScaledByTheirFactor) {
  FillFour();
  standin::CurrentStore().AddCodes(
      std::vector<standin::CodeRow>{{"ZGRZ6", 6000, "A1", 0, 0}, {"KART12", 12000, "A2", 0, 0}});
  WriteBytes("data.txt", "ZGRZ6,2\nKART12,1\n");

  check().ReadCollectorFile();
  EXPECT_EQ(List(), (std::vector<Row>{{"Sruba", "A3", 0, 1000},
                                      {"Tasma", "A4", 0, 1000},
                                      {"Nit", "A1", 12000, 1000},
                                      {"Wkret", "A2", 12000, 1000}}));
  EXPECT_TRUE(Boxes().empty());
}

// A table that the host cannot open holds nothing to find: without the
// code table a package code counts as itself, without the goods table
// neither codes nor goods are found, without the catalogues no goods.
TEST_F(ImportTest, TableTheHostCannotOpenFindsNothing) {
  standin::CurrentStore().AddCode({"KART12", 12000, "A2", 0, 0});
  standin::CurrentStore().AddCatalogue({1, "Towary", true});
  standin::CurrentStore().AddGoods({1, 1, "Klej", "G1"});
  const Row translated{"Wkret", "A2", 12000, 1000};
  const Row untranslated{"Nowy towar", "KART12", 1000, 0};
  const Row goods{"Klej", "G1", 1000, 0};
  const Row unknown_goods{"Nowy towar", "G1", 1000, 0};
  const struct {
    std::int32_t unavailable;
    Row code;
    Row g1;
  } cases[] = {{0, translated, goods}, {117, untranslated, goods}, {49, untranslated, unknown_goods},
               {48, translated, unknown_goods}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.unavailable);
    if (c.unavailable != 0) standin::tables::SetAvailable(c.unavailable, false);
    FillFour();
    WriteBytes("data.txt", "KART12,1\nG1,1\n");
    check().ReadCollectorFile();
    EXPECT_THAT(List(), ::testing::IsSupersetOf({c.code, c.g1}));

    // A code typed rather than read goes the same way.
    CountedItem typed = MakeItem("KART12", 1000);
    EXPECT_EQ(check().TranslateCountedCode(typed), c.code == translated ? 12000 : 1000);
    char symbol[] = "G1";
    EXPECT_EQ(check().LookUpGoods(symbol, 1000), c.g1 == goods ? 1 : 0);
    if (c.unavailable != 0) standin::tables::SetAvailable(c.unavailable, true);
  }
}

TEST_F(ImportTest, CodeOnTwoLinesAddsBothAndUnknownCodeGivesAPositionPerLine) {
  FillFour();
  WriteBytes("data.txt", "A1,2\nZZ,1\nA1,3\nZZ,1\n");

  check().ReadCollectorFile();
  EXPECT_EQ(List(), (std::vector<Row>{{"Wkret", "A2", 0, 1000},
                                      {"Sruba", "A3", 0, 1000},
                                      {"Tasma", "A4", 0, 1000},
                                      {"Nowy towar", "ZZ", 1000, 0},
                                      {"Nowy towar", "ZZ", 1000, 0},
                                      {"Nit", "A1", 5000, 1000}}));
}

// A read stops after 255 characters; the rest of the line is read as a
// line of its own.
TEST_F(ImportTest, LineOf300CharactersContinuesAsAnItemOfItsOwn) {
  FillFour();
  NoAdditions();
  const std::string tail(45, 'x');
  WriteBytes("data.txt", "A1,2," + std::string(250, 'y') + tail + "\nA2,1\n");

  check().ReadCollectorFile();
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{NotOnInvoice(tail)});
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Wkret", "A2", 1000, 1000}, {"Nit", "A1", 2000, 1000}}));
}

// A read that starts with NUL is passed over, but its place stays: an
// empty item that matches nothing.
TEST_F(ImportTest, LineStartingWithNulLeavesAnEmptyItemInItsPlace) {
  FillFour();
  NoAdditions();
  WriteBytes("data.txt", std::string("A1,1\n\0A2,5\nA3,1\n", 16));

  check().ReadCollectorFile();
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{NotOnInvoice("")});
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Wkret", "A2", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Nit", "A1", 1000, 1000}, {"Sruba", "A3", 1000, 1000}}));
}

TEST_F(ImportTest, FileOf6000LinesIsImportedWhole) {
  FillFour();
  std::string data;
  for (int i = 0; i < 5000; ++i) data += "A1,1\n";
  for (int i = 0; i < 1000; ++i) data += "A4,2\n";
  WriteBytes("data.txt", data);

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(List(), (std::vector<Row>{{"Wkret", "A2", 0, 1000},
                                      {"Sruba", "A3", 0, 1000},
                                      {"Tasma", "A4", 2000000, 1000},
                                      {"Nit", "A1", 5000000, 1000}}));
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(ImportTest, LineStartingWithNulPast5000LeavesAnEmptyItemInGrownRoom) {
  FillFour();
  NoAdditions();
  std::string data;
  for (int i = 0; i < 5000; ++i) data += "A1,1\n";
  data += std::string("\0A3,9\nA2,1\n", 11);
  WriteBytes("data.txt", data);

  check().ReadCollectorFile();
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{NotOnInvoice("")});
  EXPECT_EQ(List(), (std::vector<Row>{{"Sruba", "A3", 0, 1000},
                                      {"Tasma", "A4", 0, 1000},
                                      {"Wkret", "A2", 1000, 1000},
                                      {"Nit", "A1", 5000000, 1000}}));
}

TEST_F(ImportTest, BlockThatCannotGrowRefusesTheWholeFile) {
  FillFour();
  std::string data;
  for (int i = 0; i < 5001; ++i) data += "A1,1\n";
  WriteBytes("data.txt", data);
  // The first allocation is the item block; the second grows it.
  standin::testing::FailNth(standin::Fault::Allocation, 2);

  EXPECT_EQ(check().ReadCollectorFile(), -2);
  EXPECT_EQ(
      Boxes(),
      (std::vector<BoxSeen>{{"Błąd", "Brak pamięci na wczytanie pliku DATA.TXT!\nPlik nie został wczytany!", 1}}));
  EXPECT_EQ(List(), kFourUntouched);
  EXPECT_FALSE(check().list_refresh());
}

TEST_F(ImportTest, ItemBlockNotObtainedChangesNothingSilently) {
  FillFour();
  WriteBytes("data.txt", "A1,1\n");
  standin::testing::FailNth(standin::Fault::Allocation, 1);

  EXPECT_EQ(check().ReadCollectorFile(), 0);
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(List(), kFourUntouched);
  EXPECT_FALSE(check().list_refresh());
}

TEST_F(ImportTest, QuantitiesAtTheEdgesOfTheRangeImport) {
  FillFour();
  WriteBytes("data.txt", "A1,2147483\nA2,-2147483\n");

  check().ReadCollectorFile();
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(List(), (std::vector<Row>{{"Wkret", "A2", -2147483000, 1000},
                                      {"Sruba", "A3", 0, 1000},
                                      {"Tasma", "A4", 0, 1000},
                                      {"Nit", "A1", 2147483000, 1000}}));
}

// The box shows the line without its line end, a carriage return left
// before it included.
TEST_F(ImportTest, QuantityOutOfRangeRefusesTheWholeFileNamingTheLine) {
  for (const std::string line : {"A2,2147484", "A2,-2147484", "A2,2147484\r\r"}) {
    SCOPED_TRACE(line);
    front_.Clear();
    FillFour();
    WriteBytes("data.txt", "A1,1\n" + line + "\nA3,1\n");

    EXPECT_EQ(check().ReadCollectorFile(), -2);
    EXPECT_EQ(Boxes(), std::vector<BoxSeen>{BadQuantity(2, line.substr(0, line.find('\r')))});
    EXPECT_EQ(List(), kFourUntouched);
    EXPECT_FALSE(check().list_refresh());
  }
}

TEST_F(ImportTest, BarcodeScannedIntoTheQuantityColumnIsRefused) {
  FillFour();
  WriteBytes("data.txt", "A1,1\r\nA2\t5901234123457\r\n");

  check().ReadCollectorFile();
  // Control bytes of the line are shown as blanks.
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{BadQuantity(2, "A2 5901234123457")});
  EXPECT_EQ(List(), kFourUntouched);
}

// 2^64 + 5: digits beyond any quantity must not wrap into the range.
TEST_F(ImportTest, HugeNumberDoesNotWrapIntoTheRange) {
  FillFour();
  WriteBytes("data.txt", "A1,18446744073709551621\n");

  check().ReadCollectorFile();
  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{BadQuantity(1, "A1,18446744073709551621")});
  EXPECT_EQ(List(), kFourUntouched);
}

TEST_F(ImportTest, QuantityOutOfRangeAfterTheFactorIsRefused) {
  standin::CurrentStore().AddCode({"KART12", 12000, "A2", 0, 0});
  for (const std::string line : {"KART12,200000", "KART12,-200000"}) {
    SCOPED_TRACE(line);
    front_.Clear();
    FillFour();
    WriteBytes("data.txt", "A1,1\n" + line + "\n");

    check().ReadCollectorFile();
    EXPECT_EQ(Boxes(), std::vector<BoxSeen>{BadQuantity(2, line)});
    EXPECT_EQ(List(), kFourUntouched);
  }
}

// A line longer than one read, and a line cut short by a NUL byte, are
// each one line of the file.
TEST_F(ImportTest, RefusalCountsLinesOfTheFileNotReads) {
  const std::string kCases[] = {
      "A1,1," + std::string(295, 'x') + "\nA2,99999999\n",
      std::string("A1\0junk;1\nA2;99999999\n", 22),
      std::string("A1;1\0\nA3\0\n\nA2;99999999\n", 22),
  };
  const int kLines[] = {2, 2, 4};
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    FillFour();
    front_.Clear();
    WriteBytes("data.txt", kCases[i]);
    check().ReadCollectorFile();
    const std::string shown = kCases[i].find(';') != std::string::npos ? "A2;99999999" : "A2,99999999";
    EXPECT_EQ(Boxes(), std::vector<BoxSeen>{BadQuantity(kLines[i], shown)}) << i;
  }
}

TEST_F(ImportTest, UnknownCodesWithNoAdditionsAreAnnouncedOneByOne) {
  FillFour();
  NoAdditions();
  WriteBytes("data.txt", "Q1,1\nA1,1\nQ2,4\n");

  check().ReadCollectorFile();
  EXPECT_EQ(Boxes(), (std::vector<BoxSeen>{NotOnInvoice("Q1"), NotOnInvoice("Q2")}));
  EXPECT_EQ(front_.signals(), 2);
  EXPECT_EQ(
      List(),
      (std::vector<Row>{
          {"Wkret", "A2", 0, 1000}, {"Sruba", "A3", 0, 1000}, {"Tasma", "A4", 0, 1000}, {"Nit", "A1", 1000, 1000}}));
}

}  // namespace
}  // namespace verify
