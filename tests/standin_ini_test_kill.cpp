// A process killed at any moment of saving a large list leaves the progress
// file holding one complete save: every row of one generation, never a mix.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <thread>

#include "standin_ini_test_support.h"

namespace {

using ini_test::kRead;
using ini_test::kWrite;
using standin::entry::IniAccess;

constexpr int kRows = 5000;

std::string Key(int row) {
  char key[16];
  std::snprintf(key, sizeof key, "r%02d", row);
  return key;
}

// One save as the plug-in makes it, then the host's flush.
void Save(const char* file, int generation) {
  const std::string number = "FV " + std::to_string(generation);
  IniAccess(file, kWrite, "Nr_faktury", "Nr fakt.", "%s", number.c_str());
  IniAccess(file, kWrite, "Nr_faktury", "Ilosc", "%d", kRows);
  for (int row = 0; row < kRows; ++row) {
    const std::string name = "Towar " + std::to_string(generation) + ", nr " + std::to_string(row);
    IniAccess(file, kWrite, "Nr_faktury", Key(row).c_str(), "%s,%s,%d,%d", name.c_str(), "SYM", generation, row);
  }
  standin::FlushIniFiles();
}

// The generation of the save the file holds; fails the test on any mix.
int CompleteGeneration(const char* file) {
  standin::testing::ForgetIniFiles();
  char number[260];
  std::int32_t count = 0;
  EXPECT_EQ(IniAccess(file, kRead, "Nr_faktury", "Nr fakt.", "%s", number), 0);
  EXPECT_EQ(IniAccess(file, kRead, "Nr_faktury", "Ilosc", "%d", &count), 0);
  EXPECT_EQ(count, kRows);
  int generation = -1;
  if (std::sscanf(number, "FV %d", &generation) != 1) ADD_FAILURE() << "number " << number;
  for (int row = 0; row < kRows; ++row) {
    char name[121];
    char symbol[17];
    std::int32_t counted = 0;
    std::int32_t invoiced = 0;
    if (IniAccess(file, kRead, "Nr_faktury", Key(row).c_str(), "%120s,%16s,%d,%d", name, symbol, &counted, &invoiced) != 0 ||
        counted != generation || invoiced != row ||
        std::string(name) != "Towar " + std::to_string(generation) + ", nr " + std::to_string(row)) {
      ADD_FAILURE() << "row " << row << " of save " << generation << " reads " << name << " / " << counted;
      break;
    }
  }
  return generation;
}

class IniKill : public ini_test::ScratchDirectory {};

TEST_F(IniKill, AKilledSaveLeavesOneCompleteSaveOnDisk) {
  const std::string file = PathOf("Niezgodnosci.ini");
  Save(file.c_str(), 0);

  std::mt19937 random(std::random_device{}());
  std::set<int> seen{0};
  int next = 1;
  int kills = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(4);
  while (std::chrono::steady_clock::now() < end && kills < 60) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::alarm(30);  // never outlive a parent that failed to kill us
      for (int generation = next;; ++generation) Save(file.c_str(), generation);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 100000));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++kills;

    const int generation = CompleteGeneration(file.c_str());
    if (HasFailure()) break;
    seen.insert(generation);
    next += 1000;  // each child's saves differ from every earlier one
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      if (entry.path().filename() == "Niezgodnosci.ini") continue;
      // Only the instant between naming the temporary file and renaming it
      // can leave one behind.
      EXPECT_TRUE(entry.path().extension() == ".tmp") << entry.path();
      std::filesystem::remove(entry.path());
    }
  }
  RecordProperty("kills", kills);
  RecordProperty("saves_seen", static_cast<int>(seen.size()));
  EXPECT_GE(kills, 10);
  // Some kills came after a complete save: the file moved on.
  EXPECT_GE(seen.size(), 2u);
}

}  // namespace
