// The INI access with its files kept in memory, as the fuzz targets run it:
// it must behave as the disk does, or a fuzzed check is not the real one.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/standin_ini_scratch.h"

namespace {

using ini_test::kRead;
using ini_test::kWrite;
using standin::entry::IniAccess;
namespace st = standin::testing;

class IniInMemory : public ini_test::ScratchDirectory {
 protected:
  void SetUp() override {
    ScratchDirectory::SetUp();
    st::KeepIniFilesInMemory(true);
  }
  void TearDown() override {
    st::KeepIniFilesInMemory(false);
    ScratchDirectory::TearDown();
  }

  static std::optional<int> ReadInt(const char* file, const char* key) {
    std::int32_t value = -777;
    if (IniAccess(file, kRead, "A", key, "%d", &value) != 0) return std::nullopt;
    return value;
  }
  static std::int16_t WriteInt(const char* file, const char* key, int value) {
    return IniAccess(file, kWrite, "A", key, "%d", value);
  }
};

// The files of one run, on disk or in memory.
struct Files {
  bool in_memory;
  std::filesystem::path dir;

  std::string Name(const char* name) const { return in_memory ? name : (dir / name).string(); }
  // As an editor saves: a new file in the old one's place.
  void Put(const char* name, const std::string& bytes) const {
    if (in_memory) return st::PutMemoryIniFile(name, bytes);
    const std::filesystem::path saved = dir / (std::string(name) + ".new");
    ini_test::WriteBytes(saved, bytes);
    std::filesystem::rename(saved, dir / name);
  }
  bool Remove(const char* name) const {
    return in_memory ? st::RemoveMemoryIniFile(name) : std::filesystem::remove(dir / name);
  }
  std::optional<std::string> Get(const char* name) const {
    return in_memory ? st::MemoryIniFile(name) : ini_test::ReadIfPresent(dir / name);
  }
};

// A file changed behind the cache reads as on disk: the cache notices every
// change, also one that keeps the size.
TEST_F(IniInMemory, ChangesBehindTheCacheAreSeenAsOnDisk) {
  struct Case {
    const char* name;
    std::function<void(const Files&)> change;
    std::optional<int> k;
  };
  const std::string garbage("\0[\xFF=\r", 5);
  const Case cases[] = {
      {"unchanged", [](const Files&) {}, 1},
      {"same size", [](const Files& f) { f.Put("f.ini", "[A]\r\nk=2\r\n"); }, 2},
      {"longer", [](const Files& f) { f.Put("f.ini", "[A]\r\nk=30\r\n"); }, 30},
      {"removed", [](const Files& f) { ASSERT_TRUE(f.Remove("f.ini")); }, std::nullopt},
      {"garbage", [&](const Files& f) { f.Put("f.ini", garbage); }, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<std::string> flushed[2];
    for (const bool in_memory : {false, true}) {
      const Files files{in_memory, dir_};
      st::KeepIniFilesInMemory(in_memory);
      files.Remove("f.ini");
      files.Put("f.ini", "[A]\r\nk=1\r\n");
      const std::string name = files.Name("f.ini");
      ASSERT_EQ(ReadInt(name.c_str(), "k"), 1);
      c.change(files);
      EXPECT_EQ(ReadInt(name.c_str(), "k"), c.k) << "in memory: " << in_memory;
      EXPECT_EQ(WriteInt(name.c_str(), "j", 5), 0);
      EXPECT_TRUE(standin::FlushIniFiles());
      flushed[in_memory] = files.Get("f.ini");
    }
    ASSERT_TRUE(flushed[0].has_value());
    EXPECT_NE(flushed[0]->find("j=5\r\n"), std::string::npos) << *flushed[0];
    EXPECT_EQ(flushed[1], flushed[0]);
  }
}

TEST_F(IniInMemory, NamesAreOneFileWhereTheDiskWouldTakeThemForOne) {
  struct Case {
    const char* written;
    const char* read;
    bool same;
  };
  const Case cases[] = {
      {"P.ini", "P.ini", true},
      {"P.ini", "./P.ini", true},
      {"sub/../P.ini", "P.ini", true},
      {"/memory/P.ini", "P.ini", true},  // relative names live in one folder
      {"/tmp/P.ini", "P.ini", false},
      {"P.ini", "Q.ini", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.written) + " / " + c.read);
    st::ClearMemoryIniFiles();
    st::ForgetIniFiles();
    ASSERT_EQ(WriteInt(c.written, "k", 7), 0);
    ASSERT_TRUE(standin::FlushIniFiles());
    EXPECT_EQ(ReadInt(c.read, "k"), c.same ? std::optional<int>(7) : std::nullopt);
    EXPECT_EQ(st::MemoryIniFile(c.read).has_value(), c.same);
  }
}

TEST_F(IniInMemory, NothingReachesTheDiskAndLeavingTheMemoryEmptiesIt) {
  const testing_support::CurrentDirectory inside(dir_);
  EXPECT_EQ(WriteInt("Niezgodnosci.ini", "k", 1), 0);
  EXPECT_TRUE(standin::FlushIniFiles());
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
  EXPECT_EQ(st::MemoryIniFile("Niezgodnosci.ini"), "[A]\r\nk=1\r\n");

  st::KeepIniFilesInMemory(false);
  EXPECT_FALSE(st::RemoveMemoryIniFile("Niezgodnosci.ini"));
  EXPECT_EQ(ReadInt("Niezgodnosci.ini", "k"), std::nullopt);  // the disk has none
  st::KeepIniFilesInMemory(true);
  EXPECT_EQ(st::MemoryIniFile("Niezgodnosci.ini"), std::nullopt);
}

}  // namespace
