// A child process checking an invoice over and over (resume, count, report,
// save) is killed at random moments. After every kill the progress file
// must resume one complete check, never older than one resumed before, and
// every document the host stored must be a whole report: a report file
// that a kill left half-written is never taken for a good one.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "abi/codepage.h"
#include "standin/ini/ini_access.h"
#include "standin/tables/store.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"
#include "tests/support/kill_rounds.h"

namespace reliability {
namespace {

using standin::KeyName;
using Clock = std::chrono::steady_clock;

// Long enough that a save and a report take a while.
constexpr int kPositions = 1500;
constexpr const char* kNumber = "FV 1500/2024";

// The positions of the invoice after `generation` checks: each check
// counts one more piece of T0.
GoodsTotals StateOf(int generation) {
  GoodsTotals totals;
  for (int i = 0; i < kPositions; ++i) {
    totals[{"Towar " + std::to_string(i), "T" + std::to_string(i)}] = {i == 0 ? generation * 1000 : 0, 1000 + i};
  }
  return totals;
}

class KillSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    database_ = (directory_.path() / "firma.db").string();
    World world = UseSmallWorld();
    {
      auto store = standin::OpenDatabase(database_);
      FillSmallWorld(*store, world);
      const auto id = store->AddInvoice({0, standin::Register::Sales, kNumber, "2024-05-01", "Hurt"});
      std::vector<standin::PositionRow> rows;
      for (int i = 0; i < kPositions; ++i) {
        rows.push_back({id, 0, "Towar " + std::to_string(i), "T" + std::to_string(i), 1000 + i});
      }
      store->AddPositions(rows);
      invoice_id_ = static_cast<std::int32_t>(id);
    }
    standin::UseStore(nullptr);
  }
  void TearDown() override { standin::UseStore(nullptr); }

  // One generation as the child runs it: resume, count one T0, report,
  // close; the host flushes the INI access after the event.
  void Generation(const World& world, User& user) const {
    user.Keys(Join({Typed("T0"), {Named(KeyName::Enter)}, Typed("1"),
                    {Named(KeyName::Enter), Named(KeyName::F5), Named(KeyName::Esc)}}));
    RunCheck(world, user, kNumber);
    user.Forget();
  }

  World OpenWorld() const {
    World world;
    world.store = standin::OpenDatabase(database_);
    world.invoice_id = invoice_id_;
    standin::UseStore(world.store);
    BindPluginToStandIn();
    return world;
  }

  [[noreturn]] void RunChild() const {
    ::alarm(60);  // never outlive a parent that failed to kill us
    standin::testing::ForgetIniFiles();
    const World world = OpenWorld();
    User user;
    for (;;) Generation(world, user);
  }

  // Forks a child, kills it after `least` and a random part of `span`,
  // and waits.
  void KillChildAfter(std::mt19937& random, std::chrono::microseconds least, std::chrono::microseconds span) const {
    standin::UseStore(nullptr);  // no database connection crosses the fork
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) RunChild();
    std::uniform_int_distribution<long> delay(least.count(), least.count() + span.count());
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    ASSERT_EQ(::kill(child, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "the child ended by itself: " << status;
  }

  // Runs one check in a child whose files may not grow past `size` bytes;
  // answers the signal that ended it, 0 when it ended by itself.
  int RunChildLimitedTo(std::size_t size, std::vector<standin::Key> keys) const {
    standin::UseStore(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
      ::alarm(60);
      standin::testing::ForgetIniFiles();
      const World world = OpenWorld();
      User user;
      user.Keys(std::move(keys));
      const rlimit limit{static_cast<rlim_t>(size), RLIM_INFINITY};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      RunCheck(world, user, kNumber);
      std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return -1;
    if (WIFSIGNALED(status)) return WTERMSIG(status);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : -1;
  }

  // Counts a report file left half-written; removes the temporary files
  // that a kill between naming a replacement and renaming it leaves.
  void LookAtLeftovers(int& partial_reports, int& temporary_files) const {
    const std::filesystem::path report = directory_.path() / "Niezgodnosci.txt";
    if (Exists(report) && !IsWholeReport(ReadFile(report))) ++partial_reports;
    for (const auto& entry : std::filesystem::directory_iterator(directory_.path())) {
      if (entry.path().extension() != ".tmp") continue;
      ++temporary_files;
      std::filesystem::remove(entry.path());
    }
  }

  // The generation that the progress file resumes as a whole, -1 when there
  // is no file yet; -2 when what it resumes is no generation at all.
  int ResumedGeneration() const {
    standin::testing::ForgetIniFiles();
    if (!Exists(directory_.path() / "Niezgodnosci.ini")) return -1;
    const World world = OpenWorld();
    User user;
    verify::CZrobPrufacje check;
    if (!StartWithoutDialog(check, world, false, kNumber)) return -2;
    if (check.ResumeProgress() != 0 || !ListFault(check).empty()) return -2;
    const GoodsTotals totals = TotalsOf({check.Positions().begin(), check.Positions().end()});
    const auto first = totals.find({"Towar 0", "T0"});
    if (first == totals.end()) return -2;
    const int generation = static_cast<int>(first->second.first / 1000);
    return totals == StateOf(generation) ? generation : -2;
  }

  std::vector<std::string> Documents() const {
    const World world = OpenWorld();
    std::vector<std::string> documents = StoredDocuments();
    standin::UseStore(nullptr);
    return documents;
  }

  // F5 in the next check: the report over what a kill left, written whole,
  // stored after the first one, its file gone.
  static void ExpectTheNextReportWholeAndStored(const World& world, User& user, const std::string& whole,
                                                const std::filesystem::path& report) {
    user.Keys({Named(KeyName::F5), Named(KeyName::Esc)});
    RunCheck(world, user, kNumber);
    const auto documents = StoredDocuments();
    ASSERT_EQ(documents.size(), 2u);
    EXPECT_EQ(documents[1], whole);
    EXPECT_FALSE(Exists(report));
  }

  WorkingDirectory directory_;
  std::string database_;
  std::int32_t invoice_id_ = 0;
};

TEST_F(KillSweep, AKilledCheckLeavesACompleteSaveAndOnlyWholeReportsStored) {
  // How long a generation takes in this build, to spread the kills over a
  // few of them.
  const auto before = Clock::now();
  {
    const World world = OpenWorld();
    User user;
    Generation(world, user);
    standin::UseStore(nullptr);
  }
  const auto generation_time = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - before);
  ASSERT_EQ(ResumedGeneration(), 1);
  standin::UseStore(nullptr);

  std::mt19937 random(std::random_device{}());
  int kills = 0;
  int last_generation = 1;
  int partial_reports = 0;
  int temporary_files = 0;
  const testing_support::KillRounds enough(kills, 25, std::chrono::seconds(4), std::chrono::seconds(20));
  while (!enough()) {
    KillChildAfter(random, std::chrono::microseconds(0), 3 * generation_time);
    if (HasFatalFailure()) return;
    ++kills;

    const int generation = ResumedGeneration();
    ASSERT_GE(generation, last_generation) << "after kill " << kills << " the progress file holds "
                                           << (generation == -2 ? "no complete check" : "an older check");
    last_generation = generation;
    for (const std::string& document : Documents()) {
      ASSERT_TRUE(IsWholeReport(document)) << "after kill " << kills << " a stored report of " << document.size()
                                           << " bytes is not whole";
    }
    LookAtLeftovers(partial_reports, temporary_files);
  }
  const int documents = static_cast<int>(Documents().size());
  RecordProperty("kills", kills);
  RecordProperty("generations", last_generation);
  RecordProperty("documents", documents);
  RecordProperty("partial_reports_left", partial_reports);
  RecordProperty("temporary_files_left", temporary_files);
  std::printf("kill sweep: %d kills, %d checks completed, %d reports stored, %d kills left a partial report file\n",
              kills, last_generation, documents, partial_reports);
  EXPECT_GE(kills, 10);
  EXPECT_GT(last_generation, 1) << "the children should get through some checks";
}

// A child killed as a file it writes reaches a given size (the file-size
// limit's signal ends it there), for sizes all through the report and
// through the progress file's replacement: a kill at every part of both.
TEST_F(KillSweep, AReportKilledAtAnyByteIsNeverStoredAndTheNextIsWhole) {
  const World world = OpenWorld();
  User user;
  user.Keys({Named(KeyName::F5), Named(KeyName::Esc)});
  RunCheck(world, user, kNumber);
  const std::string whole = StoredDocuments().at(0);
  ASSERT_TRUE(IsWholeReport(whole));
  standin::UseStore(nullptr);

  const std::filesystem::path report = directory_.path() / "Niezgodnosci.txt";
  int kills = 0;
  for (std::size_t size = 0; size < whole.size(); size += whole.size() / 23 + 1) {
    const int signal = RunChildLimitedTo(size, {Named(KeyName::F5), Named(KeyName::Esc)});
    ASSERT_EQ(signal, SIGXFSZ) << "a report limited to " << size << " bytes";
    ++kills;
    // The file stops where the kill came; nothing more was stored.
    EXPECT_EQ(ReadFile(report).size(), size);
    const auto documents = Documents();
    EXPECT_EQ(documents.size(), 1u) << "after a kill at byte " << size;
    for (const std::string& document : documents) EXPECT_EQ(document, whole);
  }
  // The next report is written whole over the last piece and stored.
  ExpectTheNextReportWholeAndStored(OpenWorld(), user, whole, report);
  RecordProperty("kills", kills);
  std::printf("report kill sweep: %d kills at bytes 0 to %zu of a %zu-byte report\n", kills,
              (kills - 1) * (whole.size() / 23 + 1), whole.size());
}

TEST_F(KillSweep, ASaveKilledAtAnyByteLeavesTheEarlierSave) {
  {
    const World world = OpenWorld();
    User user;
    user.Keys(Join({Typed("T0"), {Named(KeyName::Enter)}, Typed("1"), {Named(KeyName::Enter), Named(KeyName::Esc)}}));
    RunCheck(world, user, kNumber);
    standin::UseStore(nullptr);
  }
  ASSERT_EQ(ResumedGeneration(), 1);
  const std::size_t saved = ReadFile(directory_.path() / "Niezgodnosci.ini").size();
  standin::UseStore(nullptr);

  int kills = 0;
  int generation = 1;
  for (std::size_t size = 0; size < saved + saved / 10; size += saved / 23 + 1) {
    const int signal =
        RunChildLimitedTo(size, Join({Typed("T0"), {Named(KeyName::Enter)}, Typed("1"),
                                      {Named(KeyName::Enter), Named(KeyName::Esc)}}));
    const int now = ResumedGeneration();
    standin::UseStore(nullptr);
    if (signal == SIGXFSZ) {
      ++kills;
      EXPECT_EQ(now, generation) << "a save killed at byte " << size << " must leave the one before";
    } else {
      EXPECT_EQ(signal, 0) << size;
      EXPECT_EQ(now, generation + 1) << "a save that fits must be complete";
      generation = now;
    }
    for (const auto& entry : std::filesystem::directory_iterator(directory_.path())) {
      if (entry.path().extension() == ".tmp") std::filesystem::remove(entry.path());
    }
  }
  RecordProperty("kills", kills);
  std::printf("save kill sweep: %d kills at bytes 0 to %zu of a %zu-byte progress file\n", kills,
              (kills - 1) * (saved / 23 + 1), saved);
  EXPECT_GE(kills, 20);
}

TEST_F(KillSweep, AHalfWrittenReportLeftBehindIsRewrittenWholeBeforeItIsStored) {
  const World world = OpenWorld();
  User user;
  Generation(world, user);
  ASSERT_EQ(StoredDocuments().size(), 1u);
  const std::string whole = StoredDocuments()[0];
  ASSERT_TRUE(IsWholeReport(whole));

  // A kill in the middle of the next report leaves its first part.
  const std::filesystem::path report = directory_.path() / "Niezgodnosci.txt";
  WriteFile(report, whole.substr(0, whole.size() / 2));

  // A check that writes no report stores nothing, whatever file lies there.
  user.Keys({Named(KeyName::Esc)});
  RunCheck(world, user, kNumber);
  EXPECT_EQ(StoredDocuments().size(), 1u);

  ExpectTheNextReportWholeAndStored(world, user, whole, report);
}

}  // namespace
}  // namespace reliability
