// Hostile inputs from every source a check reads: the collector's file,
// the progress file, the host's database, and texts that look like
// formats. None may crash the host, lose counted work or reach a file name
// or a format.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <initializer_list>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/entries.h"
#include "standin/ini/ini_access.h"
#include "standin/tables/value_problems.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"
#include "tests/support/legacy_database.h"
#include "tests/support/mazovia.h"
#include "verify/dialog/dialog_template.h"

namespace reliability {
namespace {

using ::testing::ElementsAre;
using standin::KeyName;
using verify::CZrobPrufacje;
using verify::Position;

using testing_support::Mz;

std::int64_t CountedOf(const CZrobPrufacje& check, std::string_view symbol) {
  std::int64_t counted = 0;
  for (const Position& p : check.Positions()) {
    if (symbol == p.symbol) counted += p.counted;
  }
  return counted;
}

// The counted quantities of the symbols, in the order named.
std::vector<std::int64_t> CountedOf(const CZrobPrufacje& check, std::initializer_list<std::string_view> symbols) {
  std::vector<std::int64_t> counted;
  for (std::string_view symbol : symbols) counted.push_back(CountedOf(check, symbol));
  return counted;
}

class Hostile : public ::testing::Test {
 protected:
  void SetUp() override { world_ = UseSmallWorld(); }
  void TearDown() override { standin::testing::ClearFaults(); }

  // Reads the bytes as data.txt into a check of the small invoice, inside
  // an opened dialog; the list's invariants must hold afterwards.
  std::int32_t Import(CZrobPrufacje& check, std::string_view bytes, bool no_additions = false) {
    WriteFile(directory_.path() / "data.txt", bytes);
    EXPECT_TRUE(StartWithoutDialog(check, world_, true));
    standin::testing::OpenedDialog dialog(verify::DialogTemplate().data(), &check.values());
    standin::entry::ControlState(7, 1, no_additions ? 1 : 0);
    const std::int32_t result = check.ReadCollectorFile();
    EXPECT_EQ(ListFault(check), "");
    return result;
  }

  // Resumes the bytes as the progress file of the small invoice, answering
  // yes.
  std::int32_t Resume(CZrobPrufacje& check, std::string_view bytes) {
    WriteFile(directory_.path() / "Niezgodnosci.ini", bytes);
    standin::testing::ForgetIniFiles();
    EXPECT_TRUE(StartWithoutDialog(check, world_, false));
    const std::int32_t result = check.ResumeProgress();
    EXPECT_EQ(ListFault(check), "");
    return result;
  }

  WorkingDirectory directory_;
  World world_;
  User user_;
};

// data.txt ------------------------------------------------------------------------

// The read passed over leaves its empty item in the merge, which adds it
// as a "Nowy towar" without a symbol.
TEST_F(Hostile, ANulByteEndsWhatALineHoldsAndALineThatStartsWithOneIsPassedOver) {
  CZrobPrufacje check;
  const std::string bytes("SRB-8;4\0;9\n\0WKR-4;2\nKOL-8;3\n", 28);
  EXPECT_EQ(Import(check, bytes), -2);
  EXPECT_THAT(CountedOf(check, {"SRB-8", "WKR-4", "KOL-8"}), ElementsAre(4000, 0, 3000));
  EXPECT_EQ(Describe(TotalsOf({check.Positions().begin(), check.Positions().end()})),
            "{Farba emulsyjna 10 l | FRB-10 | 0 | 5000} {Kołek rozporowy 8 | KOL-8 | 3000 | 24000} "
            "{Nowy towar |  | 0 | 0} {Usługa transportowa |  | 0 | 1000} {Wkręt 4x40 | WKR-4 | 0 | 5000} "
            "{Śruba M8x40 | SRB-8 | 4000 | 10000} ");
}

TEST_F(Hostile, AMegabyteLineIsReadAsLinesOf255Characters) {
  CZrobPrufacje check;
  const std::string bytes = "SRB-8;1\n" + std::string(1 << 20, 'A') + ";2\nWKR-4;3\n";
  EXPECT_EQ(Import(check, bytes), -2);
  EXPECT_THAT(CountedOf(check, {"SRB-8", "WKR-4"}), ElementsAre(1000, 3000));
  // Every piece of the long line is a code that matches nothing, cut to
  // the position's symbol field.
  const std::int32_t pieces = (1 << 20) / 255 + 1;
  EXPECT_EQ(check.count(), 5 + pieces);
  EXPECT_EQ(std::int32_t{check.counters().new_goods}, pieces);
  EXPECT_STREQ(check.Positions()[5].symbol, "AAAAAAAAAAAAAAAA");
}

TEST_F(Hostile, BinaryGarbageLeavesASoundList) {
  std::mt19937 random(20240110);
  std::string bytes(64 * 1024, '\0');
  for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
  CZrobPrufacje check;
  const std::int32_t result = Import(check, bytes);
  EXPECT_EQ(result, -2);
  for (const SeenBox& box : user_.boxes()) EXPECT_TRUE(box.caption == "Uwaga" || box.caption == "Błąd") << box.caption;
}

TEST_F(Hostile, CarriageReturnsAloneDoNotEndLinesSoOnlyTheFirstCodeCounts) {
  CZrobPrufacje check;
  EXPECT_EQ(Import(check, "SRB-8;1\rWKR-4;2\rKOL-8;3\r"), -2);
  EXPECT_THAT(CountedOf(check, {"SRB-8", "WKR-4", "KOL-8"}), ElementsAre(1000, 0, 0));
}

TEST_F(Hostile, AHundredThousandLinesAreAllCounted) {
  std::string bytes;
  for (int i = 0; i < 100000; ++i) bytes += i % 2 == 0 ? "SRB-8;1\r\n" : "WKR-4;2\r\n";
  CZrobPrufacje check;
  EXPECT_EQ(Import(check, bytes), -2);
  EXPECT_THAT(CountedOf(check, {"SRB-8", "WKR-4"}), ElementsAre(50000 * 1000, 50000 * 2000));
  EXPECT_EQ(check.count(), 5);
}

TEST_F(Hostile, QuantitiesAreWholeUnitsAfterBlanksAndASign) {
  CZrobPrufacje check;
  EXPECT_EQ(Import(check, "SRB-8;-0\nWKR-4;+5\nKOL-8;  7\nFRB-10;1e3\nRKW-L;x9\n"), -2);
  EXPECT_THAT(CountedOf(check, {"SRB-8", "WKR-4", "KOL-8", "FRB-10", "RKW-L"}), ElementsAre(0, 5000, 7000, 1000, 0));
  EXPECT_TRUE(user_.boxes().empty());
}

TEST_F(Hostile, AQuantityBeyondTheRangeRefusesTheWholeFileAndNamesItsLine) {
  CZrobPrufacje check;
  EXPECT_EQ(Import(check, "WKR-4;2\nSRB-8;99999999999\nKOL-8;3\n"), -2);
  EXPECT_THAT(CountedOf(check, {"WKR-4", "KOL-8"}), ElementsAre(0, 0));
  ASSERT_EQ(user_.boxes().size(), 1u);
  EXPECT_EQ(user_.boxes()[0].caption, "Błąd");
  EXPECT_EQ(user_.boxes()[0].text, "Błędna ilość w wierszu 2 pliku DATA.TXT:\nSRB-8;99999999999\nPlik nie został wczytany!");
}

// Niezgodnosci.ini ----------------------------------------------------------------

constexpr const char* kHead = "[Nr_faktury]\r\nNr fakt.=FV 1/2024\r\n";

TEST_F(Hostile, AHugeCountResumesTheRowsThereAreAndReadsFewKeys) {
  CZrobPrufacje check;
  const long reads = standin::testing::CallCount(standin::Fault::IniRead);
  EXPECT_EQ(Resume(check, std::string(kHead) + "Ilosc=2147483647\r\nr00=Nit,N1,0,1000\r\nr01=Klej,K1,5,2000\r\n"), 0);
  EXPECT_EQ(Describe(TotalsOf({check.Positions().begin(), check.Positions().end()})),
            "{Klej | K1 | 5 | 2000} {Nit | N1 | 0 | 1000} ");
  EXPECT_LE(standin::testing::CallCount(standin::Fault::IniRead) - reads, 2 + 2 + 5000);
  EXPECT_EQ(user_.boxes().size(), 1u);  // the question only
}

TEST_F(Hostile, ANegativeCountResumesAnEmptyCheck) {
  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, std::string(kHead) + "Ilosc=-5\r\nr00=Nit,N1,0,1000\r\n"), 0);
  EXPECT_EQ(check.count(), 0);
}

TEST_F(Hostile, AMissingCountLeavesTheInvoiceToBeLoaded) {
  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, std::string(kHead) + "r00=Nit,N1,0,1000\r\n"), 1);
  EXPECT_EQ(check.count(), 0);
  EXPECT_TRUE(Exists(directory_.path() / "Niezgodnosci.ini"));
}

TEST_F(Hostile, ADuplicatedKeyIsReadFromItsFirstLine) {
  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, std::string(kHead) + "Ilosc=1\r\nr00=Nit,N1,0,1000\r\nIlosc=2\r\nr00=Klej,K1,0,2000\r\n"), 0);
  EXPECT_EQ(Describe(TotalsOf({check.Positions().begin(), check.Positions().end()})), "{Nit | N1 | 0 | 1000} ");
}

TEST_F(Hostile, ValuesOfTenThousandCharactersAreCutToTheFields) {
  CZrobPrufacje check;
  const std::string name(10000, 'N');
  const std::string symbol(10000, 'S');
  EXPECT_EQ(Resume(check, std::string(kHead) + "Ilosc=2\r\nr00=" + name + "," + symbol + ",1,2\r\nr01=" +
                              std::string(10000, '7') + "\r\n"),
            0);
  ASSERT_EQ(check.count(), 1);
  EXPECT_EQ(std::string(check.Positions()[0].name), std::string(120, 'N'));
  EXPECT_EQ(std::string(check.Positions()[0].symbol), std::string(16, 'S'));
  EXPECT_EQ(std::int32_t{check.Positions()[0].counted}, 1);
}

TEST_F(Hostile, BytesOutsideMazoviaAndControlBytesComeBackAsTheyWere) {
  CZrobPrufacje check;
  const std::string name = "\x01\x02\x03\x7f\xff\xfe \x1a";
  EXPECT_EQ(Resume(check, std::string(kHead) + "Ilosc=1\r\nr00=" + name + ",\xff\xfe,1,2\r\n"), 0);
  ASSERT_EQ(check.count(), 1);
  EXPECT_EQ(std::string(check.Positions()[0].name), name);
  EXPECT_EQ(std::string(check.Positions()[0].symbol), "\xff\xfe");
  check.SaveProgress();
  ASSERT_TRUE(standin::FlushIniFiles());
  CZrobPrufacje again;
  EXPECT_TRUE(StartWithoutDialog(again, world_, false));
  EXPECT_EQ(again.ResumeProgress(), 0);
  ASSERT_EQ(again.count(), 1);
  EXPECT_EQ(std::string(again.Positions()[0].name), name);
}

// The database --------------------------------------------------------------------

TEST_F(Hostile, NamesOf500AndSymbolsOf100CharactersAreCutToTheFields) {
  const std::string name = std::string(498, 'x') + "ął";
  const std::string symbol(100, 'Y');
  const auto id = static_cast<std::int32_t>(
      world_.store->AddInvoice({0, standin::Register::Sales, std::string(500, '9'), "2024-02-01", std::string(500, 'k')}));
  world_.store->AddPosition({id, 0, name, symbol, 1000});
  World long_world = world_;
  long_world.invoice_id = id;
  CZrobPrufacje check;
  ASSERT_TRUE(StartWithoutDialog(check, long_world, true, std::string(500, '9').c_str()));
  ASSERT_EQ(check.count(), 1);
  EXPECT_EQ(std::string(check.Positions()[0].name), std::string(120, 'x'));
  EXPECT_EQ(std::string(check.Positions()[0].symbol), std::string(16, 'Y'));
  EXPECT_EQ(std::string(check.invoice_number()), std::string(32, '9'));
  EXPECT_EQ(ListFault(check), "");
}

// Run itself takes at most 32 characters of the number that the host hands
// it: the summary and the saved progress name the number so cut.
TEST_F(Hostile, RunCutsTheInvoiceNumberTo32Characters) {
  const std::string number = std::string(32, '9') + "12345678";
  user_.Keys({Named(KeyName::F5)});
  const CheckOutcome outcome = RunCheck(world_, user_, Mz(number).c_str());
  EXPECT_EQ(outcome.result, 0);
  std::size_t summaries = 0;
  for (const SeenBox& box : user_.boxes()) {
    if (box.caption != "Podsumowanie") continue;
    ++summaries;
    EXPECT_TRUE(box.text.starts_with("Sprawdzenie faktury nr \x03" + std::string(32, '9') + "\x01")) << box.text;
  }
  EXPECT_EQ(summaries, 1u);
  EXPECT_NE(ReadFile(directory_.path() / "Niezgodnosci.ini").find("Nr fakt.=" + std::string(32, '9') + "\r\n"),
            std::string::npos);
}

// An older database may hold NULLs anywhere. None is read as an empty text
// or 0: the invoice's positions stop at the first one (the host program
// refuses such a check before it starts), and the look-ups leave out every
// record that holds one.
TEST_F(Hostile, NullColumnsOfAnOlderDatabaseAreNeverReadAsEmptyOrZero) {
  const std::filesystem::path file = directory_.path() / "nulls.db";
  ASSERT_EQ(testing_support::MakeLegacyDatabase(file,
                                                "INSERT INTO invoices (id, register, number) VALUES (7, 'sales', 'FV 7');"
                                                "INSERT INTO invoice_positions VALUES (7, 1, 'Nit', 'N1', 2000);"
                                                "INSERT INTO invoice_positions VALUES (7, 2, NULL, NULL, NULL);"
                                                "INSERT INTO invoice_positions VALUES (7, 3, 'Nit', NULL, 2000);"
                                                "INSERT INTO catalogues VALUES (NULL, NULL, NULL);"
                                                "INSERT INTO goods VALUES (NULL, NULL, NULL, NULL);"
                                                "INSERT INTO codes VALUES (NULL, NULL, NULL, NULL, NULL);"),
            "");
  std::size_t named = 0;
  standin::tables::SetProblemSink([&named](const standin::tables::ValueProblem&) { ++named; });
  standin::UseStore(standin::OpenDatabase(file));
  World nulls = world_;
  nulls.invoice_id = 7;
  CZrobPrufacje check;
  ASSERT_TRUE(StartWithoutDialog(check, nulls, true, "FV 7"));
  EXPECT_EQ(Describe(TotalsOf({check.Positions().begin(), check.Positions().end()})), "{Nit | N1 | 0 | 2000} ");
  EXPECT_GT(named, 0u);
  WriteFile(directory_.path() / "data.txt", "N1;1\nXYZ;2\n");
  standin::testing::OpenedDialog dialog(verify::DialogTemplate().data(), &check.values());
  check.ReadCollectorFile();
  EXPECT_EQ(ListFault(check), "");
  EXPECT_THAT(CountedOf(check, {"N1", "XYZ"}), ElementsAre(1000, 2000));
  standin::tables::SetProblemSink(nullptr);
  standin::UseStore(nullptr);
}

TEST_F(Hostile, AnInvoiceOf20000PositionsIsCheckedReportedSavedAndResumedWhole) {
  const auto id = static_cast<std::int32_t>(
      world_.store->AddInvoice({0, standin::Register::Sales, "FV 20000", "2024-03-01", "Hurt"}));
  std::vector<standin::PositionRow> rows;
  for (int i = 0; i < 20000; ++i) {
    rows.push_back({id, 0, "Towar " + std::to_string(i), "T" + std::to_string(i), 1000 + i});
  }
  world_.store->AddPositions(rows);
  World big = world_;
  big.invoice_id = id;
  WriteFile(directory_.path() / "data.txt", "T19999;3\nT0;1\n");
  user_.Keys({Named(KeyName::F4), Named(KeyName::F5), Named(KeyName::Esc)});
  const CheckOutcome first = RunCheck(big, user_, "FV 20000");
  EXPECT_EQ(first.result, 0);
  EXPECT_EQ(first.leaked_blocks, 0);
  EXPECT_TRUE(user_.faults().empty()) << user_.faults().front();
  ASSERT_EQ(first.list.size(), 20000u);
  EXPECT_EQ(std::int32_t{first.counters.differences}, 19999);
  EXPECT_EQ(std::int32_t{first.counters.correct}, 1);
  const auto documents = StoredDocuments();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(documents[0].size(), kReportFixedBytes + 19999 * kReportLineBytes);

  user_.Keys({Named(KeyName::Esc)});
  const CheckOutcome second = RunCheck(big, user_, "FV 20000");
  EXPECT_EQ(TotalsOf(second.list), TotalsOf(first.list));
  EXPECT_EQ(second.leaked_blocks, 0);
}

// Texts that look like formats ------------------------------------------------------

// An invoice whose number, names, symbols and codes hold conversions,
// quotes, backslashes and slashes, through every box and file of a check.
TEST_F(Hostile, TextsThatLookLikeFormatsAreShownAndWrittenAsTheyAre) {
  const std::string number = "FV %n%s%s/\"7\"\\";
  const std::string name = "%n%s%s \"Śruba\" \\ / %d%x";
  const std::string symbol = "%s%n/..\\";
  const auto id = static_cast<std::int32_t>(world_.store->AddInvoice({0, standin::Register::Sales, number, "2024-01-12", "%s"}));
  world_.store->AddPosition({id, 0, name, symbol, 2000});
  World formats = world_;
  formats.invoice_id = id;
  WriteFile(directory_.path() / "data.txt", "%n%s%s;1\n../%s;2\n");

  // First check: the import adds the codes, the no-additions option then
  // refuses a typed one, the report, the close.
  user_.Keys(Join({{Named(KeyName::F4)}, Typed(symbol), {Named(KeyName::Enter)}, Typed("1"),
                   {Named(KeyName::Enter), standin::AltKey(U'N'), Named(KeyName::Tab), standin::CharKey(U' '),
                    standin::AltKey(U'S')},
                   Typed("%n%n%n"), {Named(KeyName::Enter)}, Typed("1"),
                   {Named(KeyName::Enter), Named(KeyName::F5), Named(KeyName::Esc)}}));
  const CheckOutcome first = RunCheck(formats, user_, Mz(number).c_str());
  EXPECT_TRUE(user_.faults().empty()) << user_.faults().front();
  EXPECT_EQ(Describe(TotalsOf(first.list)),
            "{%n%s%s \"Śruba\" \\ / %d%x | %s%n/..\\ | 1000 | 2000} {Nowy towar | %n%s%s | 1000 | 0} "
            "{Nowy towar | ../%s | 2000 | 0} ");
  EXPECT_TRUE(user_.Saw("Uwaga", "Na sprawdzanej fakturze brak towaru o kodzie %n%n%n!\n"
                                 "Towar ten zostanie pominięty przy sprawdzaniu!"))
      << Describe(TotalsOf(first.list));
  ASSERT_FALSE(user_.boxes().empty());
  bool summary = false;
  for (const SeenBox& box : user_.boxes()) {
    if (box.caption != "Podsumowanie") continue;
    summary = true;
    EXPECT_TRUE(box.text.starts_with("Sprawdzenie faktury nr \x03" + number + "\x01")) << box.text;
  }
  EXPECT_TRUE(summary);
  const auto documents = StoredDocuments();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_NE(documents[0].find("| " + Mz("%n%s%s \"Śruba\" \\ / %d%x")), std::string::npos);
  EXPECT_NE(documents[0].find("|        %s%n/..\\ |"), std::string::npos);
  EXPECT_NE(documents[0].find("|          %n%s%s |"), std::string::npos);
  EXPECT_NE(documents[0].find("|           ../%s |"), std::string::npos);

  // Second check: the question names the number as it is, and the saved
  // rows come back.
  user_.Forget();
  user_.Keys({Named(KeyName::Esc)});
  const CheckOutcome second = RunCheck(formats, user_, Mz(number).c_str());
  EXPECT_TRUE(user_.Saw("Uwaga", "Czy chcesz dokończyć poprzednie sprawdzanie faktury " + number));
  EXPECT_EQ(TotalsOf(second.list), TotalsOf(first.list));

  // Only the fixed names were ever made in the working directory.
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(directory_.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"Niezgodnosci.ini", "data.txt"}));
}

// The boxes that name a line of data.txt or a symbol with a refused sum.
TEST_F(Hostile, FormatLikeTextsInRefusalBoxesAreShownAsTheyAre) {
  world_.store->AddPosition({world_.invoice_id, 0, "%n%n", "%n%s", 1000});
  world_.store->AddGoods({1, 9, "%s%s%s%n \"\\/", "%n%d"});
  {
    CZrobPrufacje check;
    EXPECT_EQ(Import(check, "%n%s%s;99999999999\n"), -2);
  }
  {
    CZrobPrufacje check;
    EXPECT_EQ(Import(check, "%n%s;2147483\n%n%s;1\n%n%d;3\n"), -2);
    EXPECT_THAT(CountedOf(check, {"%n%s", "%n%d"}), ElementsAre(2147483000, 3000));
    bool goods_found = false;
    for (const Position& p : check.Positions()) goods_found |= std::string(p.name) == "%s%s%s%n \"\\/";
    EXPECT_TRUE(goods_found);
  }
  ASSERT_EQ(user_.boxes().size(), 2u);
  EXPECT_EQ(user_.boxes()[0].text,
            "Błędna ilość w wierszu 1 pliku DATA.TXT:\n%n%s%s;99999999999\nPlik nie został wczytany!");
  EXPECT_EQ(user_.boxes()[1].text, "Ilość towaru %n%s przekroczyłaby dopuszczalny zakres!\nIlość nie została dodana.");
}

}  // namespace
}  // namespace reliability
