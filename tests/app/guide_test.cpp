// The user's guide, docs/instrukcja.md, shows only what the program really
// prints. Its pictures are fenced blocks, each right after a marker line:
//
//   <!-- ekran [N]: SCRIPT [ARG…] -->           the N-th screen (default 1)
//   <!-- okno [N] "HEADER": SCRIPT [ARG…] -->   the N-th box printed as
//                                              "box HEADER", e.g. "notice Uwaga"
//   <!-- plik: PATH -->                         the file PATH, byte for byte
//   <!-- komunikaty: SCRIPT [ARG…] -->          no block: a run whose output
//                                              the quoted messages may come from
//
// SCRIPT (under app/examples) is run by korpus in a fresh folder as
// `korpus --db DB --script SCRIPT ARG…`. DB is demo.db, made by the `--demo`
// among the ARGs; the ARG `+import` instead makes firma.db the way the
// guide's CSV example does (korpus makes the empty schema, sqlite3 runs
// docs/przyklady/import.sql) and is not passed on.
//
// Rules of the comparison:
// - a screen: its rows without the blank ones (a 30-row screen holds mostly
//   blank rows; the picture leaves every one of them out and must hold no
//   blank line itself), each row exactly as printed, except that a date and
//   time of day ("2026-12-09 18:52:48") stands for any such;
// - a box: its text lines without the "| " in front, exactly, except that
//   empty lines at the end may be left out;
// - a file: every byte.
// Every ```text block of the guide must have a marker, so no picture goes
// unchecked; every guide script must be used.
//
// A text in double quotes in the running text (outside fences and `code`)
// is a message of the program: it must occur in the output of one of the
// guide's runs, or, for what only the terminal draws (its box buttons, the
// install notice's tick box), in the terminal front end's sources.
//
// The CSV example is also run on its own, and the database it fills and the
// check of an imported invoice are compared with values written out by hand
// from the two CSV files.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;

const fs::path kSource = PRUFACJA_SOURCE_DIR;
const fs::path kGuide = kSource / "docs" / "instrukcja.md";
const fs::path kExamples = kSource / "docs" / "przyklady";
constexpr const char* kSqlite3 = "/usr/bin/sqlite3";

using testing_support::Lines;
using testing_support::ReadBytes;

std::string Joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

bool Blank(std::string_view row) { return row.find_first_not_of(' ') == std::string_view::npos; }

// A scratch folder of this test's own.
class WorkingDirectory : public testing_support::ScratchDirectory {
 public:
  WorkingDirectory() : ScratchDirectory("prufacja-guide") {}
};

// ---------------------------------------------------------------------------
// The CSV example, as the guide tells the user to run it

// The two commands the guide shows for it, with the database named firma.db.
constexpr std::string_view kMakeEmptyCommand = "korpus --db firma.db --no-load --script /dev/null";
constexpr std::string_view kImportCommand = "sqlite3 firma.db < import.sql";

// Makes `database` in `dir` as those commands do, sqlite3 running in
// docs/przyklady; "" on success, else what went wrong.
std::string MakeImportedDatabase(const fs::path& dir, const std::string& database) {
  if (access(kSqlite3, X_OK) != 0) {
    return std::string(kSqlite3) +
           " is missing: the guide's CSV example needs the sqlite3 shell; scripts/install-deps.sh installs it "
           "(Debian package sqlite3)";
  }
  const Outcome empty =
      testing_support::RunProgram(dir, {KORPUS_PROGRAM, "--db", database, "--no-load", "--script", "/dev/null"});
  // The one line korpus writes for a database it had to make.
  const std::string made = "korpus: " + database + " did not exist: a new, empty database is made there\n";
  if (empty.exit_code != 0 || empty.err != made) {
    return "korpus did not make the empty database: exit " + std::to_string(empty.exit_code) + "\n" + empty.err;
  }
  const Outcome import = testing_support::RunProgram(
      dir, {"/bin/sh", "-c", std::string("cd \"$1\" && exec ") + kSqlite3 + " \"$2\" < import.sql", "sh",
            kExamples.string(), (dir / database).string()});
  if (import.exit_code != 0 || !import.err.empty() || !import.out.empty()) {
    return "sqlite3 < import.sql: exit " + std::to_string(import.exit_code) + "\n" + import.out + import.err;
  }
  return "";
}

// A stored document's time of saving differs from run to run.
std::string AnyClock(const std::string& text) {
  static const std::regex clock(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
  return std::regex_replace(text, clock, "RRRR-MM-DD gg:mm:ss");
}

// ---------------------------------------------------------------------------
// Runs of the guide's scripts

struct Run {
  std::string setup_failure;
  Outcome outcome;
};

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

Run RunScript(const std::string& script, std::vector<std::string> args) {
  Run run;
  WorkingDirectory dir;
  if (dir.path().empty()) {
    run.setup_failure = "no scratch folder";
    return run;
  }
  const auto import = std::find(args.begin(), args.end(), "+import");
  std::string database = "demo.db";
  if (import != args.end()) {
    args.erase(import);
    database = "firma.db";
    run.setup_failure = MakeImportedDatabase(dir.path(), database);
    if (!run.setup_failure.empty()) return run;
  }
  args.insert(args.begin(), {KORPUS_PROGRAM, "--db", database, "--script", (kSource / script).string()});
  run.outcome = testing_support::RunProgram(dir.path(), std::move(args), 120);
  return run;
}

// Each distinct command line runs once; markers and the message check share it.
const Run& RunOf(const std::string& command) {
  static std::map<std::string, Run> runs;
  const auto found = runs.find(command);
  if (found != runs.end()) return found->second;
  std::vector<std::string> words = Words(command);
  const std::string script = words.empty() ? "" : words.front();
  if (!words.empty()) words.erase(words.begin());
  return runs.emplace(command, RunScript(script, words)).first->second;
}

// The screens a run printed, each as its rows.
std::vector<std::vector<std::string>> Screens(const std::string& out) {
  std::vector<std::vector<std::string>> screens;
  std::optional<std::vector<std::string>> screen;
  for (const std::string& line : Lines(out)) {
    if (line.starts_with("--- screen ")) {
      screen.emplace();
    } else if (line == "--- end of screen ---" && screen) {
      screens.push_back(*screen);
      screen.reset();
    } else if (screen) {
      screen->push_back(line);
    }
  }
  return screens;
}

// The text lines of every box printed with this header ("notice Uwaga").
std::vector<std::vector<std::string>> Boxes(const std::string& out, const std::string& header) {
  std::vector<std::vector<std::string>> boxes;
  std::optional<std::vector<std::string>> box;
  for (const std::string& line : Lines(out)) {
    if (box && line.starts_with("|")) {
      box->push_back(line.size() > 2 ? line.substr(2) : "");
      continue;
    }
    if (box) {
      boxes.push_back(*box);
      box.reset();
    }
    if (line == "box " + header) box.emplace();
  }
  if (box) boxes.push_back(*box);
  return boxes;
}

// ---------------------------------------------------------------------------
// The guide

struct Marker {
  int line = 0;        // 1-based, in the guide
  std::string kind;    // ekran, okno, plik
  int index = 1;       // the N-th screen or box
  std::string header;  // okno: the box's header
  std::string target;  // the script with its arguments, or the file
  std::string block;   // the fenced block after it, without the fences
};

struct Guide {
  std::vector<Marker> markers;
  std::vector<std::string> problems;  // malformed markers, unchecked pictures, unpaired quotes
  std::vector<std::pair<int, std::string>> quotes;
  std::vector<std::string> sh_blocks;
};

// "ekran 2: app/examples/x.script --demo" and the like; false when malformed.
bool ParseMarker(const std::string& inner, Marker& marker) {
  const std::size_t colon = inner.find(": ");
  if (colon == std::string::npos) return false;
  std::string head = inner.substr(0, colon);
  marker.target = inner.substr(colon + 2);
  if (marker.target.empty()) return false;
  const std::size_t quote = head.find('"');
  if (quote != std::string::npos) {
    if (head.back() != '"' || head.size() - quote < 3) return false;
    marker.header = head.substr(quote + 1, head.size() - quote - 2);
    head = head.substr(0, quote);
  }
  const std::vector<std::string> words = Words(head);
  if (words.empty() || words.size() > 2) return false;
  marker.kind = words[0];
  if (words.size() == 2) {
    if (words[1].find_first_not_of("0123456789") != std::string::npos) return false;
    marker.index = std::stoi(words[1]);
    if (marker.index < 1) return false;
  }
  if (marker.kind == "ekran") return marker.header.empty();
  if (marker.kind == "okno") return !marker.header.empty();
  if (marker.kind == "plik" || marker.kind == "komunikaty") return marker.header.empty() && words.size() == 1;
  return false;
}

// The running text's double-quoted texts: `code` spans are left out first.
void CollectQuotes(int number, const std::string& line, Guide& guide) {
  std::string text;
  bool in_code = false;
  for (const char c : line) {
    if (c == '`') {
      in_code = !in_code;
    } else if (!in_code) {
      text += c;
    }
  }
  std::size_t from = 0;
  while (true) {
    const std::size_t open = text.find('"', from);
    if (open == std::string::npos) return;
    const std::size_t close = text.find('"', open + 1);
    if (close == std::string::npos || close == open + 1) {
      guide.problems.push_back("line " + std::to_string(number) + ": a quote without its end, or an empty one");
      return;
    }
    guide.quotes.emplace_back(number, text.substr(open + 1, close - open - 1));
    from = close + 1;
  }
}

Guide ReadGuide() {
  Guide guide;
  const std::vector<std::string> lines = Lines(ReadBytes(kGuide));
  std::optional<Marker> pending;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const int number = static_cast<int>(i) + 1;
    const std::string& line = lines[i];
    if (line.starts_with("<!--")) {
      if (!line.ends_with("-->") || line.size() < 9) {
        guide.problems.push_back("line " + std::to_string(number) + ": a comment must be one line");
        continue;
      }
      Marker marker;
      marker.line = number;
      if (!ParseMarker(line.substr(5, line.size() - 9), marker)) {
        guide.problems.push_back("line " + std::to_string(number) + ": not a marker: " + line);
        continue;
      }
      if (marker.kind == "komunikaty") {
        guide.markers.push_back(marker);
      } else {
        pending = marker;
      }
      continue;
    }
    if (line.starts_with("```")) {
      const std::string language = line.substr(3);
      std::string block;
      std::size_t end = i + 1;
      while (end < lines.size() && !lines[end].starts_with("```")) block += lines[end++] + "\n";
      if (end == lines.size()) {
        guide.problems.push_back("line " + std::to_string(number) + ": a fence without its end");
        break;
      }
      if (pending && pending->line == number - 1) {
        pending->block = block;
        guide.markers.push_back(*pending);
      } else if (language == "text") {
        guide.problems.push_back("line " + std::to_string(number) + ": a ```text block without a marker");
      }
      if (language == "sh") guide.sh_blocks.push_back(block);
      pending.reset();
      i = end;
      continue;
    }
    if (pending) {
      guide.problems.push_back("line " + std::to_string(pending->line) + ": the marker is not followed by a fence");
      pending.reset();
    }
    CollectQuotes(number, line, guide);
  }
  if (pending) guide.problems.push_back("line " + std::to_string(pending->line) + ": a marker at the end");
  return guide;
}

const Guide& TheGuide() {
  static const Guide guide = ReadGuide();
  return guide;
}

std::string Where(const Marker& marker) {
  return "docs/instrukcja.md:" + std::to_string(marker.line) + " (" + marker.kind + " " + marker.target + ")";
}

// What korpus printed for the marker's script; adds a failure when the run
// itself went wrong.
const Outcome* CheckedRun(const Marker& marker) {
  const Run& run = RunOf(marker.target);
  EXPECT_EQ(run.setup_failure, "") << Where(marker);
  if (!run.setup_failure.empty()) return nullptr;
  EXPECT_EQ(run.outcome.exit_code, 0) << Where(marker) << "\n" << run.outcome.err;
  EXPECT_EQ(run.outcome.err, "") << Where(marker);
  return &run.outcome;
}

TEST(GuideTest, IsWellFormedAndEveryPictureHasAMarker) {
  const Guide& guide = TheGuide();
  for (const std::string& problem : guide.problems) ADD_FAILURE() << "docs/instrukcja.md " << problem;
  EXPECT_GE(guide.markers.size(), 10u);
  EXPECT_GE(guide.quotes.size(), 10u);
}

using Pieces = std::vector<std::vector<std::string>>;

// Each marker of `kind` whose script ran, with the marker.index-th of the
// pieces that `cut` takes from the run's output (named `pieces` when the
// run printed fewer); how many markers there were.
int ForEachShown(std::string_view kind, std::string_view pieces,
                 const std::function<Pieces(const Marker&, const std::string& out)>& cut,
                 const std::function<void(const Marker&, std::vector<std::string>)>& look) {
  int checked = 0;
  for (const Marker& marker : TheGuide().markers) {
    if (marker.kind != kind) continue;
    ++checked;
    const Outcome* run = CheckedRun(marker);
    if (run == nullptr) continue;
    const Pieces all = cut(marker, run->out);
    if (all.size() < static_cast<std::size_t>(marker.index)) {
      ADD_FAILURE() << Where(marker) << ": the run printed " << all.size() << " " << pieces << "\n" << run->out;
      continue;
    }
    look(marker, all[static_cast<std::size_t>(marker.index - 1)]);
  }
  return checked;
}

TEST(GuideTest, EveryScreenIsWhatTheScriptShows) {
  const int checked = ForEachShown(
      "ekran", "screens", [](const Marker&, const std::string& out) { return Screens(out); },
      [](const Marker& marker, std::vector<std::string> rows) {
        std::erase_if(rows, Blank);
        EXPECT_EQ(AnyClock(marker.block), AnyClock(Joined(rows))) << Where(marker);
      });
  EXPECT_GT(checked, 0);
}

TEST(GuideTest, EveryBoxIsWhatTheScriptShows) {
  const int checked = ForEachShown(
      "okno", "such boxes", [](const Marker& marker, const std::string& out) { return Boxes(out, marker.header); },
      [](const Marker& marker, std::vector<std::string> text) {
        const std::vector<std::string> shown = Lines(marker.block);
        // Only trailing empty lines may be left out.
        while (text.size() > shown.size() && text.back().empty()) text.pop_back();
        EXPECT_EQ(marker.block, Joined(text)) << Where(marker);
      });
  EXPECT_GT(checked, 0);
}

TEST(GuideTest, EveryExampleFileIsShownAsItIs) {
  std::vector<std::string> shown;
  for (const Marker& marker : TheGuide().markers) {
    if (marker.kind != "plik") continue;
    shown.push_back(fs::path(marker.target).lexically_normal().string());
    EXPECT_EQ(marker.block, ReadBytes(kSource / marker.target)) << Where(marker);
  }
  for (const auto& entry : fs::directory_iterator(kExamples)) {
    const std::string path = fs::relative(entry.path(), kSource).string();
    EXPECT_NE(std::find(shown.begin(), shown.end(), path), shown.end()) << path << " is not shown in the guide";
  }
}

TEST(GuideTest, EveryGuideScriptIsUsed) {
  std::vector<std::string> used;
  for (const Marker& marker : TheGuide().markers) {
    if (marker.kind != "plik") used.push_back(Words(marker.target).front());
  }
  int scripts = 0;
  for (const auto& entry : fs::directory_iterator(kSource / "app" / "examples")) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("instrukcja-")) continue;
    ++scripts;
    const std::string path = "app/examples/" + name;
    EXPECT_NE(std::find(used.begin(), used.end(), path), used.end()) << path << " is used by no marker";
  }
  EXPECT_GT(scripts, 0);
}

TEST(GuideTest, EveryQuotedMessageIsTheProgramsOwn) {
  std::string printed;
  for (const Marker& marker : TheGuide().markers) {
    if (marker.kind == "plik") continue;
    if (const Outcome* run = CheckedRun(marker)) printed += run->out;
  }
  ASSERT_FALSE(printed.empty());
  std::string terminal;
  for (const auto& entry : fs::directory_iterator(kSource / "app" / "terminal")) {
    if (entry.path().extension() == ".cpp") terminal += ReadBytes(entry.path());
  }
  ASSERT_FALSE(terminal.empty());
  for (const auto& [line, quote] : TheGuide().quotes) {
    EXPECT_TRUE(printed.find(quote) != std::string::npos || terminal.find(quote) != std::string::npos)
        << "docs/instrukcja.md:" << line << ": \"" << quote << "\" is neither printed by a guide script "
        << "nor drawn by the terminal";
  }
}

// ---------------------------------------------------------------------------
// The CSV example on its own

std::vector<std::vector<std::string>> Query(const fs::path& database, const char* sql) {
  std::vector<std::vector<std::string>> rows;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << "cannot open " << database;
    sqlite3_close(db);
    return rows;
  }
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sqlite3_errmsg(db);
  } else {
    while (sqlite3_step(statement) == SQLITE_ROW) {
      std::vector<std::string> row;
      for (int column = 0; column < sqlite3_column_count(statement); ++column) {
        // The type first, so that an integer quantity cannot pass as text.
        const char* types[] = {"?", "int:", "real:", "text:", "blob:", "null"};
        const int type = sqlite3_column_type(statement, column);
        const unsigned char* value = sqlite3_column_text(statement, column);
        row.push_back(std::string(types[type]) + (value != nullptr ? reinterpret_cast<const char*>(value) : ""));
      }
      rows.push_back(row);
    }
  }
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

TEST(GuideCsvImportTest, TheGuideShowsTheCommandsTheTestRuns) {
  bool found = false;
  for (const std::string& block : TheGuide().sh_blocks) {
    const std::vector<std::string> lines = Lines(block);
    found = found || (std::find(lines.begin(), lines.end(), kMakeEmptyCommand) != lines.end() &&
                      std::find(lines.begin(), lines.end(), kImportCommand) != lines.end());
  }
  EXPECT_TRUE(found) << "a ```sh block of the guide holds the lines\n" << kMakeEmptyCommand << "\n" << kImportCommand;
}

TEST(GuideCsvImportTest, FillsTheSchemaWithTheInvoicesOfTheCsvFiles) {
  WorkingDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  ASSERT_EQ(MakeImportedDatabase(dir.path(), "firma.db"), "");
  const fs::path database = dir.path() / "firma.db";

  // faktury.csv, row by row; the register word becomes the schema's.
  const std::vector<std::vector<std::string>> invoices = {
      {"text:purchase", "text:FZ 7/2024", "text:2024-04-02", "text:Hurtownia Elektryczna Iskra Sp. z o.o."},
      {"text:sales", "text:FV 12/2024", "text:2024-04-03", "text:Piekarnia Źródełko s.c."},
      {"text:purchase", "text:FV 12/2024", "text:2024-04-05", "text:Hurtownia Farb Tęcza"},
  };
  EXPECT_EQ(Query(database, "SELECT register, number, issued, counterparty FROM invoices ORDER BY id"), invoices);

  // pozycje.csv: units with a point or a comma become whole thousandths;
  // the names keep their Polish letters (this file, like the CSV, is UTF-8);
  // the two invoices FV 12/2024 of the two registers get their own positions.
  const std::vector<std::vector<std::string>> positions = {
      {"text:FZ 7/2024", "int:1", "text:Gniazdo podwójne białe", "text:GN-2X-BIA", "int:25000"},
      {"text:FZ 7/2024", "int:2", "text:Przewód YDY 3x2,5 (metry)", "text:YDY-3X25", "int:12500"},
      {"text:FZ 7/2024", "int:3", "text:Łącznik świecznikowy", "text:LAC-SW", "int:4000"},
      {"text:FV 12/2024", "int:1", "text:Żarówka LED E14 5W", "text:ZAR-E14-5W", "int:10000"},
      {"text:FV 12/2024", "int:2", "text:Taśma izolacyjna czarna", "text:TSM-IZO-C", "int:750"},
      {"text:FV 12/2024", "int:1", "text:Farba elewacyjna biała 10 l", "text:FRB-EL-10", "int:2000"},
  };
  EXPECT_EQ(Query(database,
                  "SELECT i.number, p.line, p.name, p.symbol, p.quantity FROM invoice_positions AS p "
                  "JOIN invoices AS i ON i.id = p.invoice_id ORDER BY i.id, p.line"),
            positions);

  // korpus lists them, and the checks show the positions with their quantities.
  const Outcome run = testing_support::RunProgram(
      dir.path(),
      {KORPUS_PROGRAM, "--db", "firma.db", "--script", (kSource / "app/examples/instrukcja-import.script").string()},
      120);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  const std::vector<std::vector<std::string>> screens = Screens(run.out);
  ASSERT_EQ(screens.size(), 4u) << run.out;
  const auto shows = [](const std::vector<std::string>& screen, std::string_view row) {
    return std::any_of(screen.begin(), screen.end(),
                       [&](const std::string& line) { return line.find(row) != std::string::npos; });
  };
  EXPECT_TRUE(shows(screens[0], "   1.    FV 12/2024           2024-04-03 Piekarnia Źródełko s.c."))
      << Joined(screens[0]);
  EXPECT_TRUE(shows(screens[1], "   1.    FZ 7/2024            2024-04-02 Hurtownia Elektryczna Iskra Sp. z o.o."))
      << Joined(screens[1]);
  EXPECT_TRUE(shows(screens[1], "   2.    FV 12/2024           2024-04-05 Hurtownia Farb Tęcza")) << Joined(screens[1]);
  for (const std::string_view row : {
           "   1. Gniazdo podwój│GN-2X-BIA       │0.00          │25.00         │  niepruf.",
           "   2. Przewód YDY 3x│YDY-3X25        │0.00          │12.50         │  niepruf.",
           "   3. Łącznik świecz│LAC-SW          │0.00          │4.00          │  niepruf.",
       }) {
    EXPECT_TRUE(shows(screens[2], row)) << row << "\n" << Joined(screens[2]);
  }
  for (const std::string_view row : {
           "   1. Żarówka LED E1│ZAR-E14-5W      │0.00          │10.00         │  niepruf.",
           "   2. Taśma izolacyj│TSM-IZO-C       │0.00          │0.75          │  niepruf.",
       }) {
    EXPECT_TRUE(shows(screens[3], row)) << row << "\n" << Joined(screens[3]);
  }
  EXPECT_FALSE(shows(screens[3], "FRB-EL-10")) << "a purchase position in the sales invoice";
}

}  // namespace
