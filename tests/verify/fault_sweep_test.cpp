// Every host allocation, stream write, INI write and document store of a
// whole check made to fail in turn. Each run must end without a crash or a
// leaked host block, with the list's invariants kept, with the box that the
// failure calls for, and with files that a later check takes up correctly.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"

namespace reliability {
namespace {

using standin::Fault;
using standin::KeyName;
using verify::Position;

constexpr const char* kDataTxt =
    "SRB-8;10\r\n"
    "WKR-4;3\r\n"
    "ZGRZ-12;2\r\n"
    "5901234567893;4\r\n"
    "RKW-L;3\r\n"
    "ARCH-1;1\r\n"
    "XYZ-999;1\r\n"
    "XYZ-999;2\r\n";

// The first check imports data.txt, counts two symbols by hand (one of
// them unknown, so a position is added), writes the report and closes.
std::vector<standin::Key> FirstCheckKeys() {
  return Join({{Named(KeyName::F4)},
               Typed("WKR-4"), {Named(KeyName::Enter)}, Typed("7"), {Named(KeyName::Enter)},
               Typed("NOWY-1"), {Named(KeyName::Enter)}, Typed("2"), {Named(KeyName::Enter)},
               {Named(KeyName::F5), Named(KeyName::Esc)}});
}

// The second resumes it, counts once more, reports and closes.
std::vector<standin::Key> SecondCheckKeys() {
  return Join({Typed("SRB-8"), {Named(KeyName::Enter)}, Typed("1"), {Named(KeyName::Enter)},
               {Named(KeyName::F5), Named(KeyName::Esc)}});
}

// The third, with no faults, takes up what the files hold and reports.
std::vector<standin::Key> ThirdCheckKeys() { return {Named(KeyName::F5), Named(KeyName::Esc)}; }

struct CheckSeen {
  CheckOutcome outcome;
  std::vector<SeenBox> boxes;
  std::vector<Position> opening;  // empty when no dialog ran
  bool report_file_after = false;
};

struct ScenarioRun {
  std::vector<CheckSeen> checks;  // three
  std::vector<std::string> faults;
  std::vector<std::string> documents;
  long calls = 0;  // calls of the failed kind during the first two checks
};

bool HasBox(const CheckSeen& check, std::string_view caption, std::string_view text) {
  for (const SeenBox& box : check.boxes) {
    if (box.caption == caption && box.text == text) return true;
  }
  return false;
}

int IndexOfCaption(const CheckSeen& check, std::string_view caption) {
  for (std::size_t i = 0; i < check.boxes.size(); ++i) {
    if (check.boxes[i].caption == caption) return static_cast<int>(i);
  }
  return -1;
}

std::string BoxList(const CheckSeen& check) {
  std::string out;
  for (const SeenBox& box : check.boxes) out += "[" + box.caption + ": " + box.text + "] ";
  return out;
}

class FaultSweep : public ::testing::Test {
 protected:
  // The three checks, with the fault armed for the first two: the n-th call
  // of the kind fails (n = 0: none), or every call when `always`.
  enum class Arming : std::uint8_t { Once, FromThenOn, Always };

  static ScenarioRun Run(std::optional<Fault> kind, long n, bool always = false) {
    return Run(kind, n, always ? Arming::Always : Arming::Once);
  }

  static ScenarioRun Run(std::optional<Fault> kind, long n, Arming arming) {
    directory_->ClearCheckFiles();
    WriteFile(directory_->path() / "data.txt", kDataTxt);
    const World world = UseSmallWorld();
    User user;
    ScenarioRun run;
    const long calls_before = kind ? standin::testing::CallCount(*kind) : 0;
    if (kind && n > 0 && arming == Arming::Once) standin::testing::FailNth(*kind, n);
    if (kind && n > 0 && arming == Arming::FromThenOn) standin::testing::FailFrom(*kind, n);
    if (kind && arming == Arming::Always) standin::testing::FailAlways(*kind, true);
    const std::vector<std::vector<standin::Key>> keys = {FirstCheckKeys(), SecondCheckKeys(), ThirdCheckKeys()};
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (i == 2) {
        if (kind) run.calls = standin::testing::CallCount(*kind) - calls_before;
        standin::testing::ClearFaults();
      }
      user.Keys(keys[i]);
      CheckSeen seen;
      seen.outcome = RunCheck(world, user);
      seen.boxes = user.boxes();
      if (user.opened()) seen.opening = user.opening_list();
      seen.report_file_after = Exists(directory_->path() / "Niezgodnosci.txt");
      for (const std::string& fault : user.faults()) run.faults.push_back("check " + std::to_string(i + 1) + ": " + fault);
      user.Forget();
      run.checks.push_back(std::move(seen));
    }
    run.documents = StoredDocuments();
    return run;
  }

  // The calls of the kind that the first two checks make with no fault.
  static long CallsOf(Fault kind) { return Run(kind, 0).calls; }

  // The scenario once for each of those calls, failing that call (or every
  // call from it on); every run must be sound, and `check` looks at it with
  // a label that names the failed call.
  static void Sweep(Fault kind, long calls, Arming arming, const std::string& what,
                    const std::function<void(const ScenarioRun&, long, const std::string&)>& check) {
    const std::string from = arming == Arming::FromThenOn ? " from " : " ";
    for (long n = 1; n <= calls; ++n) {
      const std::string label = what + from + std::to_string(n) + " of " + std::to_string(calls);
      const ScenarioRun run = Run(kind, n, arming);
      ExpectSound(run, label);
      check(run, n, label);
    }
    RecordProperty("runs", static_cast<int>(calls));
  }

  // A failure that goes unnoticed: the first two checks show only the
  // boxes of a clean run.
  static void ExpectOnlyCleanBoxes(const ScenarioRun& run, const std::string& label) {
    for (std::size_t i = 0; i < 2; ++i) {
      for (const SeenBox& box : run.checks[i].boxes) {
        EXPECT_TRUE(box.caption == "Uwaga" || box.caption == "Podsumowanie") << label << ": " << BoxList(run.checks[i]);
      }
    }
  }

  // What holds after any run, whatever failed.
  static void ExpectSound(const ScenarioRun& run, const std::string& label) {
    EXPECT_TRUE(run.faults.empty()) << label << ": " << run.faults.front();
    for (std::size_t i = 0; i < run.checks.size(); ++i) {
      EXPECT_EQ(run.checks[i].outcome.leaked_blocks, 0) << label << ": check " << i + 1 << " leaked host blocks";
    }
    for (const std::string& document : run.documents) {
      EXPECT_TRUE(IsWholeReport(document)) << label << ": a stored document of " << document.size()
                                           << " bytes is not a whole report";
    }
    // The third check runs with no fault: its report is stored whole and
    // its file is gone, whatever an earlier failure left behind.
    const CheckSeen& third = run.checks[2];
    EXPECT_TRUE(HasBox(third, "Uwaga", "Dokument został zapisany")) << label << ": " << BoxList(third);
    EXPECT_FALSE(third.report_file_after) << label;
  }

  static std::vector<Position> Fresh() { return clean_opening_; }

  static void SetUpTestSuite() {
    directory_ = std::make_unique<WorkingDirectory>();
    // The clean run gives the list of a check that resumes nothing.
    clean_opening_ = Run(std::nullopt, 0).checks[0].opening;
  }
  static void TearDownTestSuite() { directory_.reset(); }

  static inline std::unique_ptr<WorkingDirectory> directory_;
  static inline std::vector<Position> clean_opening_;
};

TEST_F(FaultSweep, TheCleanScenarioCountsImportsReportsAndResumes) {
  const ScenarioRun run = Run(std::nullopt, 0);
  ExpectSound(run, "clean");
  ASSERT_EQ(run.checks.size(), 3u);
  for (const CheckSeen& check : run.checks) EXPECT_EQ(check.outcome.result, 0);
  // The first check: invoice loaded and normalised, then the import, two
  // typed entries, the report.
  EXPECT_EQ(Describe(TotalsOf(run.checks[0].opening)),
            "{Farba emulsyjna 10 l | FRB-10 | 0 | 5000} {Kołek rozporowy 8 | KOL-8 | 0 | 24000} "
            "{Usługa transportowa |  | 0 | 1000} {Wkręt 4x40 | WKR-4 | 0 | 5000} {Śruba M8x40 | SRB-8 | 0 | 10000} ");
  EXPECT_EQ(Describe(TotalsOf(run.checks[0].outcome.list)),
            "{Farba emulsyjna 10 l | FRB-10 | 4000 | 5000} {Kołek rozporowy 8 | KOL-8 | 24000 | 24000} "
            "{Nowy towar | ARCH-1 | 1000 | 0} {Nowy towar | NOWY-1 | 2000 | 0} {Nowy towar | XYZ-999 | 3000 | 0} "
            "{Rękawice robocze L | RKW-L | 3000 | 0} {Usługa transportowa |  | 0 | 1000} "
            "{Wkręt 4x40 | WKR-4 | 10000 | 5000} {Śruba M8x40 | SRB-8 | 10000 | 10000} ");
  const verify::SummaryCounters first = run.checks[0].outcome.counters;
  EXPECT_EQ(std::int32_t{first.on_document}, 5);
  EXPECT_EQ(std::int32_t{first.new_goods}, 5);
  EXPECT_EQ(std::int32_t{first.off_invoice}, 5);
  EXPECT_EQ(std::int32_t{first.correct}, 2);
  EXPECT_EQ(std::int32_t{first.differences}, 3);
  EXPECT_EQ(std::int32_t{first.unchecked}, 1);
  // The second resumed the first (question answered yes) and added 1 SRB-8.
  EXPECT_EQ(run.checks[1].boxes.front().text, "Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 1/2024");
  EXPECT_EQ(TotalsOf(run.checks[1].opening), TotalsOf(run.checks[0].outcome.list));
  // The third resumed the second.
  EXPECT_EQ(TotalsOf(run.checks[2].opening), TotalsOf(run.checks[1].outcome.list));
  ASSERT_EQ(run.documents.size(), 3u);
  EXPECT_EQ(run.documents[0].size(), kReportFixedBytes + 8 * kReportLineBytes);
}

TEST_F(FaultSweep, EveryHostAllocationAndResizeMayFail) {
  const long calls = CallsOf(Fault::Allocation);
  ASSERT_GE(calls, 8) << "the scenario should allocate its blocks, items and added positions";
  Sweep(Fault::Allocation, calls, Arming::Once, "allocation",
        [](const ScenarioRun& run, long, const std::string& label) {
          // An allocation failure is silent.
          ExpectOnlyCleanBoxes(run, label);
          // A check without its block shows nothing and saves nothing; the third
          // check takes up the last check that ran its dialog.
          const CheckSeen* last_run = nullptr;
          for (std::size_t i = 0; i < 2; ++i) {
            const CheckSeen& check = run.checks[i];
            if (check.outcome.result == 1) {
              EXPECT_TRUE(check.boxes.empty()) << label;
              EXPECT_TRUE(check.opening.empty()) << label;
              continue;
            }
            EXPECT_EQ(check.outcome.result, 0) << label;
            last_run = &check;
          }
          const auto expected = last_run != nullptr ? TotalsOf(last_run->outcome.list) : TotalsOf(Fresh());
          EXPECT_EQ(TotalsOf(run.checks[2].opening), expected) << label;
        });
}

// Past the first blocks every list grows: an invoice of more positions
// than the first block, a data.txt of more lines than the item block, a
// saved check of more rows. Each growth refused tells the user what was
// left out and loses nothing else.
TEST_F(FaultSweep, EveryGrowthOfALargeCheckMayFail) {
  constexpr int kLarge = 5003;
  std::string data;
  for (int i = 0; i < kLarge; ++i) data += "T" + std::to_string(i % 3) + ";1\r\n";
  data += "NOWY-9;4\r\n";
  const auto run = [&](long n, User& user, std::vector<CheckOutcome>& outcomes) {
    directory_->ClearCheckFiles();
    WriteFile(directory_->path() / "data.txt", data);
    World world = UseSmallWorld();
    const auto id = world.store->AddInvoice({0, standin::Register::Sales, "FV 5003", "2024-04-01", "Hurt"});
    std::vector<standin::PositionRow> rows;
    for (int i = 0; i < kLarge; ++i) rows.push_back({id, 0, "Towar " + std::to_string(i), "T" + std::to_string(i), 1000});
    world.store->AddPositions(rows);
    world.invoice_id = static_cast<std::int32_t>(id);
    const long before = standin::testing::CallCount(Fault::Allocation);
    if (n > 0) standin::testing::FailNth(Fault::Allocation, n);
    user.Keys({Named(KeyName::F4), Named(KeyName::F5), Named(KeyName::Esc)});
    outcomes.push_back(RunCheck(world, user, "FV 5003"));
    user.Keys({Named(KeyName::F5), Named(KeyName::Esc)});
    outcomes.push_back(RunCheck(world, user, "FV 5003"));
    const long calls = standin::testing::CallCount(Fault::Allocation) - before;
    standin::testing::ClearFaults();
    return calls;
  };
  User clean_user;
  std::vector<CheckOutcome> clean;
  const long calls = run(0, clean_user, clean);
  ASSERT_GE(calls, 6) << "two blocks, the invoice's and the items' growth, an added position, the resume's growth";
  ASSERT_EQ(clean[1].list.size(), static_cast<std::size_t>(kLarge + 1));

  const std::vector<std::string> told = {
      "Nie udało się wczytać całej faktury!\nWczytano 5000 pozycji, sprawdzanie będzie niepełne.",
      "Brak pamięci na wczytanie pliku DATA.TXT!\nPlik nie został wczytany!",
      "Nie udało się wczytać całego poprzedniego sprawdzania!\nWczytano 5000 pozycji, sprawdzanie będzie niepełne."};
  std::set<std::string> seen;
  for (long n = 1; n <= calls; ++n) {
    const std::string label = "allocation " + std::to_string(n) + " of " + std::to_string(calls);
    User user;
    std::vector<CheckOutcome> outcomes;
    run(n, user, outcomes);
    EXPECT_TRUE(user.faults().empty()) << label << ": " << user.faults().front();
    for (const CheckOutcome& outcome : outcomes) EXPECT_EQ(outcome.leaked_blocks, 0) << label;
    // A refusal is told in one of the boxes made for it, or is silent
    // (the blocks a check starts with, an added position).
    int refusals = 0;
    for (const SeenBox& box : user.boxes()) {
      if (box.caption != "Błąd") continue;
      EXPECT_NE(std::find(told.begin(), told.end(), box.text), told.end()) << label << ": " << box.text;
      seen.insert(box.text);
      ++refusals;
    }
    EXPECT_LE(refusals, 1) << label;
    // Whatever was refused, the second check saw what the first saved,
    // less only what the refused growth of the resume left out.
    if (outcomes[0].result == 0 && outcomes[1].result == 0 && !user.Saw("Błąd", told[2])) {
      EXPECT_EQ(TotalsOf(outcomes[1].list), TotalsOf(outcomes[0].list)) << label;
    }
  }
  // Each growth was refused in some run.
  EXPECT_EQ(seen, std::set<std::string>(told.begin(), told.end()));
  RecordProperty("runs", static_cast<int>(calls));
}

TEST_F(FaultSweep, AHostThatNeverGivesMemoryShowsNoDialog) {
  const ScenarioRun run = Run(Fault::Allocation, 0, true);
  ExpectSound(run, "allocation always");
  EXPECT_EQ(run.checks[0].outcome.result, 1);
  EXPECT_EQ(run.checks[1].outcome.result, 1);
  EXPECT_TRUE(run.checks[0].boxes.empty());
  EXPECT_EQ(TotalsOf(run.checks[2].opening), TotalsOf(Fresh()));
}

TEST_F(FaultSweep, EveryStreamWriteOfTheReportMayFail) {
  const long calls = CallsOf(Fault::StreamWrite);
  ASSERT_GE(calls, 4) << "two reports of a header, lines and a bottom rule";
  Sweep(Fault::StreamWrite, calls, Arming::Once, "stream write",
        [](const ScenarioRun& run, long, const std::string& label) {
          int failed = 0;
          for (std::size_t i = 0; i < 2; ++i) {
            const CheckSeen& check = run.checks[i];
            if (!HasBox(check, "Blokada", "Błąd w trakcie zapisu!")) {
              EXPECT_TRUE(HasBox(check, "Uwaga", "Dokument został zapisany")) << label << ": " << BoxList(check);
              continue;
            }
            ++failed;
            // Nothing is handed to the host; a summary, when one came, came first.
            EXPECT_FALSE(HasBox(check, "Uwaga", "Dokument został zapisany")) << label;
            EXPECT_FALSE(HasBox(check, "Uwaga", "Dokumentu nie zapisano!")) << label;
            const int summary = IndexOfCaption(check, "Podsumowanie");
            if (summary >= 0) {
              EXPECT_LT(summary, IndexOfCaption(check, "Blokada")) << label;
            }
            // The failed file stays until a later report writes it whole.
            EXPECT_TRUE(check.report_file_after) << label;
          }
          EXPECT_EQ(failed, 1) << label << ": exactly the one report with the failed write tells of it";
          EXPECT_EQ(run.documents.size(), 2u) << label;
          // The report file is written while the list is saved by other means.
          EXPECT_EQ(TotalsOf(run.checks[2].opening), TotalsOf(run.checks[1].outcome.list)) << label;
        });
}

// A disk that fills up during a report: it and every later one fail.
TEST_F(FaultSweep, ADiskThatFillsUpAtAnyWriteFailsThatReportAndTheNext) {
  Sweep(Fault::StreamWrite, CallsOf(Fault::StreamWrite), Arming::FromThenOn, "stream writes",
        [](const ScenarioRun& run, long, const std::string& label) {
          const bool first_failed = HasBox(run.checks[0], "Blokada", "Błąd w trakcie zapisu!");
          const bool second_failed = HasBox(run.checks[1], "Blokada", "Błąd w trakcie zapisu!");
          EXPECT_TRUE(second_failed) << label;
          // A report either failed or was stored, never both.
          EXPECT_NE(first_failed, HasBox(run.checks[0], "Uwaga", "Dokument został zapisany")) << label;
          EXPECT_EQ(run.documents.size(), first_failed ? 1u : 2u) << label;
          EXPECT_EQ(TotalsOf(run.checks[2].opening), TotalsOf(run.checks[1].outcome.list)) << label;
        });
}

// Memory that runs out at any point of a check and stays out.
TEST_F(FaultSweep, MemoryThatRunsOutAtAnyPointStaysSilentAndSafe) {
  Sweep(Fault::Allocation, CallsOf(Fault::Allocation), Arming::FromThenOn, "allocations",
        [](const ScenarioRun& run, long, const std::string& label) {
          ExpectOnlyCleanBoxes(run, label);
          const CheckSeen* last_run = nullptr;
          for (std::size_t i = 0; i < 2; ++i) {
            if (run.checks[i].outcome.result == 0) last_run = &run.checks[i];
          }
          const auto expected = last_run != nullptr ? TotalsOf(last_run->outcome.list) : TotalsOf(Fresh());
          EXPECT_EQ(TotalsOf(run.checks[2].opening), expected) << label;
        });
}

TEST_F(FaultSweep, AFullDiskFailsEveryReportAndStoresNone) {
  const ScenarioRun run = Run(Fault::StreamWrite, 0, true);
  ExpectSound(run, "stream write always");
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(HasBox(run.checks[i], "Blokada", "Błąd w trakcie zapisu!")) << BoxList(run.checks[i]);
    EXPECT_EQ(IndexOfCaption(run.checks[i], "Podsumowanie"), -1);
  }
  EXPECT_EQ(run.documents.size(), 1u);  // the third check's
}

// The progress file as the INI access keeps it: one value per key, a
// failed write leaving the key as it was.
struct ProgressModel {
  bool has_number = false;
  std::optional<std::int32_t> count;
  std::map<std::int32_t, Position> rows;

  // The writes of one save; `failing` is the 1-based write that fails
  // (0: none), counted from `first`. Returns the number of writes.
  long Save(const std::vector<Position>& list, long first, long failing, bool from_then_on = false) {
    long write = first;
    auto lands = [&] {
      const long at = write++;
      return failing == 0 || (from_then_on ? at < failing : at != failing);
    };
    if (lands()) has_number = true;
    if (lands()) count = static_cast<std::int32_t>(list.size());
    for (std::size_t k = 0; k < list.size(); ++k) {
      if (lands()) rows[static_cast<std::int32_t>(k)] = list[k];
    }
    return write - first;
  }

  // The list that a check resumes with a yes; nullopt: the invoice is
  // loaded afresh. Reads are counted from `read`; the one numbered
  // `failing` fails as a missing key would. `asked` tells whether the
  // question came.
  std::optional<std::vector<Position>> Resume(long& read, long failing, bool& asked) const {
    auto succeeds = [&] { return read++ != failing; };
    asked = false;
    if (!succeeds() || !has_number) return std::nullopt;
    asked = true;
    if (!succeeds() || !count) return std::nullopt;
    std::vector<Position> list;
    for (std::int32_t k = 0; k < *count; ++k) {
      const bool read_ok = succeeds();
      if (const auto row = rows.find(k); read_ok && row != rows.end()) list.push_back(row->second);
    }
    return list;
  }
  std::optional<std::vector<Position>> Resume() const {
    long read = 1;
    bool asked = false;
    return Resume(read, 0, asked);
  }
};

// Each of the three checks opens with what the file held after the saves
// before it (`fresh` when none), the n-th write failing (`from_then_on`:
// every write from it on); with `asked`, the question comes whenever the
// file holds a number.
void ExpectChecksOpenWithTheSavedProgress(const ScenarioRun& run, long n, const std::string& label,
                                          const std::vector<Position>& fresh, bool from_then_on, bool asked) {
  ProgressModel file;
  long write = 1;
  for (std::size_t i = 0; i < 3; ++i) {
    const auto resumed = file.Resume();
    const auto expected = resumed ? TotalsOf(*resumed) : TotalsOf(fresh);
    EXPECT_EQ(Describe(TotalsOf(run.checks[i].opening)), Describe(expected)) << label << ", check " << i + 1;
    if (asked) {
      EXPECT_EQ(HasBox(run.checks[i], "Uwaga", "Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 1/2024"),
                file.has_number)
          << label << ", check " << i + 1;
    }
    if (i < 2) write += file.Save(run.checks[i].outcome.list, write, n, from_then_on);
  }
}

TEST_F(FaultSweep, EveryIniWriteOfTheProgressMayFail) {
  const long calls = CallsOf(Fault::IniWrite);
  ASSERT_GE(calls, 10) << "two saves of a number, a count and the rows";
  Sweep(Fault::IniWrite, calls, Arming::Once, "INI write",
        [](const ScenarioRun& run, long n, const std::string& label) {
          // A failed write goes unnoticed.
          ExpectOnlyCleanBoxes(run, label);
          ExpectChecksOpenWithTheSavedProgress(run, n, label, Fresh(), false, true);
        });
}

// A disk that fills up during a save: every write from the n-th on fails.
TEST_F(FaultSweep, AnIniThatStopsTakingWritesAtAnyPointLeavesWhatWasWrittenBefore) {
  Sweep(Fault::IniWrite, CallsOf(Fault::IniWrite), Arming::FromThenOn, "INI writes",
        [](const ScenarioRun& run, long n, const std::string& label) {
          ExpectChecksOpenWithTheSavedProgress(run, n, label, Fresh(), true, false);
        });
}

TEST_F(FaultSweep, EveryIniReadOfTheResumeMayFail) {
  const long calls = CallsOf(Fault::IniRead);
  ASSERT_GE(calls, 10) << "a look for a saved check, then a number, a count and the rows";
  Sweep(Fault::IniRead, calls, Arming::Once, "INI read", [](const ScenarioRun& run, long n, const std::string& label) {
    // A read that fails is a key that is not there: no saved check, no
    // count (the invoice is loaded afresh) or a row dropped; the saves
    // themselves go through.
    ProgressModel file;
    long read = 1;
    for (std::size_t i = 0; i < 3; ++i) {
      bool asked = false;
      const auto resumed = file.Resume(read, i < 2 ? n : 0, asked);
      const auto expected = resumed ? TotalsOf(*resumed) : TotalsOf(Fresh());
      EXPECT_EQ(Describe(TotalsOf(run.checks[i].opening)), Describe(expected)) << label << ", check " << i + 1;
      EXPECT_EQ(HasBox(run.checks[i], "Uwaga", "Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 1/2024"),
                asked)
          << label << ", check " << i + 1;
      file.Save(run.checks[i].outcome.list, 1, 0);
    }
  });
}

TEST_F(FaultSweep, AnIniThatTakesNoWritesLeavesNothingToResume) {
  const ScenarioRun run = Run(Fault::IniWrite, 0, true);
  ExpectSound(run, "INI write always");
  EXPECT_FALSE(HasBox(run.checks[1], "Uwaga", "Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 1/2024"));
  EXPECT_EQ(TotalsOf(run.checks[1].opening), TotalsOf(Fresh()));
  EXPECT_EQ(TotalsOf(run.checks[2].opening), TotalsOf(Fresh()));
}

TEST_F(FaultSweep, EachDocumentStoreMayRefuse) {
  const long calls = CallsOf(Fault::DocumentStore);
  ASSERT_EQ(calls, 2);
  Sweep(Fault::DocumentStore, calls, Arming::Once, "document store",
        [](const ScenarioRun& run, long n, const std::string& label) {
          const CheckSeen& refused = run.checks[static_cast<std::size_t>(n - 1)];
          const CheckSeen& stored = run.checks[static_cast<std::size_t>(2 - n)];
          EXPECT_TRUE(HasBox(refused, "Uwaga", "Dokumentu nie zapisano!")) << label << ": " << BoxList(refused);
          EXPECT_FALSE(HasBox(refused, "Uwaga", "Dokument został zapisany")) << label;
          EXPECT_TRUE(HasBox(stored, "Uwaga", "Dokument został zapisany")) << label;
          // The file is deleted all the same.
          EXPECT_FALSE(refused.report_file_after) << label;
          EXPECT_EQ(run.documents.size(), 2u) << label;
        });
}

TEST_F(FaultSweep, AStoreThatRefusesEveryDocumentLeavesNoReportFile) {
  const ScenarioRun run = Run(Fault::DocumentStore, 0, true);
  ExpectSound(run, "document store always");
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(HasBox(run.checks[i], "Uwaga", "Dokumentu nie zapisano!"));
    EXPECT_FALSE(run.checks[i].report_file_after);
  }
  EXPECT_EQ(run.documents.size(), 1u);
}

}  // namespace
}  // namespace reliability
