// The host program end to end: korpus started as a user starts it, in a
// working directory of its own, on a database it creates, driven by a
// script; its printed transcript and the files it leaves are checked.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <iomanip>

#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/korpus_folder.h"
#include "tests/support/legacy_database.h"
#include "tests/support/program_run.h"

namespace {

namespace fs = std::filesystem;

using testing_support::Count;
using testing_support::Outcome;
using testing_support::ReadBytes;

// Lines of the binding error box as the script prints it.
std::string BindingBox(const std::string& ordinal, const std::string& answer) {
  const std::string plugin = (fs::canonical(KORPUS_PROGRAM).parent_path() / "prufacja.so").string();
  return "box system POWAŻNY BŁĄD WTYCZKI\n"
         "| W module  " + plugin + " \n"
         "| brak wpisu  " + ordinal + " \n"
         "| Wywołano z wtyczki   Zainstalowano wtyczkę: PRUFACJA .\n"
         "|\n"
         "| Błąd ten można zignorować lecz dalsza praca\n"
         "| programu w tych warunkach może być niebezpieczna.\n"
         "|\n"
         "| Konieczna jest aktualizacja programu!\n"
         "answer " + answer + "\n";
}

std::string StopBox(const std::string& table, int required, int found) {
  return "box notice STOP!\n"
         "| Wersje tabeli " + table + " w programie i we wtyczce\n"
         "| nie pasują do siebie (WT:" + std::to_string(required) + ", GP:" + std::to_string(found) + ")!\n"
         "|\n"
         "|\n"
         "| Wtyczka  Zainstalowano wtyczkę: PRUFACJA\n"
         "| NIE zostanie załadowana!\n"
         "answer ok\n";
}

const std::string kNotice =
    "box install\n"
    "|  Zainstalowano wtyczkę: PRUFACJA\n"
    "|  Tabele/Sprzedaż lub Zakup/Faktury krajowe (VAT)-> Ctrl-1\n";
const std::string kLoaded = "plugin load: result 0, description \" Zainstalowano wtyczkę: PRUFACJA\"\n";
const std::string kDialogTitle = " Sprawdź fakturę ═";

using ProgramTest = testing_support::KorpusFolder;

// ---------------------------------------------------------------------------
// Loading and unloading

TEST_F(ProgramTest, InstallNoticeShowsUntilTickedThenNeverAgain) {
  const Outcome first = Korpus("answer ok\nquit\n");
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_EQ(first.out, kNotice + "answer ok\n" + kLoaded + "plugin unload: result 0\n");
  EXPECT_EQ(ReadBytes(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=0\r\n");

  const Outcome second = Korpus("answer tick\nquit\n");
  EXPECT_EQ(second.out, kNotice + "answer tick\n" + kLoaded + "plugin unload: result 0\n");
  EXPECT_EQ(ReadBytes(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=1\r\n");

  const Outcome third = Korpus("quit\n");
  EXPECT_EQ(third.exit_code, 0) << third.err;
  EXPECT_EQ(third.out, kLoaded + "plugin unload: result 0\n");
}

struct TableCase {
  int number;
  const char* name;
  int required;
};

class VersionMismatchProgramTest : public ProgramTest, public ::testing::WithParamInterface<TableCase> {};

TEST_P(VersionMismatchProgramTest, StopBoxNamesTheTableAndTheHostKeepsItsHandlers) {
  const TableCase& table = GetParam();
  const int found = table.required + 3;
  const Outcome run = Korpus("select FV 1/2024\nkey Ctrl-1\nregister purchase\nkey Ctrl-1\nquit\n",
                         {"--trace-events", "--table-version", std::to_string(table.number) + "=" + std::to_string(found)});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, StopBox(table.name, table.required, found) +
                         "plugin load: result -1, description \" Zainstalowano wtyczkę: PRUFACJA\"\n"
                         "register sales: row 1 of 4, FV 1/2024\n"
                         "event 231 reached the host's sales list\n"
                         "register purchase: row 1 of 2, FZ 101/2024\n"
                         "event 231 reached the host's purchase list\n");
  EXPECT_FALSE(fs::exists(dir_ / "Niezgodnosci.ini")) << "no check ran";
  EXPECT_FALSE(fs::exists(dir_ / "PrufPytanie.ini")) << "no install notice after a refusal";
}

INSTANTIATE_TEST_SUITE_P(EachTable, VersionMismatchProgramTest,
                         ::testing::Values(TableCase{44, "tabTspr", 980}, TableCase{52, "tabTzak", 828},
                                           TableCase{45, "tabTspr_dok", 298}, TableCase{53, "tabTzak_dok", 626},
                                           TableCase{49, "tabk9", 1024}),
                         [](const ::testing::TestParamInfo<TableCase>& param) { return std::string(param.param.name); });

TEST_F(ProgramTest, UnloadBeforeLoadAnswersZeroAndChangesNothing) {
  const Outcome run = Korpus("plugin unload\nselect FV 1/2024\nkey Ctrl-1\nanswer tick\nplugin load\nquit\n",
                         {"--no-load", "--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "plugin unload: result 0\n"
            "register sales: row 1 of 4, FV 1/2024\n"
            "event 231 reached the host's sales list\n" +
                kNotice + "answer tick\n" + kLoaded + "plugin unload: result 0\n");
}

TEST_F(ProgramTest, SecondLoadWithoutUnloadHooksNothingTwice) {
  const Outcome run = Korpus(
      "answer ok\n"
      "answer tick\n"
      "plugin load\n"
      "select FV 2/2024\n"
      "key Ctrl-1\n"
      "key Esc\n"
      "screen\n"
      "quit\n",
      {"--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  // The notice logic runs again; one check and one host event per Ctrl-1,
  // and after Esc the register, not a second dialog, is on the screen.
  EXPECT_EQ(Count(run.out, kLoaded), 2u);
  EXPECT_EQ(Count(run.out, "box install\n"), 2u);
  EXPECT_EQ(Count(run.out, "event 231 reached the host's sales list\n"), 1u);
  EXPECT_EQ(Count(run.out, kDialogTitle), 0u);
  EXPECT_NE(run.out.find("   2. W  FV 2/2024            2024-03-05 Hurtownia Budowlana Kowalczyk Sp. z o.o."),
            std::string::npos);
  EXPECT_EQ(Count(run.out, "plugin unload: result 0\n"), 1u);
  EXPECT_EQ(ReadBytes(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=1\r\n");
}

// A library that is no plug-in: each call of the entry says so.
TEST_F(ProgramTest, ALibraryWithoutTheEntryIsNamedAtEveryCall) {
  const Outcome run = Korpus("plugin load\nplugin unload\nquit\n", {"--plugin", KORPUS_LIBRARY});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string failure = std::string(KORPUS_LIBRARY) + " has no entry 30001\n";
  EXPECT_EQ(run.out, "plugin load: " + failure + "plugin load: " + failure + "plugin unload: " + failure);
}

TEST_F(ProgramTest, AHostWithoutATableOfTheRegistersStopsTheLoad) {
  const Outcome run = Korpus("quit\n", {"--without-table", "45"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, StopBox("tabTspr_dok", 298, 0) +
                         "plugin load: result -1, description \" Zainstalowano wtyczkę: PRUFACJA\"\n");
}

// ---------------------------------------------------------------------------
// Ctrl-1 in the registers

// A check of the invoice showed its rows; the host's handler got the event
// after the check had ended; the saved check names the invoice.
void ExpectTheCheckOf(const Outcome& run, const std::string& rows, const std::string& list,
                      const std::string& number, const fs::path& dir) {
  EXPECT_NE(run.out.find(rows), std::string::npos) << run.out;
  EXPECT_GT(run.out.find("event 231 reached the host's " + list + " list"), run.out.find("--- end of screen ---"));
  EXPECT_NE(ReadBytes(dir / "Niezgodnosci.ini").find("Nr fakt.=" + number + "\r\n"), std::string::npos);
}

TEST_F(ProgramTest, CtrlOneOnASalesInvoiceChecksThatInvoice) {
  const Outcome run = Korpus("answer tick\nselect FV 2/2024\nkey Ctrl-1\nscreen\nkey Esc\nquit\n", {"--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string expected_rows =
      "         ║ Nazwa               │Symbol          │Zliczono      │Ilosc na fak. │     Uwagi ║\n"
      "         ║    1. Zaprawa klejow│ZPR-K25         │0.00          │10.00         │  niepruf. ║\n"
      "         ║    2. Fuga elastyczn│FUG-SZA         │0.00          │6.00          │  niepruf. ║\n"
      "         ║    3. Gips szpachlow│GPS-S20         │0.00          │4.00          │  niepruf. ║\n"
      "         ║    4. Wiertło do bet│WRT-8           │0.00          │3.00          │  niepruf. ║\n"
      "         ║                     │                │              │              │           ║\n";
  ExpectTheCheckOf(run, expected_rows, "sales", "FV 2/2024", dir_);
  EXPECT_EQ(Count(run.out, "SRB-8X40"), 0u) << "no position of another invoice";
}

TEST_F(ProgramTest, CtrlOneOnAPurchaseInvoiceChecksThatInvoice) {
  const Outcome run = Korpus(
      "answer tick\nregister purchase\nselect FZ 101/2024\nkey Ctrl-1\nscreen\nkey Esc\nquit\n", {"--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string expected_rows =
      "         ║    1. Uszczelka gumo│USZ-34          │0.00          │50.00         │  niepruf. ║\n"
      "         ║    2. Rura PCV 110 m│RUR-110-2       │0.00          │20.00         │  niepruf. ║\n"
      "         ║    3. Kolanko PCV 11│KLN-110-45      │0.00          │15.00         │  niepruf. ║\n"
      "         ║    4. Zawór kulowy 1│ZAW-12          │0.00          │12.00         │  niepruf. ║\n"
      "         ║                     │                │              │              │           ║\n";
  ExpectTheCheckOf(run, expected_rows, "purchase", "FZ 101/2024", dir_);
}

TEST_F(ProgramTest, WholeCheckWithTheCollectorFileShowsEveryRemark) {
  const Outcome run = Korpus("answer tick\nselect FV 1/2024\nkey Ctrl-1\nkey F4\nscreen\nkey Esc\nquit\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  for (const char* remark : {"        OK ║", "      DUŻO ║", "      mało ║", "  niepruf. ║"}) {
    EXPECT_NE(run.out.find(remark), std::string::npos) << remark;
  }
  EXPECT_NE(run.out.find("│ARCH-001        │1.00          │0.00          │      DUŻO ║"), std::string::npos);
}

// 33,000 unknown codes from the collector make a list of 33,004 positions:
// the list shows 32,767 of them and says how many it does not; the report
// and the saved check hold every one.
TEST_F(ProgramTest, AListLongerThanTheHostsRowIndexesLosesNoPosition) {
  {
    std::ofstream data(dir_ / "data.txt", std::ios::binary);
    for (int i = 0; i < 33000; ++i) data << "X" << std::setw(6) << std::setfill('0') << i << ";1\r\n";
  }
  const Outcome run = Korpus("answer tick\nselect FV 2/2024\nkey Ctrl-1\nkey Alt-U\nkey F4\nkey Alt-N End\nscreen\n"
                             "key F5\nkey Esc\nquit\n");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("(pozycje niewidoczne na liście: 237)"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("32767. Nowy towar"), std::string::npos);
  EXPECT_EQ(run.out.find("32768."), std::string::npos);
  EXPECT_NE(run.out.find("| Ilość pozycji spoza faktury  - 33000\n"), std::string::npos);

  const std::vector<standin::DocumentRow> documents = standin::OpenDatabase(dir_ / "firma.db")->Documents();
  ASSERT_EQ(documents.size(), 1u);
  constexpr std::size_t kHeaderAndBottom = 493;
  constexpr std::size_t kLine = 99;
  EXPECT_EQ(documents[0].content.size(), kHeaderAndBottom + 33004 * kLine);
  const std::string saved = ReadBytes(dir_ / "Niezgodnosci.ini");
  EXPECT_NE(saved.find("Ilosc=33004\r\n"), std::string::npos);
  EXPECT_NE(saved.find("\r\nr33003="), std::string::npos);
}

TEST_F(ProgramTest, EveryOtherKeyReachesTheHostsHandlerWhichDoesTheListsWork) {
  const Outcome run = Korpus("answer tick\nkey Down\nkey Down\nkey Up\ntype x\nkey F5\nkey Tab\nkey End\n"
                         "answer yes\nkey Esc\nscreen\n",
                         {"--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, kNotice + "answer tick\n" + kLoaded +
                         "event 20480 reached the host's sales list\n"
                         "event 20480 reached the host's sales list\n"
                         "event 18432 reached the host's sales list\n"
                         "event 120 reached the host's sales list\n"
                         "signal\n"  // no invoice number begins with an x
                         "event 16128 reached the host's sales list\n"
                         "event 9 reached the host's sales list\n"
                         "event 20224 reached the host's purchase list\n"
                         "event 27 reached the host's purchase list\n"
                         "box question Uwaga\n| Zakończyć pracę programu?\nanswer yes\n"
                         "plugin unload: result 0\n")
      << "Esc in a register, answered yes, quits: the screen command after it is not read";
}

// Typed characters search the numbers from their beginning, in either case;
// Backspace searches again with one character less, Esc clears the search
// (and only then would ask to quit), a character no number goes on with
// rings the bell.
TEST_F(ProgramTest, TypingInTheRegisterFindsTheFirstNumberBeginningWithIt) {
  const Outcome run = Korpus(
      "answer tick\nsearch fv 3\nscreen\nkey Backspace\ntype 4\nregister sales\nkey Esc\nscreen\n"
      "type 9\nsearch FV 4/2023\n");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.err, "script.txt:10: search: no invoice number in the sales register begins with 'FV 4/2023'\n");
  const std::string::size_type found = run.out.find("register sales: row 3 of 4, FV 3/2024\n");
  ASSERT_NE(found, std::string::npos) << run.out;
  const std::string after = run.out.substr(found);
  EXPECT_NE(after.find("\n Szukaj: fv 3   Backspace Popraw   Esc Wyczyść\n"), std::string::npos) << after;
  EXPECT_NE(after.find("--- end of screen ---\nregister sales: row 4 of 4, FV 4/2024\n"), std::string::npos) << after;
  EXPECT_EQ(Count(after, "Szukaj:"), 1u) << "Esc cleared the search";
  EXPECT_EQ(Count(after, "box question"), 0u);
  EXPECT_NE(after.find("--- end of screen ---\nsignal\nsignal\n"), std::string::npos) << after;
}

// ---------------------------------------------------------------------------
// A host that lacks an entry

TEST_F(ProgramTest, MissingEntryIgnoredLoadsWithTheFallback) {
  const Outcome run = Korpus("answer ignore\nselect FV 2/2024\nkey Ctrl-1\nkey Esc\nquit\n",
                         {"--without-entry", "52023", "--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  // The notice entry answers 0 without showing anything; "Pytaj" is
  // written back as 0; the check still runs.
  EXPECT_EQ(run.out.substr(0, run.out.find("register sales")), BindingBox("52023", "ignore") + kLoaded);
  EXPECT_EQ(ReadBytes(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=0\r\n");
  EXPECT_TRUE(fs::exists(dir_ / "Niezgodnosci.ini"));
  EXPECT_EQ(Count(run.out, "event 231 reached the host's sales list"), 1u);
}

TEST_F(ProgramTest, MissingEntryAbortedAbandonsTheLoadAndLeavesTheHostsHandlers) {
  for (const std::string& script : {std::string("answer abort\n"), std::string()}) {
    const Outcome run =
        Korpus(script + "select FV 2/2024\nkey Ctrl-1\nquit\n", {"--without-entry", "52023", "--trace-events"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, BindingBox("52023", "abort") +
                           "plugin load: abandoned: host entry 52023 is missing; the call was abandoned\n"
                           "register sales: row 2 of 4, FV 2/2024\n"
                           "event 231 reached the host's sales list\n");
    EXPECT_FALSE(fs::exists(dir_ / "Niezgodnosci.ini"));
  }
}

TEST_F(ProgramTest, MissingEntryDuringACheckAbortedSkipsTheHostsHandler) {
  const Outcome run = Korpus("answer tick\nselect FV 2/2024\nanswer abort\nkey Ctrl-1\nkey Down\nquit\n",
                         {"--without-entry", "52026", "--trace-events"});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find(BindingBox("52026", "abort") +
                         "event 231 failed: host entry 52026 is missing; the call was abandoned\n"
                         "event 20480 reached the host's sales list\n"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(Count(run.out, "event 231 reached"), 0u);
}

// An entry missing inside the open dialog: at its opening event (52034) and
// in the row texts that a redraw asks for inside that event (52179). The
// failure leaves the dialog, the check and the list event; the dialog is
// closed behind it, so the next Ctrl-1 opens it again and fails the same way.
TEST_F(ProgramTest, MissingEntryInsideTheDialogAbortedEndsTheCheckAndTheNextOneRunsAgain) {
  for (const std::string ordinal : {"52034", "52179"}) {
    const Outcome run = Korpus("select FV 2/2024\nanswer abort\nkey Ctrl-1\nkey Ctrl-1\nquit\n",
                               {"--without-entry", ordinal, "--trace-events"});
    EXPECT_EQ(run.exit_code, 0) << run.err;
    const std::string failed = "event 231 failed: host entry " + ordinal + " is missing; the call was abandoned\n";
    EXPECT_NE(run.out.find(BindingBox(ordinal, "abort") + failed + failed + "plugin unload: result 0\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Count(run.out, "event 231 reached"), 0u);
  }
}

// ---------------------------------------------------------------------------
// Scripts

TEST_F(ProgramTest, UnknownInvoiceIsAScriptErrorWithItsLine) {
  const Outcome run = Korpus("answer tick\n# a comment\nselect FV 9/2024\nkey Ctrl-1\n");
  EXPECT_NE(run.exit_code, 0);
  EXPECT_EQ(run.err, "script.txt:3: select: no invoice 'FV 9/2024' in the sales register\n");
  EXPECT_EQ(run.out, kNotice + "answer tick\n" + kLoaded + "plugin unload: result 0\n");
}

TEST_F(ProgramTest, UnknownCommandAndKeyNameAreScriptErrors) {
  const Outcome command = Korpus("answer tick\nregister sales\nfrobnicate now\n");
  EXPECT_NE(command.exit_code, 0);
  EXPECT_EQ(command.err, "script.txt:3: unknown command 'frobnicate'\n");

  const Outcome key = Korpus("key Ctrl-Shift-1\n");
  EXPECT_NE(key.exit_code, 0);
  EXPECT_EQ(key.err, "script.txt:1: unknown key name 'Ctrl-Shift-1'\n");

  const Outcome register_name = Korpus("register returns\n");
  EXPECT_NE(register_name.exit_code, 0);
  EXPECT_EQ(register_name.err, "script.txt:1: register: expected 'sales', 'purchase' or 'documents', not 'returns'\n");
}

TEST_F(ProgramTest, RegisterCommandsAreRefusedWhileADialogIsOpen) {
  const Outcome run = Korpus("answer tick\nkey Ctrl-1\nregister purchase\n");
  EXPECT_NE(run.exit_code, 0);
  EXPECT_EQ(run.err, "script.txt:3: register: a dialog is open; close it first\n");
  EXPECT_NE(run.out.find("plugin unload: result 0\n"), std::string::npos);
}

TEST_F(ProgramTest, ScriptEndingInsideTheDialogClosesItAndSavesTheCheck) {
  const Outcome run = Korpus("answer tick\nselect FV 2/2024\nkey Ctrl-1\ntype GPS-S20\nkey Enter\nkey Enter\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string saved = ReadBytes(dir_ / "Niezgodnosci.ini");
  EXPECT_NE(saved.find("Nr fakt.=FV 2/2024\r\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("GPS-S20,4000,4000"), std::string::npos) << saved;
  EXPECT_TRUE(run.out.ends_with("plugin unload: result 0\n"));
}

// Each command refuses what it cannot do, naming the line; the run fails.
TEST_F(ProgramTest, EveryCommandRefusesWhatItCannotDo) {
  const Outcome binding_box = Korpus("answer ok\nquit\n", {"--without-entry", "52023"});
  EXPECT_EQ(binding_box.exit_code, 1);
  EXPECT_EQ(binding_box.err, "script.txt:1: answer 'ok' does not fit a system box (abort, retry, ignore)\n");
  Korpus("answer tick\nquit\n");
  const std::pair<std::string, std::string> cases[] = {
      {"select \t\n", "1: select needs an invoice number"},
      {"register documents\nselect FV 1/2024\n",
       "2: select: the documents view lists no invoices; 'register sales' or 'register purchase' first"},
      {"key Ctrl-1\nselect FV 1/2024\n", "2: select: a dialog is open; close it first"},
      {"key Ctrl-1\nplugin unload\n", "2: plugin: a dialog is open; close it first"},
      {"plugin reload\n", "1: plugin: expected 'load' or 'unload', not 'reload'"},
      {"table-version 45\n", "1: table-version: '45' is not NUMBER=VERSION (e.g. 45=300)"},
      {"table-version 46=1\n", "1: table-version: no host table 46"},
      {"quit now\n", "1: quit takes no argument"},
      {"key \t\n", "1: key needs a key name"},
      {"type\n", "1: type needs a text"},
      {"type \xC5\n", "1: type: the text is not valid UTF-8"},
      {"answer maybe \t\n", "1: unknown answer 'maybe' (yes, no, ok, retry, ignore, abort or tick)"},
      {"answer-system\n", "1: answer-system needs retry, ignore or abort"},
      {"answer-system retry maybe\n", "1: unknown answer of a system box 'maybe' (retry, ignore or abort)"},
      {"screen now\n", "1: screen takes no argument"},
      {"search \t\n", "1: search needs the beginning of an invoice number"},
      {"register documents\nsearch FV\n",
       "2: search: the documents view lists no invoices; 'register sales' or 'register purchase' first"},
      {"key Ctrl-1\nsearch FV\n", "2: search: a dialog is open; close it first"},
  };
  for (const auto& [script, error] : cases) {
    SCOPED_TRACE(script);
    const Outcome run = Korpus(script);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, "script.txt:" + error + "\n");
  }
}

// Blank lines, comments and answers come before the load; without
// --script, and with "-", the script is the standard input.
TEST_F(ProgramTest, TheScriptIsReadFromItsFileOrTheStandardInput) {
  const Outcome file = Korpus("\n# a comment\n\nanswer tick\n\tregister purchase \t\n\nquit\n");
  EXPECT_EQ(file.exit_code, 0) << file.err;
  EXPECT_EQ(file.out, kNotice + "answer tick\n" + kLoaded + "register purchase: row 1 of 2, FZ 101/2024\n" +
                          "plugin unload: result 0\n");
  for (const std::vector<std::string>& script : {std::vector<std::string>{}, std::vector<std::string>{"--script", "-"}}) {
    std::vector<std::string> args = {KORPUS_PROGRAM, "--db", "firma.db"};
    args.insert(args.end(), script.begin(), script.end());
    const Outcome run = testing_support::RunProgram(dir_, args);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, kLoaded + "plugin unload: result 0\n");
  }
  const Outcome missing = testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--db", "firma.db", "--script", "brak.txt"});
  EXPECT_EQ(missing.exit_code, 2);
  EXPECT_EQ(missing.err, "korpus: cannot read the script brak.txt\n");
  EXPECT_EQ(missing.out, "");
}

TEST_F(ProgramTest, CommandLineErrorsAndHelp) {
  const Outcome bad_version = Korpus("quit\n", {"--table-version", "45"});
  EXPECT_EQ(bad_version.exit_code, 2);
  EXPECT_EQ(bad_version.err, "--table-version: '45' is not NUMBER=VERSION (e.g. 45=300)\n");

  const Outcome no_table = Korpus("quit\n", {"--table-version", "46=1"});
  EXPECT_EQ(no_table.exit_code, 2);
  EXPECT_EQ(no_table.err, "korpus: no host table 46\n");

  // CLI11 refuses the first four with its own message, korpus the others;
  // each exits 2.
  struct Refused {
    std::vector<std::string> args;
    const char* message;
  };
  for (const Refused& refused : {Refused{{"--bogus"}, "The following argument was not expected: --bogus"},
                                 Refused{{"--fail-stream-write"}, "--fail-stream-write: 1 required"},
                                 Refused{{"--fail-stream-write", "abc"}, "--fail-stream-write: Value abc not in range"},
                                 Refused{{"--without-entry", "x"}, "Could not convert: --without-entry = x"},
                                 Refused{{"--without-table", "46"}, "korpus: no host table 46"},
                                 Refused{{"--collector", std::string(300, 'k')},
                                         "korpus: the collector folder name is too long: kkk"}}) {
    const Outcome run = Korpus("quit\n", refused.args);
    EXPECT_EQ(run.exit_code, 2) << refused.args[0] << ": " << run.err;
    EXPECT_NE(run.err.find(refused.message), std::string::npos) << run.err;
  }

  const Outcome help = Korpus("", {"--help"});
  EXPECT_EQ(help.exit_code, 0);
  EXPECT_NE(help.out.find("--table-version NUMBER=VERSION"), std::string::npos) << help.out;
}

// ---------------------------------------------------------------------------
// A user's database

TEST_F(ProgramTest, CheckDbListsEveryProblemAndExitsOneOrZero) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(dir_ / "bad.db", testing_support::kOneOfEachKindSql), "");
  const Outcome bad = testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--check-db", "bad.db"});
  EXPECT_EQ(bad.exit_code, 1) << bad.err;
  EXPECT_EQ(Count(bad.out, "\n"), 11u) << bad.out;
  EXPECT_NE(bad.out.find("invoice_positions rowid 3 (invoice_id 1, line 3), quantity = 2.7: not a whole number; "
                         "the check of that invoice is refused\n"),
            std::string::npos)
      << bad.out;
  EXPECT_NE(bad.out.find("goods rowid 2 (catalogue 1, id 70000), id = 70000: out of range 0..65535; the record is "
                         "left out\n"),
            std::string::npos);
  EXPECT_TRUE(bad.out.ends_with("bad.db: 10 problems\n")) << bad.out;

  Korpus("quit\n");  // the demo database
  const Outcome demo = testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--check-db", "firma.db"});
  EXPECT_EQ(demo.exit_code, 0) << demo.out;
  EXPECT_EQ(demo.out, "firma.db: 0 problems\n");

  const Outcome none = testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--check-db", "none.db"});
  EXPECT_EQ(none.exit_code, 2);
  EXPECT_EQ(none.err, "korpus: no database none.db\n");
  EXPECT_FALSE(fs::exists(dir_ / "none.db"));
}

TEST_F(ProgramTest, AnInvoiceWhosePositionsCannotBeReadIsNotChecked) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(dir_ / "firma.db", testing_support::kOneOfEachKindSql), "");
  std::ofstream(dir_ / "PrufPytanie.ini", std::ios::binary) << "[Prufacja]\r\nPytaj=1\r\n";
  const Outcome run = Korpus("select FV 1\nkey Ctrl-1\nselect FV 2\nkey Ctrl-1\nkey Esc\nquit\n");
  EXPECT_EQ(run.exit_code, 0) << run.err;
  const std::string refused =
      "box notice Błąd\n"
      "| Błędna wartość w bazie danych!\n"
      "|\n"
      "| Tabela: invoice_positions, wiersz 1 (invoice_id 1, line 1)\n"
      "| Kolumna: quantity\n"
      "| Wartość: 1000000000000\n"
      "| liczba spoza zakresu -2147483648..2147483647\n"
      "|\n"
      "| Sprawdzenie tej faktury nie zostanie rozpoczęte.\n"
      "answer ok\n";
  EXPECT_NE(run.out.find("register sales: row 1 of 2, FV 1\n" + refused + "register sales: row 2 of 2, FV 2\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("| Tekst zostanie obcięty.\n"), std::string::npos);
  EXPECT_NE(run.out.find("| Znak zostanie pokazany jako '?'.\n"), std::string::npos);
  // FV 3's id does not fit the register: named first, before the plug-in loads.
  EXPECT_TRUE(run.out.starts_with("box notice Błąd\n| Błędna wartość w bazie danych!\n|\n"
                                  "| Tabela: invoices, wiersz 3000000000 (number 'FV 3')\n"))
      << run.out;
  EXPECT_EQ(Count(run.err, "\n"), 4u) << run.err;
  EXPECT_NE(run.err.find("korpus: invoice_positions rowid 1 (invoice_id 1, line 1), quantity = 1000000000000"),
            std::string::npos);
  // FV 2 was checked: its progress names it.
  EXPECT_NE(ReadBytes(dir_ / "Niezgodnosci.ini").find("Nr fakt.=FV 2\r\n"), std::string::npos);
}

TEST_F(ProgramTest, AnEmptyDatabaseHasEmptyRegistersAndOneProblemIsCountedAsOne) {
  std::ofstream(dir_ / "pusta.txt") << "answer tick\nregister purchase\nkey Ctrl-1\nkey Down\nregister documents\nquit\n";
  const Outcome empty =
      testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--db", "pusta.db", "--script", "pusta.txt"});
  EXPECT_EQ(empty.exit_code, 0) << empty.err;
  EXPECT_EQ(empty.out, kNotice + "answer tick\n" + kLoaded +
                           "register purchase: no invoices\ndocuments: none\nplugin unload: result 0\n");

  ASSERT_EQ(testing_support::MakeLegacyDatabase(dir_ / "jeden.db", "INSERT INTO codes VALUES ('C1', 2.5, 'T1', 1, 1);"),
            "");
  const Outcome one = testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--check-db", "jeden.db"});
  EXPECT_EQ(one.exit_code, 1) << one.err;
  EXPECT_TRUE(one.out.ends_with("\njeden.db: 1 problem\n")) << one.out;
  EXPECT_EQ(Count(one.out, "\n"), 2u) << one.out;
}

TEST_F(ProgramTest, DemoDataGoesOnlyIntoANewDatabaseWithItsCollectorFile) {
  Korpus("answer tick\nquit\n");
  const std::string collector = ReadBytes(dir_ / "data.txt");
  EXPECT_EQ(collector.substr(0, 13), "SRB-8X40;10\r\n");
  const Outcome again = Korpus("quit\n", {"--demo"});
  EXPECT_EQ(again.err, "korpus: firma.db already exists; the demo data goes only into a new one\n");
  EXPECT_EQ(again.exit_code, 0);
}

// The example is written only where there is none, and a failure to write
// it is said and does not stop the program.
TEST_F(ProgramTest, TheDemoKeepsTheCollectorFileThereIsAndSaysWhenItCannotWriteOne) {
  std::ofstream(dir_ / "data.txt", std::ios::binary) << "X-1;1\r\n";
  const Outcome kept = Korpus("answer tick\nquit\n");
  EXPECT_EQ(kept.err, "");
  EXPECT_EQ(ReadBytes(dir_ / "data.txt"), "X-1;1\r\n");

  fs::remove(dir_ / "firma.db");
  fs::remove(dir_ / "data.txt");
  fs::create_symlink("brak/data.txt", dir_ / "data.txt");
  const Outcome unwritten = Korpus("quit\n");
  EXPECT_EQ(unwritten.exit_code, 0);
  EXPECT_EQ(unwritten.err, "korpus: could not write the example data.txt\n");
  EXPECT_EQ(unwritten.out, kLoaded + "plugin unload: result 0\n");
}

// ---------------------------------------------------------------------------
// The plug-in library as a host sees it

TEST(PluginLibraryTest, ExportsOnlyItsOrdinalLookupAnsweringTheEntry) {
  standin::RecordingFrontEnd front;
  void* library = dlopen(KORPUS_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using Lookup = void* (*)(std::uint32_t);
  const auto lookup = reinterpret_cast<Lookup>(dlsym(library, "ordinal_export"));
  ASSERT_NE(lookup, nullptr);
  EXPECT_EQ(dlsym(library, "_ZN4host11PluginEntryEPvPc"), nullptr);
  EXPECT_EQ(dlsym(library, "_ZN4host6AttachEPv"), nullptr);
  EXPECT_EQ(lookup(30000), nullptr);
  EXPECT_EQ(lookup(30002), nullptr);

  using Entry = std::int32_t (*)(void*, char*);
  const auto entry = reinterpret_cast<Entry>(lookup(30001));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(nullptr, nullptr), 0);
  EXPECT_TRUE(front.boxes().empty());
  dlclose(library);
}

}  // namespace
