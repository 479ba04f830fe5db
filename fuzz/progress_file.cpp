// Arbitrary Niezgodnosci.ini through the INI access and the resume.
#include <algorithm>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/targets.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/ini/ini_access.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"
#include "verify/dialog/dialog_template.h"

namespace fuzz {

namespace {

struct Resumed {
  std::int32_t result = -1;
  std::int32_t count = 0;
  long reads = 0;  // INI reads of the resume
  std::string fault;
};

// One check's start: the resume, and on it everything a dialog would do
// with the list, then the save on closing.
Resumed ResumeAndSave(const reliability::World& world, reliability::User& user) {
  Resumed resumed;
  verify::CZrobPrufacje check;
  if (!reliability::StartWithoutDialog(check, world, false)) {
    resumed.fault = "no block for the list";
    return resumed;
  }
  standin::testing::OpenedDialog dialog(verify::DialogTemplate().data(), &check.values());
  user.watched = &check;
  const long reads_before = standin::testing::CallCount(standin::Fault::IniRead);
  resumed.result = check.ResumeProgress();
  resumed.reads = standin::testing::CallCount(standin::Fault::IniRead) - reads_before;
  resumed.count = check.count();
  resumed.fault = reliability::ListFault(check);
  if (resumed.fault.empty() && resumed.result != 0 && resumed.result != 1) {
    resumed.fault = "the resume answered " + std::to_string(resumed.result);
  }
  if (resumed.fault.empty() && resumed.result == 1 && check.count() != 0) {
    resumed.fault = "nothing resumed, yet the list holds " + std::to_string(check.count());
  }
  if (resumed.fault.empty()) {
    check.NormalisePositions();
    resumed.fault = ShowEverything(check, user);
  }
  if (resumed.fault.empty()) check.SaveProgress();
  user.watched = nullptr;
  return resumed;
}

}  // namespace

std::string ProgressFile(Input input) {
  static reliability::WorkingDirectory directory;
  KeepIniFilesInMemory();
  directory.ClearCheckFiles();
  PutIniFile("Niezgodnosci.ini", input);

  const reliability::World world = reliability::UseSmallWorld();
  reliability::User user;
  const long blocks_before = standin::testing::LiveBlocks();

  const Resumed first = ResumeAndSave(world, user);
  if (!first.fault.empty()) return "first check: " + first.fault;
  // Whatever count the file states, the keys read stay bounded by what it
  // can hold: every row it holds may follow a gap of missing keys shorter
  // than the run that ends a read, and that run ends it.
  const long lines = std::count(input.begin(), input.end(), std::uint8_t{'\n'}) + 1;
  if (first.reads > 2 + (lines + 1) * long{verify::kInitialPositions}) {
    return "the resume read " + std::to_string(first.reads) + " keys of a file of " + std::to_string(lines) + " lines";
  }
  standin::FlushIniFiles();
  // What the first check saved is taken up whole by the next one: never
  // more rows than were saved.
  const Resumed second = ResumeAndSave(world, user);
  if (!second.fault.empty()) return "second check: " + second.fault;
  if (second.result != 0) return "the saved check was not resumed";
  if (second.count > first.count) {
    return "saved " + std::to_string(first.count) + " positions, resumed " + std::to_string(second.count);
  }
  if (std::string fault = BoxesFault(user); !fault.empty()) return fault;
  if (!user.faults().empty()) return user.faults().front();
  if (standin::testing::LiveBlocks() != blocks_before) return "host blocks leaked";
  return "";
}

}  // namespace fuzz
