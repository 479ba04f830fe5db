// korpus at a terminal, as a person uses it: started in tmux on a fresh
// demo database in a folder of its own, keys sent as a keyboard or a
// scanner sends them, the screens captured and compared, and the files the
// check leaves behind read back.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "abi/codepage.h"
#include "tests/support/binding_box.h"
#include "tests/support/file_bytes.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

struct Ran {
  int status = -1;
  std::string out;
};

using testing_support::ReadBytes;

// Runs a program with its arguments, no shell between. Its output goes
// through a file: the tmux server that a first command starts keeps what it
// inherited open, a pipe would never end.
Ran RunProgram(const std::vector<std::string>& args, const std::filesystem::path& output) {
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(out, 1);
    dup2(null, 2);
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(output)};
}

// A screen as written out below: its blank rows above, then its rows.
std::string Picture(int blank_rows, std::string_view rows) {
  rows.remove_prefix(1);  // the line break after R"(
  return std::string(static_cast<std::size_t>(blank_rows), '\n') + std::string(rows);
}

std::string WithoutTrailingBlankLines(std::string text) {
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return text + "\n";
}

// The row of the screen that holds the text; empty when none does.
std::string RowWith(const std::string& screen, std::string_view text) {
  const std::size_t at = screen.find(text);
  if (at == std::string::npos) return {};
  const std::size_t begin = screen.rfind('\n', at);
  const std::size_t end = screen.find('\n', at);
  return screen.substr(begin == std::string::npos ? 0 : begin + 1, end == std::string::npos ? end : end - begin - 1);
}

// What stands in a coloured row between the column separator before a
// remark and the remark: the colour codes that tmux gives it.
std::string CodesBefore(const std::string& row, std::string_view remark) {
  const std::size_t at = row.find(remark);
  if (at == std::string::npos) return "(no " + std::string(remark) + ")";
  const std::size_t separator = row.rfind("│", at);
  return row.substr(separator, at - separator);
}

// The documents that the check handed to the host, by name, with their bytes.
std::vector<std::pair<std::string, std::string>> StoredDocuments(const fs::path& database) {
  std::vector<std::pair<std::string, std::string>> documents;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return documents;
  }
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, content FROM documents WHERE kind = 11 ORDER BY id", -1, &query, nullptr);
  while (query != nullptr && sqlite3_step(query) == SQLITE_ROW) {
    const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    const auto* content = static_cast<const char*>(sqlite3_column_blob(query, 1));
    documents.emplace_back(name != nullptr ? name : "",
                           std::string(content != nullptr ? content : "",
                                       static_cast<std::size_t>(sqlite3_column_bytes(query, 1))));
  }
  sqlite3_finalize(query);
  sqlite3_close(db);
  return documents;
}

class TerminalSessionTest : public ::testing::Test {
 protected:
  static constexpr auto kPatience = 15s;

  void SetUp() override {
    if (RunProgram({"tmux", "-V"}, "/dev/null").status != 0) GTEST_SKIP() << "tmux is missing: scripts/install-deps.sh installs it";
    char pattern[] = "/tmp/korpus-terminal-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // A terminal type that every ncurses has; Ctrl-1 passed on as a key
    // report; no status line; the pane kept after korpus ends, to read
    // what it printed then; the server kept when its last session is
    // killed, or a start right after one races the server's exit.
    std::ofstream(dir_ / "tmux.conf") << "set -g default-terminal screen-256color\n"
                                         "set -g extended-keys on\n"
                                         "set -g status off\n"
                                         "set -g remain-on-exit on\n"
                                         "set -s exit-empty off\n";
    setenv("LC_ALL", "C.UTF-8", 1);
  }

  void TearDown() override {
    if (dir_.empty()) return;
    Tmux({"kill-server"});
    fs::remove_all(dir_);
  }

  Ran Tmux(std::vector<std::string> args) {
    args.insert(args.begin(), {"tmux", "-S", (dir_ / "tmux.sock").string(), "-f", (dir_ / "tmux.conf").string()});
    return RunProgram(args, dir_ / "tmux.out");
  }

  // Starts korpus in a 120 × 40 terminal; the first start creates the demo
  // database and data.txt.
  void Start(std::vector<std::string> args = {}) {
    if (!fs::exists(dir_ / "firma.db")) args.insert(args.begin(), "--demo");
    args.insert(args.begin(), {KORPUS_PROGRAM, "--db", "firma.db"});
    Launch(args);
  }

  // Runs a command in the terminal through a shell that writes down how it
  // ended.
  void Launch(std::vector<std::string> command) {
    command.insert(command.begin(), {"sh", "-c", "\"$0\" \"$@\"; echo $? > exit.status"});
    fs::remove(dir_ / "exit.status");
    Tmux({"kill-session", "-t", "korpus"});  // what is left of an earlier start
    command.insert(command.begin(), {"new-session", "-d", "-x", "120", "-y", "40", "-c", dir_.string(), "-s", "korpus"});
    ASSERT_EQ(Tmux(command).status, 0);
  }

  void Keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"send-keys", "-t", "korpus"});
    Tmux(keys);
  }
  // Characters as one burst, the way a scanner types them.
  void Type(const std::string& text) { Tmux({"send-keys", "-t", "korpus", "-l", text}); }

  std::string Screen() { return WithoutTrailingBlankLines(Tmux({"capture-pane", "-p", "-t", "korpus"}).out); }
  std::string ScreenWithColours() { return Tmux({"capture-pane", "-p", "-e", "-t", "korpus"}).out; }
  std::string History() { return Tmux({"capture-pane", "-p", "-S", "-", "-t", "korpus"}).out; }

  // The screen once it shows the text (or no longer shows it); a failure
  // with the last screen when that does not happen in time.
  // A screen counts once two captures in a row agree: curses may be half
  // way through drawing it.
  std::string WaitFor(const std::string& text, bool shown = true) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::string screen;
    do {
      screen = Screen();
      if ((screen.find(text) != std::string::npos) == shown) {
        std::this_thread::sleep_for(20ms);
        const std::string again = Screen();
        if (again == screen) return screen;
        continue;
      }
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "the screen " << (shown ? "never showed" : "kept showing") << " '" << text << "':\n" << screen;
    return screen;
  }
  std::string WaitUntilGone(const std::string& text) { return WaitFor(text, false); }

  // How korpus ended: its exit status, or -1 when it did not end in time.
  // The shell that started it writes the status down; tmux's own account of
  // its panes' ends is not always ready in time.
  int WaitForExit() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    do {
      const std::string status = ReadBytes(dir_ / "exit.status");
      if (!status.empty() && status.back() == '\n') return std::atoi(status.c_str());
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "korpus did not end:\n" << Screen();
    return -1;
  }

  // Everything the terminal showed, once it holds the text.
  std::string WaitForHistory(const std::string& text) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::string history;
    do {
      history = History();
      if (history.find(text) != std::string::npos) return history;
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    ADD_FAILURE() << "the terminal never showed '" << text << "':\n" << history;
    return history;
  }

  // Ticks "show no more" in the notice and closes it: the screen then.
  std::string CloseTheNoticeForGood() {
    Keys({"n"});
    WaitFor("[X] Nie pokazuj więcej");
    Keys({"Enter"});
    return WaitUntilGone("Nie pokazuj więcej");
  }
  // Starts korpus and closes the notice that its first start shows.
  void StartPastTheNotice() {
    Start();
    WaitFor("Nie pokazuj więcej");
    Keys({"Enter"});
    WaitUntilGone("Nie pokazuj więcej");
  }
  // The check's dialog over the register's current invoice, as `key` opens it.
  std::string OpenTheCheck(const std::string& key = "C-1") {
    Keys({key});
    return WaitFor("╔");
  }
  void CloseTheCheck() {
    Keys({"Escape"});
    WaitUntilGone("╔");
  }
  // Escape on the register, and Tak to its question: how korpus ended.
  int Quit() {
    Keys({"Escape"});
    WaitFor("Zakończyć pracę programu?");
    Keys({"Enter"});
    return WaitForExit();
  }

  fs::path dir_;
};


// ---------------------------------------------------------------------------
// The screens as the terminal shows them (120 × 40 unless said otherwise)

const std::string kNoticeOverSalesRegister = Picture(0, R"(
                                            Sprzedaż - Faktury krajowe (VAT)
  Lp.    Numer                Data       Kontrahent
   1.    FV 1/2024            2024-03-04 Zakład Remontowy Wiśniewski i Syn
   2.    FV 2/2024            2024-03-05 Hurtownia Budowlana Kowalczyk Sp. z o.o.
   3.    FV 3/2024            2024-03-11 Przedsiębiorstwo Handlowe "Żuraw" S.A.
   4.    FV 4/2024            2024-03-12 Jan Żółkiewski - usługi ogólnobudowlane









                             ┌───────────────────────────────────────────────────────────┐
                             │                                                           │
                             │  Zainstalowano wtyczkę: PRUFACJA                          │
                             │  Tabele/Sprzedaż lub Zakup/Faktury krajowe (VAT)-> Ctrl-1 │
                             │                                                           │
                             │ [ ] Nie pokazuj więcej                                    │
                             │                                                           │
                             │                          [ OK ]                           │
                             └───────────────────────────────────────────────────────────┘















 F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Zakup   F3 Dokumenty   Esc Koniec
)");

const std::string kSalesRegister = Picture(0, R"(
                                            Sprzedaż - Faktury krajowe (VAT)
  Lp.    Numer                Data       Kontrahent
   1.    FV 1/2024            2024-03-04 Zakład Remontowy Wiśniewski i Syn
   2.    FV 2/2024            2024-03-05 Hurtownia Budowlana Kowalczyk Sp. z o.o.
   3.    FV 3/2024            2024-03-11 Przedsiębiorstwo Handlowe "Żuraw" S.A.
   4.    FV 4/2024            2024-03-12 Jan Żółkiewski - usługi ogólnobudowlane

































 F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Zakup   F3 Dokumenty   Esc Koniec
)");

// The sales register with the first invoice's marks: R for its stored
// report, W for its saved check.
std::string SalesRegisterMarked(std::string_view marks) {
  std::string screen = kSalesRegister;
  screen.replace(screen.find("   1.    FV 1/2024") + 6, marks.size(), marks);
  return screen;
}

// The check's window over the sales register: its input line and its list's
// rows between the parts that stay.
std::string CheckWindow(std::string_view inputs, std::string_view rows) {
  constexpr std::string_view kHead = R"(
                   ╔═══════════════════════════════ Sprawdź fakturę ════════════════════════════════╗
                   ║                                  Symbol towaru:        Ilość                   ║
)";
  constexpr std::string_view kColumns = R"(
                   ║ Nazwa               │Symbol          │Zliczono      │Ilosc na fak. │     Uwagi ║
)";
  constexpr std::string_view kFoot = R"(
                   ║                                                                                ║
                   ║ [X] Uwzględniaj ilości                                                         ║
                   ║ [ ] Nie dopisuj pozycji, których brak na fakturze                              ║
                   ║                                                                                ║
                   ║     [   F12 OK    ]    [F4 Odczytaj inwentaryzator]    [F5 Zapisz raport]      ║
                   ║                                                                                ║
                   ╚════════════════════════════════════════════════════════════════════════════════╝
)";
  return Picture(9, kHead) + std::string(inputs) + Picture(0, kColumns) + Picture(0, rows) + Picture(0, kFoot);
}

const std::string kMidCheck = CheckWindow(
    "                   ║                            ZAR-E27-10W·········  12.000······                  ║\n",
    R"(
                   ║    1. Żarówka LED E2│ZAR-E27-10W     │0.00          │24.00         │  niepruf. ║
                   ║    2. Silikon sanita│SIL-280-BIA     │0.00          │12.00         │  niepruf. ║
                   ║    3. Śruba sześciok│SRB-8X40        │0.00          │10.00         │  niepruf. ║
                   ║    4. Kołek rozporow│KOL-8X50        │0.00          │6.00          │  niepruf. ║
                   ║    5. Wkręt do drewn│WKR-4X40        │0.00          │5.00          │  niepruf. ║
                   ║    6. Pianka montażo│PNK-750         │0.00          │4.00          │  niepruf. ║
                   ║    7. Farba emulsyjn│FRB-10L         │0.00          │3.00          │  niepruf. ║
                   ║    8. Przewód OMY 2x│OMY-2X15        │0.00          │2.50          │  niepruf. ║
                   ║    9. Usługa transpo│                │0.00          │1.00          │  niepruf. ║
                   ║   10. Taśma malarska│TSM-48          │5.00          │5.00          │        OK ║
)");

const std::string kListScrolledToItsEnd = CheckWindow(
    "                   ║                            ····················  1.000·······                  ║\n",
    R"(
                   ║    5. Pianka montażo│PNK-750         │4.00          │4.00          │        OK ║
                   ║    6. Silikon sanita│SIL-280-BIA     │12.00         │12.00         │        OK ║
                   ║    7. Śruba sześciok│SRB-8X40        │10.00         │10.00         │        OK ║
                   ║    8. Taśma malarska│TSM-48          │5.00          │5.00          │        OK ║
                   ║    9. Nowy towar    │ARCH-001        │1.00          │0.00          │      DUŻO ║
                   ║   10. Nowy towar    │XYZ-999         │1.00          │0.00          │      DUŻO ║
                   ║   11. Nowy towar    │ŻÓŁW-1          │1.00          │0.00          │      DUŻO ║
                   ║   12. Wkręt do drewn│WKR-4X40        │7.00          │5.00          │      DUŻO ║
                   ║   13. Rękawice roboc│RKW-L           │3.00          │0.00          │      DUŻO ║
                   ║   14. Żarówka LED E2│ZAR-E27-10W     │36.00         │24.00         │      DUŻO ║
)");

const std::string kSummaryOverTheList = Picture(9, R"(
                   ╔═══════════════════════════════ Sprawdź fakturę ════════════════════════════════╗
                   ║                                  Symbol towaru:        Ilość                   ║
                   ║                            ····················  1.000·······                  ║
                   ║ Nazwa              ┌─────────── Podsumowanie ────────────┐ na fak. │     Uwagi ║
                   ║    5. Pianka montaż│                                     │         │        OK ║
                   ║    6. Silikon sanit│ Sprawdzenie faktury nr FV 1/2024    │         │        OK ║
                   ║    7. Śruba sześcio│                                     │         │        OK ║
                   ║    8. Taśma malarsk│ Ilość pozycji na dokumencie  -   10 │         │        OK ║
                   ║    9. Nowy towar   │ Różnice w ilosci             -    6 │         │      DUŻO ║
                   ║   10. Nowy towar   │ Ilość pozycji poprawnych     -    4 │         │      DUŻO ║
                   ║   11. Nowy towar   │                                     │         │      DUŻO ║
                   ║   12. Wkręt do drew│ Ilość pozycji spoza faktury  -    4 │         │      DUŻO ║
                   ║   13. Rękawice robo│ w tym:                              │         │      DUŻO ║
                   ║   14. Żarówka LED E│ nowych towarów       -    4         │         │      DUŻO ║
                   ║                    │                                     │                     ║
                   ║ [X] Uwzględniaj ilo│ Ilość pozycji niesprawdzonych-    2 │                     ║
                   ║ [ ] Nie dopisuj poz│                                     │                     ║
                   ║                    │               [ OK ]                │                     ║
                   ║     [   F12 OK    ]└─────────────────────────────────────┘ Zapisz raport]      ║
                   ║                                                                                ║
                   ╚════════════════════════════════════════════════════════════════════════════════╝
)");

const std::string kBindingBoxOverTheRegister = Picture(0, R"(
                                            Sprzedaż - Faktury krajowe (VAT)
  Lp.    Numer                Data       Kontrahent
   1.    FV 1/2024            2024-03-04 Zakład Remontowy Wiśniewski i Syn
   2.    FV 2/2024            2024-03-05 Hurtownia Budowlana Kowalczyk Sp. z o.o.
   3.    FV 3/2024            2024-03-11 Przedsiębiorstwo Handlowe "Żuraw" S.A.
   4.    FV 4/2024            2024-03-12 Jan Żółkiewski - usługi ogólnobudowlane







                               ┌───────────────── POWAŻNY BŁĄD WTYCZKI ─────────────────┐
                               │                                                        │
                               │ W module  /tmp/korpus-terminal-XXXXXX/prufacja.so      │
                               │ brak wpisu  52023                                      │
                               │ Wywołano z wtyczki   Zainstalowano wtyczkę: PRUFACJA . │
                               │                                                        │
                               │ Błąd ten można zignorować lecz dalsza praca            │
                               │ programu w tych warunkach może być niebezpieczna.      │
                               │                                                        │
                               │ Konieczna jest aktualizacja programu!                  │
                               │                                                        │
                               │         [ Przerwij ]   [ Ponów ]   [ Ignoruj ]         │
                               └────────────────────────────────────────────────────────┘













 F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Zakup   F3 Dokumenty   Esc Koniec
)");

const std::string kTerminalTooSmall = Picture(8, R"(
                     Okno terminala jest za małe:
             jest 70 × 20, potrzeba co najmniej 82 × 21.
                            Powiększ okno.
)");

const std::string kResumeQuestion = Picture(0, R"(
                                            Sprzedaż - Faktury krajowe (VAT)
  Lp.    Numer                Data       Kontrahent
   1. W  FV 1/2024            2024-03-04 Zakład Remontowy Wiśniewski i Syn
   2.    FV 2/2024            2024-03-05 Hurtownia Budowlana Kowalczyk Sp. z o.o.
   3.    FV 3/2024            2024-03-11 Przedsiębiorstwo Handlowe "Żuraw" S.A.
   4.    FV 4/2024            2024-03-12 Jan Żółkiewski - usługi ogólnobudowlane











                           ┌──────────────────────────── Uwaga ────────────────────────────┐
                           │                                                               │
                           │ Czy chcesz dokończyć poprzednie sprawdzanie faktury FV 1/2024 │
                           │                                                               │
                           │                       [ Tak ]   [ Nie ]                       │
                           └───────────────────────────────────────────────────────────────┘
















 F1 Pomoc   Ctrl-1/F2 Sprawdź fakturę   Tab Zakup   F3 Dokumenty   Esc Koniec
)");


std::string Lines(std::initializer_list<std::string_view> lines, std::string_view end) {
  std::string text;
  for (std::string_view line : lines) text.append(line).append(end);
  return text;
}

// ---------------------------------------------------------------------------

TEST_F(TerminalSessionTest, AnUnknownTerminalTypeIsNamedAndKorpusEndsWithTwo) {
  Launch({"env", "TERM=nosuchterminal", KORPUS_PROGRAM, "--db", "firma.db", "--demo"});
  EXPECT_EQ(WaitForExit(), 2);
  WaitForHistory("korpus: the terminal type 'nosuchterminal' is unknown; --script runs the program without a terminal");
}

TEST_F(TerminalSessionTest, WithoutATerminalTypeKorpusSaysSoAndEndsWithTwo) {
  Launch({"env", "-u", "TERM", KORPUS_PROGRAM, "--db", "firma.db", "--demo"});
  EXPECT_EQ(WaitForExit(), 2);
  WaitForHistory("korpus: the terminal type '' is unknown; --script runs the program without a terminal");
}

// The output not a terminal: the commands are read from the terminal as a script.
TEST_F(TerminalSessionTest, WithItsOutputRedirectedKorpusReadsAScriptFromTheTerminal) {
  Launch({"sh", "-c", "exec \"$0\" --db firma.db --demo > out.txt", KORPUS_PROGRAM});
  Type("answer tick\rregister purchase\rquit\r");
  EXPECT_EQ(WaitForExit(), 0);
  const std::string out = ReadBytes(dir_ / "out.txt");
  EXPECT_NE(out.find("answer tick\nplugin load: result 0"), std::string::npos) << out;
  EXPECT_TRUE(out.ends_with("register purchase: row 1 of 2, FZ 101/2024\nplugin unload: result 0\n")) << out;
}

// A key that a field refuses rings the terminal's bell.
TEST_F(TerminalSessionTest, AKeyThatAFieldRefusesRingsTheBell) {
  StartPastTheNotice();
  OpenTheCheck();
  Type("TSM-48\r");
  WaitFor("TSM-48··············  5.000");
  const auto bell = [this] { return Tmux({"display-message", "-p", "-t", "korpus", "#{window_bell_flag}"}).out; };
  EXPECT_EQ(bell(), "0\n");
  Type("x");
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (bell() != "1\n" && std::chrono::steady_clock::now() < deadline) std::this_thread::sleep_for(20ms);
  EXPECT_EQ(bell(), "1\n");
  EXPECT_NE(Screen().find("TSM-48··············  5.000"), std::string::npos) << "the quantity stays as it was";
  CloseTheCheck();
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, AWholeCheckAtTheTerminal) {
  Start();
  EXPECT_EQ(WaitFor("Nie pokazuj więcej"), kNoticeOverSalesRegister);
  EXPECT_EQ(CloseTheNoticeForGood(), kSalesRegister);

  Keys({"Tab"});
  const std::string purchase = WaitFor("Zakup - Faktury krajowe (VAT)");
  EXPECT_NE(purchase.find("   1.    FZ 101/2024          2024-02-27 Hydro-Łódź Sp. j.\n"), std::string::npos) << purchase;
  Keys({"Tab"});
  WaitFor("Sprzedaż - Faktury krajowe (VAT)");

  // Ctrl-1 on FV 1/2024; the symbol, then the quantity that it offers.
  OpenTheCheck();
  Type("TSM-48\r");
  WaitFor("TSM-48··············  5.000·······");
  Type("5\r");
  WaitFor("TSM-48          │5.00          │5.00          │        OK");
  // A scanner types a package code and Enter in one burst: the goods and
  // their twelve pieces are offered at once.
  Type("ZGRZ-ZAR-E27\r");
  EXPECT_EQ(WaitFor("ZAR-E27-10W·········  12.000······"), kMidCheck);
  Keys({"Enter"});
  WaitFor("ZAR-E27-10W     │12.00         │24.00         │      mało");
  // Polish letters typed in UTF-8 reach the check as the host's text.
  Type("ŻÓŁW-1\r");
  WaitFor("ŻÓŁW-1··············  1.000·······");
  Keys({"Enter"});
  WaitUntilGone("ŻÓŁW-1··");

  Keys({"F4"});
  WaitFor("KOL-8X50        │2.00          │6.00          │      mało");
  Keys({"Tab", "Tab", "End"});
  EXPECT_EQ(WaitFor("14. Żarówka LED E2"), kListScrolledToItsEnd);

  Keys({"F5"});
  EXPECT_EQ(WaitFor("Podsumowanie"), kSummaryOverTheList);
  Keys({"Enter"});
  const std::string saved = WaitFor("Dokument został zapisany");
  EXPECT_NE(saved.find("┌───────── Uwaga ──────────┐"), std::string::npos) << saved;
  EXPECT_NE(saved.find("│          [ OK ]          │"), std::string::npos) << saved;
  Keys({"Enter"});
  WaitUntilGone("Dokument został zapisany");
  Keys({"Escape"});
  EXPECT_EQ(WaitUntilGone("╔"), SalesRegisterMarked("RW"));
  EXPECT_EQ(Quit(), 0);
  WaitForHistory("plugin load: result 0, description \" Zainstalowano wtyczkę: PRUFACJA\"\n"
                 "plugin unload: result 0\n");

  EXPECT_EQ(ReadBytes(dir_ / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=1\r\n");
  EXPECT_EQ(codepage::MazoviaToUtf8(ReadBytes(dir_ / "Niezgodnosci.ini")),
            Lines({"[Nr_faktury]",
                   "Nr fakt.=FV 1/2024",
                   "Ilosc=14",
                   "r00=Kołek rozporowy 8x50 mm,KOL-8X50,2000,6000",
                   "r01=Farba emulsyjna biała 10 l,FRB-10L,0,3000",
                   "r02=Usługa transportowa,,0,1000",
                   "r03=Przewód OMY 2x1,5 mm (metr),OMY-2X15,2000,2500",
                   "r04=Pianka montażowa 750 ml,PNK-750,4000,4000",
                   "r05=Silikon sanitarny biały 280 ml,SIL-280-BIA,12000,12000",
                   "r06=Śruba sześciokątna ocynkowana M8x40,SRB-8X40,10000,10000",
                   "r07=Taśma malarska 48 mm,TSM-48,5000,5000",
                   "r08=Nowy towar,ARCH-001,1000,0",
                   "r09=Nowy towar,XYZ-999,1000,0",
                   "r10=Nowy towar,ŻÓŁW-1,1000,0",
                   "r11=Wkręt do drewna 4x40 mm,WKR-4X40,7000,5000",
                   "r12=Rękawice robocze rozmiar L,RKW-L,3000,0",
                   "r13=Żarówka LED E27 10 W,ZAR-E27-10W,36000,24000"},
                  "\r\n"));

  // The report went to the host's documents and left no file behind.
  EXPECT_FALSE(fs::exists(dir_ / "Niezgodnosci.txt"));
  const auto documents = StoredDocuments(dir_ / "firma.db");
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_EQ(documents[0].first, "Niezgodnosci.txt");
  const std::string rule = std::string(1, '|') + std::string(31, '-') + "|" + std::string(17, '-') + "|" +
                           std::string(15, '-') + "|" + std::string(15, '-') + "|" + std::string(13, '-') + "|";
  EXPECT_EQ(documents[0].second,
            "." + std::string(95, '_') + ".\r\n" +
                testing_support::To1250("|                               |                 |               |               |"
                            "       Ilość |\r\n") +
                codepage::Utf8ToMazovia(Lines(
                    {"| Nazwa towaru:                 |     Symbol      |   Brakuje     |   Nadmiar     | na fakturze |",
                     rule,
                     "| Kołek rozporowy 8x50 mm       |        KOL-8X50 |         4.000 |               |       6.000 |",
                     "| Farba emulsyjna biała 10 l    |         FRB-10L |         3.000 |               |       3.000 |",
                     "| Usługa transportowa           |                 |         1.000 |               |       1.000 |",
                     "| Przewód OMY 2x1,5 mm (metr)   |        OMY-2X15 |         0.500 |               |       2.500 |",
                     "| Nowy towar                    |        ARCH-001 |               |         1.000 |       0.000 |",
                     "| Nowy towar                    |         XYZ-999 |               |         1.000 |       0.000 |",
                     "| Nowy towar                    |          ŻÓŁW-1 |               |         1.000 |       0.000 |",
                     "| Wkręt do drewna 4x40 mm       |        WKR-4X40 |               |         2.000 |       5.000 |",
                     "| Rękawice robocze rozmiar L    |           RKW-L |               |         3.000 |       0.000 |",
                     "| Żarówka LED E27 10 W          |     ZAR-E27-10W |               |        12.000 |      24.000 |"},
                    "\r\n")) +
                "|" + std::string(31, '_') + "|" + std::string(17, '_') + "|" + std::string(15, '_') + "|" +
                std::string(15, '_') + "|" + std::string(13, '_') + "|");
}

TEST_F(TerminalSessionTest, RemarksAreInColourAndTheCurrentRowIsHighlighted) {
  StartPastTheNotice();
  const std::string registers = ScreenWithColours();
  EXPECT_NE(RowWith(registers, "1.    FV 1/2024").find("\x1b[46m"), std::string::npos) << RowWith(registers, "FV 1/");
  EXPECT_EQ(RowWith(registers, "2.    FV 2/2024").find("\x1b[46m"), std::string::npos) << RowWith(registers, "FV 2/");

  OpenTheCheck();
  Keys({"F4"});
  WaitFor("KOL-8X50        │2.00");
  const std::string list = ScreenWithColours();
  EXPECT_NE(CodesBefore(RowWith(list, "PNK-750"), "  OK").find("\x1b[32m"), std::string::npos);
  EXPECT_NE(CodesBefore(RowWith(list, "ARCH-001"), "DUŻO").find("\x1b[31m"), std::string::npos);
  EXPECT_NE(CodesBefore(RowWith(list, "KOL-8X50"), "mało").find("\x1b[33m"), std::string::npos);
  EXPECT_NE(CodesBefore(RowWith(list, "FRB-10L"), "niepruf.").find("\x1b[2m"), std::string::npos);
  // The check box's hot letter, and the button's key name.
  EXPECT_NE(RowWith(list, "względniaj").find("\x1b[33mU"), std::string::npos);
  EXPECT_NE(RowWith(list, "Zapisz raport").find("\x1b[33mF5"), std::string::npos);
  CloseTheCheck();
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, F2AndAltOneStartTheCheckWhereATerminalCannotSendCtrlOne) {
  StartPastTheNotice();
  Keys({"Tab"});
  WaitFor("Zakup - Faktury krajowe (VAT)");
  const std::string first = OpenTheCheck("F2");
  EXPECT_NE(first.find("│USZ-34          │0.00          │50.00"), std::string::npos) << first;  // FZ 101/2024

  // Alt and a hot letter: the quantities option goes off and the quantity
  // with its label is drawn disabled.
  Keys({"M-u"});
  WaitFor("[ ] Uwzględniaj ilości");
  const std::string unticked = ScreenWithColours();
  EXPECT_NE(RowWith(unticked, "ymbol towaru:").find("\x1b[2mIlość"), std::string::npos);
  EXPECT_NE(RowWith(unticked, "····").find("\x1b[2m0.000"), std::string::npos);
  CloseTheCheck();

  Keys({"Down"});
  const std::string second = OpenTheCheck("M-1");
  EXPECT_NE(second.find("│NKR-M8          │0.00          │1000.00"), std::string::npos) << second;  // FZ 102/2024
  CloseTheCheck();
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, ATerminalTooSmallForTheDialogSaysSoAndAResizeRedraws) {
  StartPastTheNotice();
  // One column short: the check is refused before it starts.
  Tmux({"resize-window", "-t", "korpus", "-x", "81", "-y", "21"});
  WaitFor("Esc Koniec");
  Keys({"F2"});
  const std::string refused = WaitFor("zacznij sprawdzanie");
  EXPECT_NE(refused.find("jest 81 x 21, potrzeba co najmniej 82 x 21."), std::string::npos) << refused;
  Keys({"Enter"});
  EXPECT_EQ(WaitUntilGone("zacznij sprawdzanie").find("╔"), std::string::npos);
  Tmux({"resize-window", "-t", "korpus", "-x", "82", "-y", "21"});
  WaitFor(std::string(25, ' ') + "Sprzedaż");  // the title centred anew
  OpenTheCheck("F2");
  Tmux({"resize-window", "-t", "korpus", "-x", "70", "-y", "20"});
  EXPECT_EQ(WaitFor("za małe"), kTerminalTooSmall);
  // Keys are held back while the dialog cannot be seen.
  Type("TSM-48\r5\r");
  Tmux({"resize-window", "-t", "korpus", "-x", "100", "-y", "30"});
  const std::string back = WaitFor("╔");
  EXPECT_NE(back.find("\n         ╔═══"), std::string::npos) << back;  // centred on 100 columns
  EXPECT_NE(back.find("TSM-48          │0.00          │5.00          │  niepruf."), std::string::npos) << back;
  CloseTheCheck();
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, TheBindingErrorBoxOffersAbortRetryAndIgnore) {
  // The box names the plug-in's file: one in the test's folder, whose
  // random name is written as XXXXXX below.
  const fs::path plugin = dir_ / "prufacja.so";
  fs::copy_file(KORPUS_PLUGIN, plugin);
  Start({"--without-entry", "52023", "--plugin", plugin.string()});
  std::string screen = WaitFor("Przerwij");
  const std::string folder = dir_.filename().string();
  screen.replace(screen.find(folder), folder.size(), "korpus-terminal-XXXXXX");
  EXPECT_EQ(screen, kBindingBoxOverTheRegister);
  Keys({"Enter"});
  WaitUntilGone("Przerwij");
  EXPECT_EQ(Quit(), 0);
  WaitForHistory("plugin load: abandoned: host entry 52023 is missing");
}

TEST_F(TerminalSessionTest, AClosedTerminalSavesTheCheckAndTheNextStartOffersToResumeIt) {
  StartPastTheNotice();
  OpenTheCheck();
  Type("TSM-48\r");
  WaitFor("TSM-48··············  5.000");
  Type("3\r");
  WaitFor("TSM-48          │3.00");
  // The window goes away with the check open, as when a terminal is closed.
  Tmux({"kill-window", "-t", "korpus"});
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  std::string progress;
  while (progress.find("r09=") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(20ms);
    progress = codepage::MazoviaToUtf8(ReadBytes(dir_ / "Niezgodnosci.ini"));
  }
  EXPECT_EQ(progress, Lines({"[Nr_faktury]",
                             "Nr fakt.=FV 1/2024",
                             "Ilosc=10",
                             "r00=Żarówka LED E27 10 W,ZAR-E27-10W,0,24000",
                             "r01=Silikon sanitarny biały 280 ml,SIL-280-BIA,0,12000",
                             "r02=Śruba sześciokątna ocynkowana M8x40,SRB-8X40,0,10000",
                             "r03=Kołek rozporowy 8x50 mm,KOL-8X50,0,6000",
                             "r04=Wkręt do drewna 4x40 mm,WKR-4X40,0,5000",
                             "r05=Pianka montażowa 750 ml,PNK-750,0,4000",
                             "r06=Farba emulsyjna biała 10 l,FRB-10L,0,3000",
                             "r07=Przewód OMY 2x1,5 mm (metr),OMY-2X15,0,2500",
                             "r08=Taśma malarska 48 mm,TSM-48,3000,5000",
                             "r09=Usługa transportowa,,0,1000"},
                            "\r\n"));

  StartPastTheNotice();
  Keys({"C-1"});
  EXPECT_EQ(WaitFor("[ Tak ]"), kResumeQuestion);
  Keys({"t"});
  const std::string resumed = WaitFor("╔");
  EXPECT_NE(resumed.find("9. Taśma malarska│TSM-48          │3.00          │5.00          │      mało"),
            std::string::npos)
      << resumed;
  CloseTheCheck();
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, TheReportOfACheckIsReadInTheDocumentsView) {
  StartPastTheNotice();
  OpenTheCheck("F2");
  Keys({"F5"});
  WaitFor("Podsumowanie");
  Keys({"Enter"});
  WaitFor("Dokument został zapisany");
  Keys({"Enter"});
  WaitUntilGone("Dokument został zapisany");
  CloseTheCheck();

  Keys({"F3"});
  const std::string list = WaitFor("Esc Powrót");
  EXPECT_NE(list.find("raport   FV 1/2024 (sprzedaż)"), std::string::npos) << list;
  Keys({"Enter"});
  // The header's Windows-1250 and the positions' Mazovia, both as UTF-8.
  const std::string report = WaitFor("Esc Lista dokumentów");
  EXPECT_NE(report.find("|       Ilość |\n"), std::string::npos) << report;
  EXPECT_NE(report.find("| Śruba sześciokątna ocynkowana |"), std::string::npos) << report;
  Keys({"F1"});
  EXPECT_NE(WaitFor("Pomoc").find("pokaż dokument"), std::string::npos);
  Keys({"Enter"});
  WaitUntilGone("pokaż dokument");
  Keys({"Escape"});
  WaitFor("Esc Powrót");
  Keys({"Escape"});
  EXPECT_EQ(WaitFor("Esc Koniec"), SalesRegisterMarked("RW"));
  EXPECT_EQ(Quit(), 0);
}

// A plain terminal: a locale that is not UTF-8 (korpus takes C.UTF-8), a
// console that is sent no key-report request, one without colours; and a
// terminal too low for the register.
TEST_F(TerminalSessionTest, APlainTerminalShowsTheRegisterInItsOwnWay) {
  Launch({"env", "LC_ALL=C", "TERM=linux", KORPUS_PROGRAM, "--db", "firma.db", "--demo", "--no-load"});
  EXPECT_EQ(WaitFor("Esc Koniec"), kSalesRegister);
  Tmux({"resize-window", "-t", "korpus", "-x", "120", "-y", "7"});
  EXPECT_NE(WaitFor("za małe").find("jest 120 × 7, potrzeba co najmniej 80 × 8."), std::string::npos);
  Tmux({"resize-window", "-t", "korpus", "-x", "120", "-y", "40"});
  EXPECT_EQ(WaitFor("Esc Koniec"), kSalesRegister);
  EXPECT_EQ(Quit(), 0);
  EXPECT_EQ(History().find("plugin"), std::string::npos) << "nothing was loaded";

  Launch({"env", "TERM=vt100", KORPUS_PROGRAM, "--db", "firma.db", "--no-load"});
  WaitFor("Esc Koniec");
  const std::string current = RowWith(ScreenWithColours(), "1.    FV 1/2024");
  // Reverse video (tmux writes it "7" or "0;7"), not the cyan of a colour terminal.
  EXPECT_TRUE(current.find("\x1b[7m") != std::string::npos || current.find(";7m") != std::string::npos) << current;
  EXPECT_EQ(current.find("\x1b[46m"), std::string::npos) << current;
  EXPECT_EQ(Quit(), 0);
}

TEST_F(TerminalSessionTest, RunShStartsKorpusInAFolderOfItsOwnWithTheDemoData) {
  const fs::path work = dir_ / "run";
  Launch({"env", "KORPUS_PROGRAM=" KORPUS_PROGRAM, "KORPUS_RUN_DIR=" + work.string(), "bash", RUN_SCRIPT});
  WaitFor("Nie pokazuj więcej");
  EXPECT_EQ(CloseTheNoticeForGood(), kSalesRegister);
  EXPECT_EQ(Quit(), 0);
  EXPECT_TRUE(fs::exists(work / "demo.db"));
  EXPECT_EQ(ReadBytes(work / "PrufPytanie.ini"), "[Prufacja]\r\nPytaj=1\r\n");
  EXPECT_EQ(ReadBytes(work / "data.txt"), Lines({"SRB-8X40;10", "WKR-4X40;7", "KOL-8X50;2", "OMY-2X15;2",
                                                "ZGRZ-ZAR-E27;2", "KART-SIL-280;2", "5901234567893;4", "RKW-L;3",
                                                "ARCH-001;1", "XYZ-999;1"},
                                               "\r\n"));

  // The next start goes on with the same folder: no notice any more.
  Launch({"env", "KORPUS_PROGRAM=" KORPUS_PROGRAM, "KORPUS_RUN_DIR=" + work.string(), "bash", RUN_SCRIPT});
  EXPECT_EQ(WaitFor("Esc Koniec"), kSalesRegister);
  EXPECT_EQ(Quit(), 0);
}

}  // namespace
