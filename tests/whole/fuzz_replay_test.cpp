// The fuzz targets' seed corpora and the inputs that once broke a rule,
// replayed on every build: each must pass every target's checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "fuzz/targets.h"
#include "tests/support/check_harness.h"

namespace {

namespace fs = std::filesystem;

struct Replay {
  std::string target;
  fs::path input;
};

void PrintTo(const Replay& replay, std::ostream* out) { *out << replay.target << ": " << replay.input.string(); }

std::vector<Replay> Inputs() {
  std::vector<Replay> inputs;
  for (const char* target : {"collector_import", "progress_file", "dialog_keys", "terminal_keys", "script_commands",
                             "ini_document", "dialog_template", "database_rows", "register_events", "einvoice"}) {
    for (const char* kind : {"corpus", "regressions"}) {
      const fs::path folder = fs::path(FUZZ_FOLDER) / kind / target;
      // A target that never failed has no regressions folder in a clone.
      if (!fs::is_directory(folder)) continue;
      std::vector<fs::path> files;
      for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      for (const fs::path& file : files) inputs.push_back({target, file});
    }
  }
  return inputs;
}

std::string NameOf(const ::testing::TestParamInfo<Replay>& info) {
  std::string name = info.param.target + "_" + info.param.input.parent_path().parent_path().filename().string() +
                     "_" + info.param.input.filename().string();
  std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
  return name;
}

class FuzzReplay : public ::testing::TestWithParam<Replay> {};

TEST_P(FuzzReplay, KeepsEveryRule) {
  const std::string bytes = reliability::ReadFile(GetParam().input);
  const fuzz::Input input(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  std::string fault;
  if (GetParam().target == "collector_import") fault = fuzz::CollectorImport(input);
  if (GetParam().target == "progress_file") fault = fuzz::ProgressFile(input);
  if (GetParam().target == "dialog_keys") fault = fuzz::DialogKeys(input);
  if (GetParam().target == "terminal_keys") fault = fuzz::TerminalKeys(input);
  if (GetParam().target == "script_commands") fault = fuzz::ScriptCommands(input);
  if (GetParam().target == "ini_document") fault = fuzz::IniDocument(input);
  if (GetParam().target == "dialog_template") fault = fuzz::DialogTemplate(input);
  if (GetParam().target == "database_rows") fault = fuzz::DatabaseRows(input);
  if (GetParam().target == "register_events") fault = fuzz::RegisterEvents(input);
  if (GetParam().target == "einvoice") fault = fuzz::EInvoice(input);
  EXPECT_EQ(fault, "") << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(Inputs, FuzzReplay, ::testing::ValuesIn(Inputs()), NameOf);

}  // namespace
