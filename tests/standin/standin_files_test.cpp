// The stand-in's streams (the host's text mode on every platform), its
// document store and the steps before a collector import.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/files/files.h"
#include "standin/tables/store.h"
#include "standin/testing.h"
#include "tests/support/file_bytes.h"
#include "tests/support/scratch_directory.h"

namespace {

using namespace standin;
using testing_support::ReadBytes;
using testing_support::WriteBytes;

// Each test runs in a fresh current directory, as the host's files are
// named relative to it.
class InFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::testing::ClearFaults();
    files::Reset();
  }
  void TearDown() override {
    standin::testing::ClearFaults();
    files::Reset();
    UseStore(nullptr);
  }

  // Everything a stream delivers until its end.
  static std::string ReadAll(std::FILE* stream) {
    std::string out;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) out += static_cast<char>(c);
    return out;
  }

  testing_support::ScratchWorkingDirectory folder_{"standin_files"};
};

// ---- streams ----

using Streams = InFolder;

TEST_F(Streams, TextModeWritesEveryLineEndAsCrLf) {
  std::FILE* stream = entry::OpenStream("Niezgodnosci.txt", "wt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  EXPECT_GT(std::fprintf(stream, "%s\n%4d|\n", "Nazwa", 12), 0);
  EXPECT_GE(std::fputs("\n\nend", stream), 0);
  EXPECT_EQ(std::fclose(stream), 0);
  EXPECT_EQ(ReadBytes("Niezgodnosci.txt"), "Nazwa\r\n  12|\r\n\r\n\r\nend");
}

TEST_F(Streams, AWriteModeWithoutLettersIsTextModeAsTheHostsDefault) {
  std::FILE* stream = entry::OpenStream("plain.txt", "w", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  std::fputs("a\nb", stream);
  std::fclose(stream);
  EXPECT_EQ(ReadBytes("plain.txt"), "a\r\nb");
}

TEST_F(Streams, BinaryModesPassBytesUnchanged) {
  std::FILE* stream = entry::OpenStream("raw.bin", "wb", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  std::fputs(
      "a\nb\r\n\x1A"
      "c",
      stream);
  std::fclose(stream);
  EXPECT_EQ(ReadBytes("raw.bin"),
            "a\nb\r\n\x1A"
            "c");

  stream = entry::OpenStream("raw.bin", "rb", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadAll(stream),
            "a\nb\r\n\x1A"
            "c");
  std::fclose(stream);
}

TEST_F(Streams, TextModeReadsCrLfAsLfAndKeepsALoneCr) {
  WriteBytes("data.txt", "ABC,3\r\nDEF;4\nG\rH\r\n\r\nlast");
  std::FILE* stream = entry::OpenStream("data.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadAll(stream), "ABC,3\nDEF;4\nG\rH\n\nlast");
  std::fclose(stream);
}

TEST_F(Streams, TextModeReadsLinesAsTheImportDoes) {
  WriteBytes("data.txt", "8710841030181,12,003278\r\n  ABC  ,   -7\r\n");
  std::FILE* stream = entry::OpenStream("data.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  char line[256];
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "8710841030181,12,003278\n");
  ASSERT_NE(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_STREQ(line, "  ABC  ,   -7\n");
  EXPECT_EQ(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_TRUE(std::feof(stream));
  std::fclose(stream);
}

TEST_F(Streams, ACrLfPairSplitAcrossTwoReadsIsStillOneLineEnd) {
  // Lines sized so that pairs fall on every position of the read blocks.
  std::string bytes;
  std::string expected;
  for (int i = 0; bytes.size() < 3 * 65536; ++i) {
    const std::string line(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    bytes += line + "\r\n";
    expected += line + "\n";
  }
  WriteBytes("long.txt", bytes);
  std::FILE* stream = entry::OpenStream("long.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  std::string read;
  char block[4093];  // odd-sized, so the pairs straddle reads
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, stream)) > 0;) read.append(block, got);
  std::fclose(stream);
  EXPECT_EQ(read.size(), expected.size());
  EXPECT_TRUE(read == expected);
}

TEST_F(Streams, ALoneCrAtTheEndOfAReadStaysACr) {
  std::string bytes;
  for (int i = 0; bytes.size() < 3 * 65536; ++i) bytes += std::string(static_cast<std::size_t>(i % 89), 'k') + "\rx";
  WriteBytes("cr.txt", bytes);
  std::FILE* stream = entry::OpenStream("cr.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  const std::string read = ReadAll(stream);
  std::fclose(stream);
  EXPECT_EQ(read.size(), bytes.size());
  EXPECT_TRUE(read == bytes);
}

TEST_F(Streams, AnUpdateStreamReadsBackWhatItWroteAndASeekReadsPastACtrlZAgain) {
  std::FILE* stream = entry::OpenStream("update.txt", "w+t", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  ASSERT_GE(std::fputs("A,1\nB\r2\n\x1A" "after", stream), 0);
  for (int pass = 0; pass < 2; ++pass) {
    ASSERT_EQ(std::fseek(stream, 0, SEEK_SET), 0);
    EXPECT_EQ(ReadAll(stream), "A,1\nB\r2\n") << "pass " << pass;
  }
  std::fclose(stream);
  EXPECT_EQ(ReadBytes("update.txt"), "A,1\r\nB\r2\r\n\x1A" "after");
}

TEST_F(Streams, ACtrlZEndsWhatTextModeReads) {
  WriteBytes("dos.txt",
        "A,1\r\nB,2\r\n\x1A"
        "garbage after the end\r\n");
  std::FILE* stream = entry::OpenStream("dos.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(ReadAll(stream), "A,1\nB,2\n");
  std::fclose(stream);
}

TEST_F(Streams, AMissingFileOrAnUnknownModeGivesNoStream) {
  EXPECT_EQ(entry::OpenStream("data.txt", "rt", 0x40, 0, -1), nullptr);
  EXPECT_EQ(entry::OpenStream("x.txt", "qt", 0x40, 0, -1), nullptr);
  EXPECT_EQ(entry::OpenStream(nullptr, "wt", 0x40, 0, -1), nullptr);
  EXPECT_EQ(entry::OpenStream("x.txt", nullptr, 0x40, 0, -1), nullptr);
  EXPECT_FALSE(std::filesystem::exists("x.txt"));
}

TEST_F(Streams, ADirectoryOpensButEveryReadFails) {
  std::filesystem::create_directory("data.txt");
  std::FILE* stream = entry::OpenStream("data.txt", "rt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  char line[256];
  EXPECT_EQ(std::fgets(line, sizeof line, stream), nullptr);
  EXPECT_TRUE(std::ferror(stream));
  EXPECT_FALSE(std::feof(stream));
  std::fclose(stream);
}

TEST_F(Streams, TheNamesDirectoryIsTheCurrentOne) {
  std::filesystem::create_directory("sub");
  std::FILE* stream = entry::OpenStream("sub/inner.txt", "wt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  std::fputs("x\n", stream);
  std::fclose(stream);
  EXPECT_EQ(ReadBytes(folder_.path() / "sub" / "inner.txt"), "x\r\n");
}

TEST_F(Streams, TheChosenWriteFailsAndFprintfReportsIt) {
  std::FILE* stream = entry::OpenStream("Niezgodnosci.txt", "wt", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  standin::testing::FailNth(Fault::StreamWrite, 2);
  EXPECT_GT(std::fprintf(stream, "%s\n", "first"), 0);
  EXPECT_LT(std::fprintf(stream, "%s\n", "second"), 0);
  std::fclose(stream);
  EXPECT_EQ(ReadBytes("Niezgodnosci.txt"), "first\r\n");
}

TEST_F(Streams, AppendingInTextModeKeepsWhatWasThere) {
  WriteBytes("log.txt", "one\r\n");
  std::FILE* stream = entry::OpenStream("log.txt", "at", 0x40, 0, -1);
  ASSERT_NE(stream, nullptr);
  std::fputs("two\n", stream);
  std::fclose(stream);
  EXPECT_EQ(ReadBytes("log.txt"), "one\r\ntwo\r\n");
}

// ---- document store ----

using Documents = InFolder;

TEST_F(Documents, AStoredFileKeepsItsBytesKindAndName) {
  UseStore(MakeMemoryStore());
  WriteBytes("Niezgodnosci.txt", std::string("Raport\r\n\x8F\x9C\0koniec", 17));
  EXPECT_NE(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  const auto documents = CurrentStore().Documents();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(documents[0].kind, 11);
  EXPECT_EQ(documents[0].name, "Niezgodnosci.txt");
  EXPECT_EQ(std::string(documents[0].content.begin(), documents[0].content.end()),
            std::string("Raport\r\n\x8F\x9C\0koniec", 17));
  EXPECT_EQ(documents[0].stored_at.size(), 19u) << documents[0].stored_at;
  // The file is the caller's to delete afterwards.
  EXPECT_TRUE(std::filesystem::remove("Niezgodnosci.txt"));
}

TEST_F(Documents, TheDatabaseKeepsTheDocumentToo) {
  UseStore(OpenDatabase(folder_.path() / "korpus.db"));
  WriteBytes("Niezgodnosci.txt", "abc\r\n");
  ASSERT_NE(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  UseStore(OpenDatabase(folder_.path() / "korpus.db"));
  const auto documents = CurrentStore().Documents();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(std::string(documents[0].content.begin(), documents[0].content.end()), "abc\r\n");
}

TEST_F(Documents, TheStoreRefusesWhenToldToAndKeepsNothing) {
  UseStore(MakeMemoryStore());
  WriteBytes("Niezgodnosci.txt", "abc");
  standin::testing::FailNth(Fault::DocumentStore, 1);
  EXPECT_EQ(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  EXPECT_TRUE(CurrentStore().Documents().empty());
  EXPECT_NE(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  EXPECT_EQ(CurrentStore().Documents().size(), 1u);
}

TEST_F(Documents, AMissingFileOrADirectoryIsNotStored) {
  UseStore(MakeMemoryStore());
  EXPECT_EQ(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  std::filesystem::create_directory("Niezgodnosci.txt");
  EXPECT_EQ(entry::StoreDocument(11, "Niezgodnosci.txt", 0, 0), 0);
  EXPECT_TRUE(CurrentStore().Documents().empty());
}

// ---- collector ----

using Collector = InFolder;

TEST_F(Collector, IsReadyWithNoFolderUntilToldOtherwise) {
  EXPECT_NE(entry::CollectorReady(), 0);
  EXPECT_STREQ(entry::CollectorFolder(), "");
  files::SetCollectorReady(false);
  EXPECT_EQ(entry::CollectorReady(), 0);
}

TEST_F(Collector, TheFolderIsHandedOutInMazovia) {
  ASSERT_TRUE(files::SetCollectorFolder("/mnt/inwentaryzator/Łódź"));
  EXPECT_STREQ(entry::CollectorFolder(), "/mnt/inwentaryzator/Łódź"_mz);
  EXPECT_EQ(files::CollectorFolderUtf8(), "/mnt/inwentaryzator/Łódź");
}

TEST_F(Collector, AFolderTooLongForTheCallersBufferIsRefused) {
  ASSERT_TRUE(files::SetCollectorFolder("/short"));
  EXPECT_FALSE(files::SetCollectorFolder(std::string(260, 'a')));
  EXPECT_STREQ(entry::CollectorFolder(), "/short");
  EXPECT_TRUE(files::SetCollectorFolder(std::string(259, 'a')));
}

TEST_F(Collector, TheFileIsFetchedFromTheFolderOverAnOlderCopy) {
  std::filesystem::create_directory("terminal");
  WriteBytes("terminal/data.txt", "ABC,2\r\n");
  WriteBytes("data.txt", "old,1\r\n");
  files::SetCollectorFolder((folder_.path() / "terminal").string());
  char folder[260];
  std::snprintf(folder, sizeof folder, "%s", entry::CollectorFolder());
  EXPECT_EQ(entry::FetchCollectorFile(folder, "data.txt"), 1);
  EXPECT_EQ(ReadBytes("data.txt"), "ABC,2\r\n");
  EXPECT_EQ(ReadBytes("terminal/data.txt"), "ABC,2\r\n");
}

TEST_F(Collector, WithoutAFolderOrAFileNothingIsTouched) {
  WriteBytes("data.txt", "old,1\r\n");
  EXPECT_EQ(entry::FetchCollectorFile("", "data.txt"), 0);
  std::filesystem::create_directory("empty");
  EXPECT_EQ(entry::FetchCollectorFile("empty", "data.txt"), 0);
  EXPECT_EQ(ReadBytes("data.txt"), "old,1\r\n");
}

TEST_F(Collector, AFolderThatIsTheCurrentOneLeavesTheFileWhole) {
  WriteBytes("data.txt", "ABC,2\r\n");
  EXPECT_EQ(entry::FetchCollectorFile(folder_.path().c_str(), "data.txt"), 0);
  EXPECT_EQ(ReadBytes("data.txt"), "ABC,2\r\n");
}

}  // namespace
