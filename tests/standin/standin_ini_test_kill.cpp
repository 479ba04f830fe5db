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

#include "tests/support/standin_ini_scratch.h"
#include "tests/support/kill_rounds.h"

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

// The file exactly as a save of the generation leaves it.
std::string SavedBytes(int generation) {
  const std::string g = std::to_string(generation);
  std::string bytes = "[Nr_faktury]\r\nNr fakt.=FV " + g + "\r\nIlosc=" + std::to_string(kRows) + "\r\n";
  for (int row = 0; row < kRows; ++row) {
    bytes += Key(row) + "=Towar " + g + ", nr " + std::to_string(row) + ",SYM," + g + "," + std::to_string(row) + "\r\n";
  }
  return bytes;
}

// The generation of the save that the file holds whole; -1 for anything else.
int CompleteGeneration(const std::string& file) {
  const auto bytes = ini_test::ReadIfPresent(file);
  int generation = -1;
  if (!bytes || std::sscanf(bytes->c_str(), "[Nr_faktury]\r\nNr fakt.=FV %d", &generation) != 1) return -1;
  if (*bytes != SavedBytes(generation)) return -1;
  // And the INI access reads it back, from the right.
  standin::testing::ForgetIniFiles();
  char name[121];
  char symbol[17];
  std::int32_t counted = 0;
  std::int32_t invoiced = 0;
  if (IniAccess(file.c_str(), kRead, "Nr_faktury", Key(kRows - 1).c_str(), "%120s,%16s,%d,%d", name, symbol, &counted,
                &invoiced) != 0 ||
      counted != generation || std::string(name) != "Towar " + std::to_string(generation) + ", nr " + std::to_string(kRows - 1)) {
    return -1;
  }
  return generation;
}

class IniKill : public ini_test::ScratchDirectory {};

TEST_F(IniKill, AKilledSaveLeavesOneCompleteSaveOnDisk) {
  using Clock = std::chrono::steady_clock;
  const std::string file = PathOf("Niezgodnosci.ini");
  const auto before = Clock::now();
  Save(file.c_str(), 0);
  // Kills spread over about three saves, however fast this build saves.
  const auto save_time = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before);
  ASSERT_EQ(CompleteGeneration(file), 0);

  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<long> delay(0, 3 * save_time.count());
  std::set<int> seen{0};
  int next = 1;
  int kills = 0;
  const testing_support::KillRounds enough(kills, 15, std::chrono::seconds(3), std::chrono::seconds(15));
  while (!enough()) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::alarm(60);  // never outlive a parent that failed to kill us
      for (int generation = next;; ++generation) Save(file.c_str(), generation);
    }
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    ++kills;

    const int generation = CompleteGeneration(file);
    ASSERT_GE(generation, 0) << "after kill " << kills << " the file holds no complete save";
    seen.insert(generation);
    next += 1000;  // each child's saves differ from every earlier one
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
      if (entry.path().filename() == "Niezgodnosci.ini") continue;
      // Only the instant between naming the temporary file and renaming it
      // can leave one behind.
      EXPECT_EQ(entry.path().extension(), ".tmp");
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
