// The saved progress of a check in Niezgodnosci.ini, through the
// stand-in's INI access, in a fresh working directory per test.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/entries.h"
#include "standin/ini/ini_access.h"
#include "standin/recording_frontend.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/file_bytes.h"
#include "tests/support/position_rows.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

using testing_support::Row;
using testing_support::Rows;
using ::testing_support::ReadBytes;
namespace fs = std::filesystem;

constexpr std::int16_t kYes = 0x5001;
constexpr std::int16_t kNo = 0x5002;

// A progress file as a user would edit it: UTF-8 here, Mazovia on disk.
void WriteProgressFile(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) bytes += codepage::Utf8ToMazovia(line) + "\r\n";
  std::ofstream(std::string("Niezgodnosci.ini"), std::ios::binary | std::ios::trunc) << bytes;
}

void Touch(const char* name) { std::ofstream(std::string(name), std::ios::binary) << "x"; }

// A saved check of one row, with both companion files beside it.
void WriteOneRowProgressWithCompanions(const std::string& number) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=" + number, "Ilosc=1", "r00=Nit,N1,0,1000"});
  Touch("Niezgodnosci.INO");
  Touch("Niezgodnosci.LCK");
}

// Which of the progress file and its companions are there.
std::vector<std::string> ProgressFilesLeft() {
  std::vector<std::string> left;
  for (const char* name : {"Niezgodnosci.ini", "Niezgodnosci.INO", "Niezgodnosci.LCK"}) {
    if (fs::exists(name)) left.emplace_back(name);
  }
  return left;
}

// The key of a row: "r" and at least two digits.
std::string RowKey(int index) { return (index < 10 ? "r0" : "r") + std::to_string(index); }

std::string Numbered(const char* stem, int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%03d", stem, n);
  return text;
}

class ProgressTest : public ::testing::Test {
 protected:

  // What a later check of the invoice sees: a fresh object, the user's
  // answer to the question queued.
  std::int32_t Resume(CZrobPrufacje& check, const char* number, std::int16_t answer) {
    CheckAccess::GiveBlock(check, number);
    front_.Answer(answer);
    return check.ResumeProgress();
  }

  // A saved check of `saved` that a check of `checked` does not resume:
  // nothing resumed, neither the file nor its companions left.
  void ExpectDiscarded(const std::string& saved, const char* checked, std::int16_t answer) {
    WriteOneRowProgressWithCompanions(saved);
    CZrobPrufacje check;
    EXPECT_EQ(Resume(check, checked, answer), 1);
    EXPECT_EQ(check.count(), 0);
    EXPECT_THAT(ProgressFilesLeft(), ::testing::IsEmpty());
  }

  std::string SavedBytes() {
    EXPECT_TRUE(standin::FlushIniFiles());
    return ReadBytes("Niezgodnosci.ini");
  }

  ::testing_support::StandInSession session_{"progress_test"};
  standin::RecordingFrontEnd front_;
};

TEST_F(ProgressTest, SaveWritesNumberCountAndEveryRowInListOrder) {
  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, "FV 7/2024");
  for (int i = 0; i < 150; ++i)
    ASSERT_TRUE(CheckAccess::Append(check, Numbered("Pozycja ", i), Numbered("S", i), i * 10, 1000));

  check.SaveProgress();

  std::string expected = "[Nr_faktury]\r\nNr fakt.=FV 7/2024\r\nIlosc=150\r\n";
  for (int i = 0; i < 150; ++i) {
    expected += RowKey(i) + "=" + Numbered("Pozycja ", i) + "," + Numbered("S", i) + "," + std::to_string(i * 10) +
                ",1000\r\n";
  }
  EXPECT_EQ(SavedBytes(), expected);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST_F(ProgressTest, SavedRowKeepsMazoviaBytesAndTheExampleShape) {
  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, "FV 8/2024");
  ASSERT_TRUE(CheckAccess::Append(check, "Nowy towar", "ABC1", 2500, 0));
  ASSERT_TRUE(CheckAccess::Append(check, "Łożysko", "", -1500, 3000));

  check.SaveProgress();

  EXPECT_EQ(SavedBytes(), "[Nr_faktury]\r\nNr fakt.=FV 8/2024\r\nIlosc=2\r\nr00=Nowy towar,ABC1,2500,0\r\nr01=" +
                              codepage::Utf8ToMazovia("Łożysko") + ",,-1500,3000\r\n");
}

TEST_F(ProgressTest, SavedListComesBackWholeAfterYes) {
  CZrobPrufacje first;
  CheckAccess::GiveBlock(first, "FV 9/2024");
  ASSERT_TRUE(CheckAccess::Append(first, "Śruba M6, ocynk", "SR6", 2000, 3000));
  ASSERT_TRUE(CheckAccess::Append(first, "Nowy towar", "", 1000, 0));
  ASSERT_TRUE(CheckAccess::Append(first, "Kabel, 3 żyły, 2,5 mm", "KAB-3", 0, 12500));
  first.SaveProgress();

  CZrobPrufacje second;
  EXPECT_EQ(Resume(second, "FV 9/2024", kYes), 0);

  EXPECT_EQ(Rows(second), (std::vector<Row>{{"Śruba M6, ocynk", "SR6", 2000, 3000},
                                            {"Nowy towar", "", 1000, 0},
                                            {"Kabel, 3 żyły, 2,5 mm", "KAB-3", 0, 12500}}));
  EXPECT_TRUE(second.list_refresh());
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].CaptionUtf8(), "Uwaga");
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), "Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 9/2024");
  EXPECT_EQ(front_.boxes()[0].kind, 6);
}

TEST_F(ProgressTest, ShorterSaveLeavesOldRowsThatResumeIgnores) {
  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, "FV 10/2024");
  for (int i = 0; i < 12; ++i)
    ASSERT_TRUE(CheckAccess::Append(check, Numbered("Pozycja ", i), Numbered("S", i), 0, 1000));
  check.SaveProgress();
  CheckAccess::SetCount(check, 10);
  check.SaveProgress();

  const std::string saved = SavedBytes();
  EXPECT_NE(saved.find("Ilosc=10\r\n"), std::string::npos);
  EXPECT_NE(saved.find("r10=Pozycja 010,S010,0,1000\r\n"), std::string::npos);
  EXPECT_NE(saved.find("r11=Pozycja 011,S011,0,1000\r\n"), std::string::npos);

  CZrobPrufacje later;
  EXPECT_EQ(Resume(later, "FV 10/2024", kYes), 0);
  ASSERT_EQ(later.count(), 10);
  EXPECT_EQ(Rows(later).back(), (Row{"Pozycja 009", "S009", 0, 1000}));
}

TEST_F(ProgressTest, MissingAndEmptyRowsAreDroppedAndLaterRowsMoveUp) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 11/2024", "Ilosc=6", "r00=Nit,N1,0,1000", "r01=Wkręt,W1,500,1000",
                     "r03=Klej,K1,0,2000", "r04=,,0,0", "r05=Taśma,T1,1000,1000"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 11/2024", kYes), 0);

  EXPECT_EQ(Rows(check), (std::vector<Row>{{"Nit", "N1", 0, 1000},
                                           {"Wkręt", "W1", 500, 1000},
                                           {"Klej", "K1", 0, 2000},
                                           {"Taśma", "T1", 1000, 1000}}));
}

// Only a row with every field empty is dropped: one empty in part stays.
TEST_F(ProgressTest, RowsEmptyOnlyInPartAreKept) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 11/2024", "Ilosc=3", "r00=,S1,0,0", "r01=,,500,0", "r02=,,0,700"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 11/2024", kYes), 0);

  EXPECT_EQ(Rows(check), (std::vector<Row>{{"", "S1", 0, 0}, {"", "", 500, 0}, {"", "", 0, 700}}));
}

TEST_F(ProgressTest, RowThatDoesNotParseIsDropped) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 12/2024", "Ilosc=3", "r00=Nit,N1,0,1000", "r01=tylko tekst",
                     "r02=Klej,K1,dużo,2000"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 12/2024", kYes), 0);

  EXPECT_EQ(Rows(check), (std::vector<Row>{{"Nit", "N1", 0, 1000}}));
}

TEST_F(ProgressTest, NoProgressFileMeansNoQuestion) {
  CZrobPrufacje check;

  EXPECT_EQ(Resume(check, "FV 13/2024", kYes), 1);

  EXPECT_EQ(check.count(), 0);
  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_FALSE(fs::exists("Niezgodnosci.ini"));
}

TEST_F(ProgressTest, FileWithoutNumberCountsAsNoSavedCheckAndStays) {
  WriteProgressFile({"[Nr_faktury]", "Ilosc=1", "r00=Nit,N1,0,1000"});
  Touch("Niezgodnosci.LCK");

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 14/2024", kYes), 1);

  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_TRUE(fs::exists("Niezgodnosci.ini"));
  EXPECT_TRUE(fs::exists("Niezgodnosci.LCK"));
}

TEST_F(ProgressTest, AnotherInvoicesProgressIsDiscardedWithBothCompanionsWithoutQuestion) {
  ExpectDiscarded("FV 1/2024", "FV 2/2024", kYes);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST_F(ProgressTest, NumbersDifferingOnlyInCaseAreDifferentInvoices) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=fv 15/2024", "Ilosc=1", "r00=Nit,N1,0,1000"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 15/2024", kYes), 1);

  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_FALSE(fs::exists("Niezgodnosci.ini"));
}

TEST_F(ProgressTest, AnswerNoDiscardsTheProgress) {
  ExpectDiscarded("FV 16/2024", "FV 16/2024", kNo);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].kind, 6);
}

TEST_F(ProgressTest, DiscardedProgressLeavesNoOldRowsForTheNextSave) {
  CZrobPrufacje first;
  CheckAccess::GiveBlock(first, "FV 17/2024");
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(CheckAccess::Append(first, Numbered("Stara ", i), Numbered("S", i), 0, 1000));
  first.SaveProgress();

  CZrobPrufacje second;
  EXPECT_EQ(Resume(second, "FV 18/2024", kYes), 1);
  ASSERT_TRUE(CheckAccess::Append(second, "Nowa", "N1", 0, 1000));
  second.SaveProgress();

  EXPECT_EQ(SavedBytes(), "[Nr_faktury]\r\nNr fakt.=FV 18/2024\r\nIlosc=1\r\nr00=Nowa,N1,0,1000\r\n");
}

TEST_F(ProgressTest, ZeroRowsAndYesResumesAnEmptyList) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 19/2024", "Ilosc=0"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 19/2024", kYes), 0);

  EXPECT_EQ(check.count(), 0);
  EXPECT_TRUE(check.list_refresh());
  EXPECT_TRUE(fs::exists("Niezgodnosci.ini"));
}

TEST_F(ProgressTest, MissingCountAfterYesLoadsAfreshAndKeepsTheFiles) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 20/2024", "r00=Nit,N1,0,1000"});
  Touch("Niezgodnosci.INO");

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 20/2024", kYes), 1);

  EXPECT_EQ(check.count(), 0);
  EXPECT_FALSE(check.list_refresh());
  EXPECT_TRUE(fs::exists("Niezgodnosci.ini"));
  EXPECT_TRUE(fs::exists("Niezgodnosci.INO"));
}

TEST_F(ProgressTest, NegativeCountResumesAnEmptyList) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 21/2024", "Ilosc=-5", "r00=Nit,N1,0,1000"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 21/2024", kYes), 0);

  EXPECT_EQ(check.count(), 0);
  EXPECT_EQ(front_.boxes().size(), 1u);
}

TEST_F(ProgressTest, ListLargerThanTheFirstBlockComesBackWhole) {
  CZrobPrufacje first;
  CheckAccess::GiveBlock(first, "FV 22/2024");
  for (int i = 0; i < 12000; ++i)
    ASSERT_TRUE(CheckAccess::Append(first, Numbered("Pozycja ", i), Numbered("S", i), i, 1000));
  first.SaveProgress();

  CZrobPrufacje second;
  EXPECT_EQ(Resume(second, "FV 22/2024", kYes), 0);

  ASSERT_EQ(second.count(), 12000);
  EXPECT_EQ(Rows(second)[5000], (Row{"Pozycja 5000", "S5000", 5000, 1000}));
  EXPECT_EQ(Rows(second)[11999], (Row{"Pozycja 11999", "S11999", 11999, 1000}));
  EXPECT_EQ(front_.boxes().size(), 1u);
}

TEST_F(ProgressTest, CountFarBeyondTheFileResumesEveryRowItHoldsWithoutAsking) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 23/2024", "Ilosc=2000000000", "r00=Nit,N1,0,1000",
                     "r01=Klej,K1,0,2000", "r4999=Taśma,T1,0,3000", "r5000=Poza,P1,0,1000"});

  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, "FV 23/2024");
  front_.Answer(kYes);
  const long allocations = standin::testing::CallCount(standin::Fault::Allocation);
  EXPECT_EQ(check.ResumeProgress(), 0);

  // Four rows need no more than the first block, and nothing was left out.
  EXPECT_EQ(Rows(check), (std::vector<Row>{{"Nit", "N1", 0, 1000},
                                           {"Klej", "K1", 0, 2000},
                                           {"Taśma", "T1", 0, 3000},
                                           {"Poza", "P1", 0, 1000}}));
  EXPECT_EQ(standin::testing::CallCount(standin::Fault::Allocation), allocations);
  EXPECT_EQ(front_.boxes().size(), 1u);
}

TEST_F(ProgressTest, RefusedGrowthResumesTheFirstBlockOnly) {
  std::vector<std::string> lines = {"[Nr_faktury]", "Nr fakt.=FV 24/2024", "Ilosc=5002"};
  for (int i = 0; i < 5002; ++i) lines.push_back(RowKey(i) + "=Towar,T" + std::to_string(i) + ",0,1000");
  WriteProgressFile(lines);

  CZrobPrufacje check;
  CheckAccess::GiveBlock(check, "FV 24/2024");
  standin::testing::FailAlways(standin::Fault::Allocation, true);
  front_.Answer(kYes);
  EXPECT_EQ(check.ResumeProgress(), 0);
  standin::testing::ClearFaults();

  ASSERT_EQ(check.count(), 5000);
  EXPECT_EQ(Rows(check)[4999], (Row{"Towar", "T4999", 0, 1000}));
  EXPECT_EQ(CheckAccess::Capacity(check), 5000);
  ASSERT_EQ(front_.boxes().size(), 2u);
  EXPECT_EQ(front_.boxes()[1].TextUtf8(),
            "Nie udało się wczytać całego poprzedniego sprawdzania!\n"
            "Wczytano 5000 pozycji, sprawdzanie będzie niepełne.");
}

TEST_F(ProgressTest, HandEditedLongFieldsAreCutToThePositionsFields) {
  const std::string long_name(200, 'N');
  const std::string long_symbol(30, 'S');
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=FV 25/2024", "Ilosc=1", "r00=" + long_name + "," + long_symbol + ",5,6"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, "FV 25/2024", kYes), 0);

  ASSERT_EQ(check.count(), 1);
  EXPECT_EQ(std::string(check.Positions()[0].name), std::string(120, 'N'));
  EXPECT_EQ(std::string(check.Positions()[0].symbol), std::string(16, 'S'));
}

TEST_F(ProgressTest, OverlongStoredNumberIsCutAndCountsAsAnotherInvoice) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=" + std::string(300, '7'), "Ilosc=1", "r00=Nit,N1,0,1000"});

  CZrobPrufacje check;
  EXPECT_EQ(Resume(check, std::string(32, '7').c_str(), kYes), 1);

  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_FALSE(fs::exists("Niezgodnosci.ini"));
}

// What the resume relies on to keep "Nr fakt." inside its 260 bytes.
TEST_F(ProgressTest, PlainTextReadOfTheNumberStopsAt259Characters) {
  WriteProgressFile({"[Nr_faktury]", "Nr fakt.=" + std::string(300, '7')});
  char buffer[400];
  std::memset(buffer, '#', sizeof buffer);

  ASSERT_EQ(korpus::IniAccess("Niezgodnosci.ini", 8, "Nr_faktury", "Nr fakt.", "%s", buffer), 0);

  EXPECT_EQ(std::strlen(buffer), 259u);
  EXPECT_EQ(buffer[260], '#');
}

}  // namespace
}  // namespace verify
