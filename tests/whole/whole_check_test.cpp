// Whole checks end to end: each scenario of tests/checks is a script that
// korpus runs in a fresh working directory on a database made from
// tests/checks/firma.sql. What it prints, the reports the document store
// keeps, Niezgodnosci.ini and a report file left behind are compared byte
// for byte with the scenario's expected files (tests/checks/README.md).
// Also the README's quick start: its script, its output and its data.txt.
//
// With PRUFACJA_WINDOWS_KORPUS (korpus.exe) and PRUFACJA_WINE_PREFIX set,
// the scenarios run the Windows build under Wine against the same expected
// files; only the console's CR LF line ends are read as LF.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "standin/tables/store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;

const fs::path kSource = PRUFACJA_SOURCE_DIR;
const fs::path kChecks = kSource / "tests" / "checks";

// A user who ticked "do not show again": scripts start in the register.
constexpr std::string_view kNoticeTicked = "[Prufacja]\r\nPytaj=1\r\n";

using testing_support::Outcome;

using testing_support::ReadBytes;
using testing_support::ReadIfPresent;
using testing_support::WriteBytes;

std::string EnvironmentOr(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : otherwise;
}

const std::string kWindowsKorpus = EnvironmentOr("PRUFACJA_WINDOWS_KORPUS", "");

std::string WithoutCarriageReturns(std::string text) {
  std::erase(text, '\r');
  return text;
}

// korpus as a user starts it, in `dir`, without a terminal.
Outcome RunKorpus(const fs::path& dir, std::vector<std::string> args) {
  if (kWindowsKorpus.empty()) {
    args.insert(args.begin(), KORPUS_PROGRAM);
    return testing_support::RunProgram(dir, std::move(args));
  }
  args.insert(args.begin(), {"/bin/bash", (kSource / "scripts" / "wine-run.sh").string(),
                             EnvironmentOr("PRUFACJA_WINE_PREFIX", ""), kWindowsKorpus});
  Outcome run = testing_support::RunProgram(dir, std::move(args));
  run.out = WithoutCarriageReturns(run.out);
  run.err = WithoutCarriageReturns(run.err);
  return run;
}

// A scratch folder of this test's own.
class WorkingDirectory : public testing_support::ScratchDirectory {
 public:
  WorkingDirectory() : ScratchDirectory("prufacja-check") {}
};

// The empty schema, as korpus makes it, filled by the SQL text.
std::string CreateDatabase(const fs::path& file, const std::string& sql) {
  sqlite3* db = nullptr;
  std::string failure;
  if (sqlite3_open(file.c_str(), &db) != SQLITE_OK) {
    failure = "cannot create " + file.string();
  } else {
    for (const char* statements : {standin::kSchemaSql, sql.c_str()}) {
      char* message = nullptr;
      if (sqlite3_exec(db, statements, nullptr, nullptr, &message) != SQLITE_OK) {
        failure = message != nullptr ? message : "SQL failed";
        sqlite3_free(message);
        break;
      }
    }
  }
  sqlite3_close(db);
  return failure;
}

// One command-line argument a line; blank lines and # comments skipped.
std::vector<std::string> ArgumentsOf(const fs::path& file) {
  std::vector<std::string> args;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.front() == '#') continue;
    args.push_back(line);
  }
  return args;
}

// Where korpus looks for data.txt: the collector folder when one is
// given, else the working directory.
fs::path CollectorFileIn(const fs::path& dir, const std::vector<std::string>& args) {
  const auto option = std::find(args.begin(), args.end(), "--collector");
  if (option == args.end() || option + 1 == args.end()) return dir / "data.txt";
  return dir / *(option + 1) / "data.txt";
}

// Every document the store kept, in order, after checking that it is a
// report as the plug-in files it.
std::optional<std::string> StoredReports(const fs::path& database) {
  const std::vector<standin::DocumentRow> documents = standin::OpenDatabase(database)->Documents();
  if (documents.empty()) return std::nullopt;
  std::string bytes;
  for (const standin::DocumentRow& document : documents) {
    EXPECT_EQ(document.kind, 11);
    EXPECT_EQ(document.name, "Niezgodnosci.txt");
    bytes.append(document.content.begin(), document.content.end());
  }
  return bytes;
}

bool Updating() {
  const char* update = std::getenv("PRUFACJA_UPDATE_GOLDEN");
  return update != nullptr && std::string_view(update) == "1";
}

// An artifact and its expected file exist together and hold the same
// bytes; when updating, the expected file is made to match.
void ExpectSame(const fs::path& expected_file, const std::optional<std::string>& actual) {
  if (Updating()) {
    if (actual) {
      WriteBytes(expected_file, *actual);
    } else {
      fs::remove(expected_file);
    }
    return;
  }
  const std::optional<std::string> expected = ReadIfPresent(expected_file);
  if (!expected) {
    EXPECT_FALSE(actual.has_value()) << "the run made what " << expected_file.filename()
                                     << " would hold, and there is no such file:\n"
                                     << *actual;
    return;
  }
  ASSERT_TRUE(actual.has_value()) << "the run made nothing for " << expected_file.filename();
  EXPECT_EQ(*actual, *expected) << "differs from " << expected_file;
}

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kChecks)) {
    if (entry.path().extension() == ".script") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class WholeCheckTest : public ::testing::TestWithParam<std::string> {};

TEST_P(WholeCheckTest, PrintsStoresAndSavesWhatItsExpectedFilesHold) {
  const std::string& name = GetParam();
  const fs::path base = kChecks / name;
  WorkingDirectory dir;
  ASSERT_FALSE(dir.path().empty());

  WriteBytes(dir.path() / "PrufPytanie.ini", kNoticeTicked);
  const std::string failure = CreateDatabase(dir.path() / "firma.db", ReadBytes(kChecks / "firma.sql"));
  ASSERT_EQ(failure, "");
  std::vector<std::string> args = ArgumentsOf(base.string() + ".args");
  if (const auto collector = ReadIfPresent(base.string() + ".data.txt")) {
    const fs::path file = CollectorFileIn(dir.path(), args);
    fs::create_directories(file.parent_path());
    WriteBytes(file, *collector);
  }
  args.insert(args.begin(), {"--db", "firma.db", "--script", base.string() + ".script"});

  const Outcome run = RunKorpus(dir.path(), args);
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");

  ExpectSame(base.string() + ".expected", run.out);
  ExpectSame(base.string() + ".report", StoredReports(dir.path() / "firma.db"));
  ExpectSame(base.string() + ".ini", ReadIfPresent(dir.path() / "Niezgodnosci.ini"));
  ExpectSame(base.string() + ".txt", ReadIfPresent(dir.path() / "Niezgodnosci.txt"));
}

INSTANTIATE_TEST_SUITE_P(Scenarios, WholeCheckTest, ::testing::ValuesIn(ScenarioNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string name = param.param;
                           std::replace_if(
                               name.begin(), name.end(),
                               [](char c) { return std::isalnum(static_cast<unsigned char>(c)) == 0; }, '_');
                           return name;
                         });

// The scenarios themselves keep their promises about the data they run on.
TEST(WholeCheckCatalogue, EveryExpectedFileBelongsToAScenario) {
  const std::vector<std::string> names = ScenarioNames();
  ASSERT_FALSE(names.empty());
  for (const auto& entry : fs::directory_iterator(kChecks)) {
    const std::string file = entry.path().filename().string();
    if (file == "firma.sql" || file == "README.md" || file.starts_with('.')) continue;
    const std::string stem = file.substr(0, file.find('.'));
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), stem)) << file << " has no script";
  }
}

// ---------------------------------------------------------------------------
// The README's quick start

// The fenced blocks of the README's "## Quick start" section, in order,
// without their fences.
std::vector<std::string> QuickStartBlocks() {
  std::istringstream readme(ReadBytes(kSource / "README.md"));
  std::vector<std::string> blocks;
  bool in_section = false;
  std::optional<std::string> block;
  for (std::string line; std::getline(readme, line);) {
    if (line.starts_with("## ")) {
      in_section = line == "## Quick start";
      continue;
    }
    if (!in_section) continue;
    if (line.starts_with("```")) {
      if (block) {
        blocks.push_back(*block);
        block.reset();
      } else {
        block.emplace();
      }
      continue;
    }
    if (block) *block += line + "\n";
  }
  return blocks;
}

TEST(QuickStartTest, TheReadmeShowsTheExampleScriptAndWhatItPrints) {
  const std::vector<std::string> blocks = QuickStartBlocks();
  ASSERT_EQ(blocks.size(), 4u) << "commands, script, output, data.txt";
  const fs::path script = kSource / "app" / "examples" / "quickstart.script";
  EXPECT_NE(blocks[0].find("korpus --db demo.db --demo --script ../app/examples/quickstart.script\n"),
            std::string::npos)
      << blocks[0];
  EXPECT_EQ(blocks[1], ReadBytes(script));

  WorkingDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  const Outcome run = RunKorpus(dir.path(), {"--db", "demo.db", "--demo", "--script", script.string()});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(blocks[2], run.out);
  EXPECT_EQ(blocks[3], WithoutCarriageReturns(ReadBytes(dir.path() / "data.txt")));
}

}  // namespace
