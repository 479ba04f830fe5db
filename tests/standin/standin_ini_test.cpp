// The stand-in's INI access: layout of the files it writes, hand-edited
// files, the cache against the disk, failures.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "standin/ini/disk.h"
#include "tests/support/standin_ini_scratch.h"
#include "tests/support/fault_rounds.h"

namespace {

using ini_test::kRead;
using ini_test::kWrite;
using ini_test::ReadIfPresent;
using ini_test::WriteBytes;
using standin::entry::IniAccess;

class IniLayout : public ini_test::ScratchDirectory {
 protected:
  void SetUp() override {
    ScratchDirectory::SetUp();
    file_ = PathOf("Niezgodnosci.ini");
  }

  std::int16_t WriteInt(const char* section, const char* key, int value) {
    return IniAccess(file_.c_str(), kWrite, section, key, "%d", value);
  }
  std::int16_t WriteText(const char* section, const char* key, const char* value) {
    return IniAccess(file_.c_str(), kWrite, section, key, "%s", value);
  }
  std::optional<int> ReadInt(const char* section, const char* key) {
    std::int32_t value = -777;
    if (IniAccess(file_.c_str(), kRead, section, key, "%d", &value) != 0) return std::nullopt;
    return value;
  }
  std::optional<std::string> ReadText(const char* section, const char* key) {
    char buffer[260];
    if (IniAccess(file_.c_str(), kRead, section, key, "%s", buffer) != 0) return std::nullopt;
    return std::string(buffer);
  }
  std::optional<std::string> Flushed() {
    EXPECT_TRUE(standin::FlushIniFiles());
    return ReadIfPresent(file_);
  }
  // The file removed behind the cache: the next write starts it afresh.
  void ExpectAFreshFileAfterTheRemoval() {
    ASSERT_EQ(std::remove(file_.c_str()), 0);
    WriteText("Nr_faktury", "Nr fakt.", "FV 2");
    EXPECT_EQ(Flushed(), "[Nr_faktury]\r\nNr fakt.=FV 2\r\n");
  }
  std::vector<std::string> NamesInFolder() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }
  unsigned ModeOfFile() const {
    struct stat info {};
    return ::stat(file_.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }

  std::string file_;
};

TEST_F(IniLayout, TheFirstWriteCreatesTheFileWithItsSectionAndKey) {
  EXPECT_EQ(WriteText("Nr_faktury", "Nr fakt.", "FV 12/2024"), 0);
  EXPECT_EQ(Flushed(), "[Nr_faktury]\r\nNr fakt.=FV 12/2024\r\n");
}

TEST_F(IniLayout, KeysStandInWriteOrderAndANewSectionGoesToTheEnd) {
  WriteText("Nr_faktury", "Nr fakt.", "FV 1");
  WriteInt("Nr_faktury", "Ilosc", 2);
  WriteInt("Prufacja", "Pytaj", 1);
  WriteText("Nr_faktury", "r00", "Nowy towar,ABC1,2500,0");
  EXPECT_EQ(Flushed(),
            "[Nr_faktury]\r\nNr fakt.=FV 1\r\nIlosc=2\r\nr00=Nowy towar,ABC1,2500,0\r\n"
            "[Prufacja]\r\nPytaj=1\r\n");
}

TEST_F(IniLayout, AnExistingKeyIsReplacedInItsLineWhateverTheCaseOfTheNames) {
  WriteBytes(file_, "[Prufacja]\r\nPytaj=0\r\nInne=x\r\n");
  EXPECT_EQ(WriteInt("PRUFACJA", "pYTAJ", 1), 0);
  EXPECT_EQ(ReadInt("prufacja", "PYTAJ"), 1);
  EXPECT_EQ(Flushed(), "[Prufacja]\r\nPytaj=1\r\nInne=x\r\n");
}

TEST_F(IniLayout, PolishLettersInNamesAreComparedAsTheyAre) {
  // Only ASCII letters fold; "Ś" and "ś" are different bytes in any page.
  WriteText("Sekcja", "Śruba"_mz, "a");
  EXPECT_EQ(ReadText("SEKCJA", "Śruba"_mz), "a");
  EXPECT_EQ(ReadText("sekcja", "śruba"_mz), std::nullopt);
}

TEST_F(IniLayout, AHandEditedFileReadsAsMeantAndKeepsItsUntouchedLines) {
  WriteBytes(file_,
      "; ustawienia wtyczki\n"
      "[ Prufacja ]\n"
      "  Pytaj = 1  \n"
      "linia bez znaku\n"
      "\n"
      "[Inna]\n"
      "a=b\n");
  EXPECT_EQ(ReadInt("Prufacja", "Pytaj"), 1);
  EXPECT_EQ(ReadText("Inna", "a"), "b");
  EXPECT_EQ(ReadText("Prufacja", "linia bez znaku"), std::nullopt);

  WriteInt("Prufacja", "Nowy", 5);
  WriteInt("Prufacja", "Pytaj", 0);
  EXPECT_EQ(Flushed(),
            "; ustawienia wtyczki\r\n"
            "[ Prufacja ]\r\n"
            "  Pytaj =0\r\n"
            "linia bez znaku\r\n"
            "Nowy=5\r\n"
            "\r\n"
            "[Inna]\r\n"
            "a=b\r\n");
}

TEST_F(IniLayout, TheFirstOfTwoEqualSectionsOrKeysIsTheOneUsed) {
  WriteBytes(file_, "[A]\r\nk=1\r\nk=2\r\n[a]\r\nk=3\r\n");
  EXPECT_EQ(ReadInt("A", "k"), 1);
  WriteInt("A", "k", 9);
  EXPECT_EQ(Flushed(), "[A]\r\nk=9\r\nk=2\r\n[a]\r\nk=3\r\n");
}

TEST_F(IniLayout, KeysBeforeAnySectionBelongToNone) {
  WriteBytes(file_, "k=1\r\n[A]\r\n");
  EXPECT_EQ(ReadInt("A", "k"), std::nullopt);
}

TEST_F(IniLayout, BlanksAtTheEndsOfAValueAreKeptInQuotes) {
  WriteText("A", "k", "  FV 1  ");
  WriteText("A", "q", "\"cytat\"");
  EXPECT_EQ(ReadText("A", "k"), "  FV 1  ");
  EXPECT_EQ(ReadText("A", "q"), "\"cytat\"");
  EXPECT_EQ(Flushed(), "[A]\r\nk=\"  FV 1  \"\r\nq=\"\"cytat\"\"\r\n");
}

TEST_F(IniLayout, QuotesTypedByAUserEncloseTheValue) {
  WriteBytes(file_, "[A]\r\nk = \" x \"\r\nj=\"\r\n");
  EXPECT_EQ(ReadText("A", "k"), " x ");
  EXPECT_EQ(ReadText("A", "j"), "\"");
}

TEST_F(IniLayout, AnEmptyValueIsWrittenAndReadAsText) {
  WriteText("A", "k", "");
  EXPECT_EQ(ReadText("A", "k"), "");
  EXPECT_EQ(ReadInt("A", "k"), std::nullopt);
  EXPECT_EQ(Flushed(), "[A]\r\nk=\r\n");
}

TEST_F(IniLayout, AValueOfTenThousandCharactersIsStoredWhole) {
  std::string value(10000, 'x');
  for (std::size_t i = 0; i < value.size(); i += 7) value[i] = ',';
  EXPECT_EQ(WriteText("A", "k", value.c_str()), 0);
  EXPECT_EQ(Flushed(), "[A]\r\nk=" + value + "\r\n");

  std::string whole(10001, '#');
  EXPECT_EQ(IniAccess(file_.c_str(), kRead, "A", "k", "%10000s", whole.data()), 0);
  EXPECT_EQ(std::string(whole.c_str()), value);
}

TEST_F(IniLayout, APlainTextReadStopsAt259Characters) {
  WriteText("A", "k", std::string(10000, 'x').c_str());
  char buffer[270];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(IniAccess(file_.c_str(), kRead, "A", "k", "%s", buffer), 0);
  EXPECT_EQ(std::string(buffer), std::string(259, 'x'));
  EXPECT_EQ(buffer[260], '#');
  EXPECT_EQ(standin::kIniPlainTextLimit, 259u);
}

TEST_F(IniLayout, AMissingFileReadsAsEmptyAndIsNotCreated) {
  EXPECT_EQ(ReadInt("Prufacja", "Pytaj"), std::nullopt);
  EXPECT_EQ(Flushed(), std::nullopt);
}

TEST_F(IniLayout, AMissingSectionOrKeyFailsTheRead) {
  WriteBytes(file_, "[Nr_faktury]\r\nNr fakt.=FV 1\r\n");
  EXPECT_EQ(ReadText("Inna", "Nr fakt."), std::nullopt);
  EXPECT_EQ(ReadText("Nr_faktury", "Ilosc"), std::nullopt);
  EXPECT_EQ(ReadText("Nr_faktury", "Nr fakt."), "FV 1");
}

TEST_F(IniLayout, ALineEndOrStructureInANameOrValueIsRefusedAndChangesNothing) {
  WriteInt("A", "k", 1);
  EXPECT_NE(WriteText("A", "k", "x\r\n[B]\r\ny=1"), 0);
  EXPECT_NE(WriteInt("A", "k=1", 2), 0);
  EXPECT_NE(WriteInt("A", ";k", 2), 0);
  EXPECT_NE(WriteInt("A]", "k", 2), 0);
  EXPECT_NE(WriteInt("", "k", 2), 0);
  EXPECT_NE(WriteInt("A", "  ", 2), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kWrite, "A", nullptr, "%d", 2), 0);
  EXPECT_NE(IniAccess(nullptr, kWrite, "A", "k", "%d", 2), 0);
  EXPECT_NE(IniAccess(file_.c_str(), kWrite, "A", "k", nullptr), 0);
  EXPECT_EQ(Flushed(), "[A]\r\nk=1\r\n");
}

TEST_F(IniLayout, OnlyModes8And9AreKnownAndTheUpperHalfOfTheModeIsIgnored) {
  EXPECT_NE(IniAccess(file_.c_str(), 7, "A", "k", "%d", 1), 0);
  EXPECT_NE(IniAccess(file_.c_str(), 0, "A", "k", "%d", 1), 0);
  EXPECT_EQ(IniAccess(file_.c_str(), 0x7ABC0009, "A", "k", "%d", 4), 0);
  EXPECT_EQ(Flushed(), "[A]\r\nk=4\r\n");
}

TEST_F(IniLayout, GarbageFilesNeverCrashAndStayWritable) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    std::string garbage(random() % 3000, '\0');
    for (char& c : garbage) {
      const unsigned pick = random() % 16;
      c = pick < 6 ? "[]=;\r\n"[pick] : static_cast<char>(random());
    }
    WriteBytes(file_, garbage);
    standin::testing::ForgetIniFiles();
    char text[260];
    std::int32_t number = 0;
    IniAccess(file_.c_str(), kRead, "A", "k", "%s", text);
    IniAccess(file_.c_str(), kRead, "a", "=", "%d", &number);
    ASSERT_EQ(WriteText("Nr_faktury", "Nr fakt.", "FV 7"), 0);
    ASSERT_TRUE(standin::FlushIniFiles());
    standin::testing::ForgetIniFiles();
    ASSERT_EQ(ReadText("Nr_faktury", "Nr fakt."), "FV 7") << "round " << round;
  }
}

TEST_F(IniLayout, WritesStayInMemoryUntilAFlush) {
  WriteText("Nr_faktury", "Nr fakt.", "FV 1");
  WriteInt("Nr_faktury", "Ilosc", 0);
  EXPECT_EQ(ReadIfPresent(file_), std::nullopt);
  EXPECT_TRUE(standin::FlushIniFiles());
  EXPECT_EQ(ReadIfPresent(file_), "[Nr_faktury]\r\nNr fakt.=FV 1\r\nIlosc=0\r\n");
}

TEST_F(IniLayout, PendingWritesReachTheDiskWhenTheProcessExits) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WriteText("Nr_faktury", "Nr fakt.", "FV 9");
    std::exit(ReadIfPresent(file_) ? 1 : 0);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the write reached the disk before the exit";
  EXPECT_EQ(ReadIfPresent(file_), "[Nr_faktury]\r\nNr fakt.=FV 9\r\n");
}

TEST_F(IniLayout, WritingTheValuesTheFileHoldsLeavesTheFileAlone) {
  WriteInt("Prufacja", "Pytaj", 1);
  ASSERT_TRUE(standin::FlushIniFiles());
  struct stat before {};
  ASSERT_EQ(::stat(file_.c_str(), &before), 0);
  WriteInt("Prufacja", "Pytaj", 1);
  ASSERT_TRUE(standin::FlushIniFiles());
  struct stat after {};
  ASSERT_EQ(::stat(file_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(IniLayout, AReadWritesThePendingChangesFirst) {
  WriteInt("A", "k", 3);
  EXPECT_EQ(ReadInt("A", "k"), 3);
  EXPECT_EQ(ReadIfPresent(file_), "[A]\r\nk=3\r\n");
}

TEST_F(IniLayout, AFileRemovedBehindTheCacheStartsEmptyAtTheNextWrite) {
  WriteText("Nr_faktury", "Nr fakt.", "FV 1");
  WriteInt("Nr_faktury", "Ilosc", 1);
  WriteText("Nr_faktury", "r00", "Stary,S,1,1");
  ASSERT_TRUE(standin::FlushIniFiles());
  ExpectAFreshFileAfterTheRemoval();
}

TEST_F(IniLayout, AFileRemovedBehindTheCacheReadsAsEmpty) {
  WriteInt("A", "k", 1);
  ASSERT_TRUE(standin::FlushIniFiles());
  ASSERT_EQ(ReadInt("A", "k"), 1);
  ASSERT_EQ(std::remove(file_.c_str()), 0);
  EXPECT_EQ(ReadInt("A", "k"), std::nullopt);
}

// The removal came after the pending writes, so it removes them too.
TEST_F(IniLayout, PendingWritesToAFileRemovedBehindTheCacheAreDropped) {
  WriteText("Nr_faktury", "Nr fakt.", "FV 1");
  ASSERT_TRUE(standin::FlushIniFiles());
  WriteText("Nr_faktury", "r05", "Zgubiony,Z,1,1");
  ASSERT_EQ(std::remove(file_.c_str()), 0);
  EXPECT_TRUE(standin::FlushIniFiles());
  EXPECT_EQ(ReadIfPresent(file_), std::nullopt);

  WriteText("Nr_faktury", "r05", "Zgubiony,Z,1,1");
  ASSERT_EQ(std::remove(file_.c_str()), -1);  // never reached the disk
  ASSERT_EQ(ReadText("Nr_faktury", "r05"), "Zgubiony,Z,1,1");
  ExpectAFreshFileAfterTheRemoval();
}

TEST_F(IniLayout, AFileEditedBehindTheCacheIsLoadedAgain) {
  WriteInt("Prufacja", "Pytaj", 0);
  ASSERT_TRUE(standin::FlushIniFiles());
  ASSERT_EQ(ReadInt("Prufacja", "Pytaj"), 0);
  WriteBytes(file_, "[Prufacja]\r\nPytaj=1\r\nDodany=2\r\n");
  EXPECT_EQ(ReadInt("Prufacja", "Pytaj"), 1);
  WriteInt("Prufacja", "Nowy", 3);
  EXPECT_EQ(Flushed(), "[Prufacja]\r\nPytaj=1\r\nDodany=2\r\nNowy=3\r\n");
}

TEST_F(IniLayout, AFailedWriteAnswersNonZeroAndChangesNothing) {
  WriteInt("A", "k", 1);
  standin::testing::FailNth(standin::Fault::IniWrite, 1);
  EXPECT_NE(WriteInt("A", "k", 2), 0);
  EXPECT_EQ(WriteInt("A", "j", 2), 0);  // only the chosen one fails
  EXPECT_EQ(ReadInt("A", "k"), 1);

  standin::testing::FailAlways(standin::Fault::IniWrite, true);
  EXPECT_NE(WriteInt("A", "k", 3), 0);
  EXPECT_NE(WriteInt("B", "n", 3), 0);
  EXPECT_EQ(Flushed(), "[A]\r\nk=1\r\nj=2\r\n");
}

TEST_F(IniLayout, RelativeNamesResolveAgainstTheCurrentDirectory) {
  {
    const testing_support::CurrentDirectory inside(dir_);
    EXPECT_EQ(IniAccess("PrufPytanie.ini", kWrite, "Prufacja", "Pytaj", "%d", 1), 0);
    std::int16_t flag = 0;
    EXPECT_EQ(IniAccess("./PrufPytanie.ini", kRead, "Prufacja", "Pytaj", "%hd", &flag), 0);
    EXPECT_EQ(flag, 1);
  }
  EXPECT_EQ(ReadIfPresent(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=1\r\n");
}

TEST_F(IniLayout, AFlushKeepsTheFilesModeAndLeavesNoOtherFiles) {
  WriteBytes(file_, "[A]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0640), 0);
  WriteInt("A", "k", 2);
  ASSERT_TRUE(standin::FlushIniFiles());
  EXPECT_EQ(ModeOfFile(), 0640u);
  EXPECT_EQ(NamesInFolder(), std::vector<std::string>{"Niezgodnosci.ini"});
}

// Names that the system takes for one file are one file to the cache:
// doubled slashes, "." and ".." steps.
TEST_F(IniLayout, NamesWrittenDifferentlyAreOneFile) {
  ASSERT_EQ(WriteInt("A", "k", 1), 0);
  const std::string doubled = dir_.string() + "//Niezgodnosci.ini";
  const std::string stepped = dir_.string() + "/./sub/../Niezgodnosci.ini";
  std::filesystem::create_directory(dir_ / "sub");
  EXPECT_EQ(IniAccess(doubled.c_str(), kWrite, "A", "j", "%d", 2), 0);
  std::int32_t value = 0;
  EXPECT_EQ(IniAccess(stepped.c_str(), kRead, "A", "k", "%d", &value), 0);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(Flushed(), "[A]\r\nk=1\r\nj=2\r\n");
}

// A folder in the file's place is not written over, nor read.
TEST_F(IniLayout, AFolderWhereTheFileShouldBeRefusesWrites) {
  std::filesystem::create_directory(file_);
  EXPECT_NE(WriteInt("A", "k", 1), 0);
  EXPECT_EQ(ReadInt("A", "k"), std::nullopt);
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(IniLayout, AWriteIntoAMissingDirectoryFails) {
  const std::string nowhere = PathOf("brak/Niezgodnosci.ini");
  EXPECT_NE(IniAccess(nowhere.c_str(), kWrite, "A", "k", "%d", 1), 0);
}

TEST_F(IniLayout, AFlushThatCannotWriteKeepsTheChangesForTheNextOne) {
  const std::filesystem::path sub = dir_ / "sub";
  std::filesystem::create_directory(sub);
  const std::string path = (sub / "x.ini").string();
  ASSERT_EQ(IniAccess(path.c_str(), kWrite, "A", "k", "%d", 1), 0);
  std::filesystem::remove(sub);
  EXPECT_FALSE(standin::FlushIniFiles());
  std::filesystem::create_directory(sub);
  EXPECT_TRUE(standin::FlushIniFiles());
  EXPECT_EQ(ReadIfPresent(path), "[A]\r\nk=1\r\n");
}

// Each system call of a flush fails in turn, once and from then on: the file
// holds its old content or the new one whole, a failed flush says so and
// keeps the change for the next, and no temporary file is left behind.
TEST_F(IniLayout, EveryDiskCallOfAFlushMayFailAndNothingIsLost) {
  using standin::Fault;
  const std::string before = "[A]\r\nk=1\r\nj=7\r\n";
  const std::string after = "[A]\r\nk=2\r\nj=7\r\n";
  auto change = [&] {
    Clear();
    WriteBytes(file_, before);
    EXPECT_EQ(::chmod(file_.c_str(), 0640), 0);
    EXPECT_EQ(WriteInt("A", "k", 2), 0);
  };
  change();
  bool flushed = false;
  const long calls = testing_support::CallsMadeBy(Fault::IniDisk, [&] { flushed = standin::FlushIniFiles(); });
  ASSERT_TRUE(flushed);
  ASSERT_GE(calls, 5);  // create, write, mode, sync, rename at least

  int failed = 0;
  int recovered = 0;
  testing_support::FailEachCallInTurn(
      Fault::IniDisk, calls, change, [] { return standin::FlushIniFiles(); },
      [&](bool flushed_then) {
        (flushed_then ? recovered : failed) += 1;
        EXPECT_EQ(ReadIfPresent(file_), flushed_then ? after : before);
        EXPECT_EQ(NamesInFolder(), std::vector<std::string>{"Niezgodnosci.ini"});
        EXPECT_TRUE(standin::FlushIniFiles());
        EXPECT_EQ(ReadIfPresent(file_), after);
        EXPECT_EQ(ModeOfFile(), 0640u);
      });
  // A failed unnamed temporary falls back to a named one.
  EXPECT_GT(recovered, 0);
  EXPECT_GT(failed, 0);
}

TEST_F(IniLayout, AFileThatCannotBeReadIsNeitherWrittenOverNorForgotten) {
  const std::string held = "[A]\r\nk=1\r\nj=7\r\n";
  WriteBytes(file_, held);
  for (const long n : {1, 2}) {  // its opening, then its reading
    SCOPED_TRACE(n);
    Clear();
    standin::testing::FailNth(standin::Fault::IniDisk, n);
    EXPECT_NE(WriteInt("A", "k", 2), 0);
    EXPECT_TRUE(standin::FlushIniFiles());
    EXPECT_EQ(ReadIfPresent(file_), held);
    // Once it can be read, it is read and written as any other.
    EXPECT_EQ(ReadInt("A", "j"), 7);
    EXPECT_EQ(WriteInt("A", "k", 2), 0);
    EXPECT_EQ(Flushed(), "[A]\r\nk=2\r\nj=7\r\n");
    WriteBytes(file_, held);
  }
}

// The cache takes a file for changed when any one thing the system tells
// of it differs: a file replaced by another of the same size and time, or
// written within the same second, is read again.
TEST(IniStamp, ADifferenceInAnyOneOfItsPartsIsAChange) {
  using standin::ini::disk::Stamp;
  const Stamp base{true, true, 1, 2, 3, 4, 5, 0644};
  const std::pair<const char*, void (*)(Stamp&)> changes[] = {
      {"exists", [](Stamp& s) { s.exists = false; }},  {"regular", [](Stamp& s) { s.regular = false; }},
      {"volume", [](Stamp& s) { s.volume = 9; }},       {"identity", [](Stamp& s) { s.identity = 9; }},
      {"size", [](Stamp& s) { s.size = 9; }},           {"modified", [](Stamp& s) { s.modified = 9; }},
      {"changed", [](Stamp& s) { s.changed = 9; }},     {"mode", [](Stamp& s) { s.mode = 0600; }},
  };
  for (const auto& [name, change] : changes) {
    Stamp other = base;
    change(other);
    EXPECT_FALSE(other == base) << name;
  }
  EXPECT_TRUE(Stamp(base) == base);
}

TEST_F(IniLayout, AReadOnlyFileRefusesWrites) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes any file";
  WriteBytes(file_, "[A]\r\nk=1\r\n");
  ASSERT_EQ(::chmod(file_.c_str(), 0444), 0);
  EXPECT_NE(WriteInt("A", "k", 2), 0);
  EXPECT_EQ(ReadInt("A", "k"), 1);
}

}  // namespace
