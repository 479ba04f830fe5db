// Arbitrary data.txt through the collector import and the merge.
#include <algorithm>
#include <string>
#include <vector>

#include "fuzz/checks.h"
#include "fuzz/targets.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/entries.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"
#include "verify/dialog/dialog_template.h"

namespace fuzz {

namespace {

std::vector<std::int32_t> InvoicedQuantities(const verify::CZrobPrufacje& check) {
  std::vector<std::int32_t> invoiced;
  for (const verify::Position& p : check.Positions()) {
    const std::int32_t value = p.invoiced;
    if (value != 0) invoiced.push_back(value);
  }
  std::sort(invoiced.begin(), invoiced.end());
  return invoiced;
}

}  // namespace

std::string CollectorImport(Input input) {
  static reliability::WorkingDirectory directory;
  KeepIniFilesInMemory();
  directory.ClearCheckFiles();
  const bool no_additions = !input.empty() && (input[0] & 1) != 0;
  if (!input.empty()) input = input.subspan(1);
  reliability::WriteFile(directory.path() / "data.txt",
                         std::string_view(reinterpret_cast<const char*>(input.data()), input.size()));

  const reliability::World world = reliability::UseSmallWorld();
  reliability::User user;
  const long blocks_before = standin::testing::LiveBlocks();
  std::string fault;
  {
    verify::CZrobPrufacje check;
    if (!reliability::StartWithoutDialog(check, world, true)) return "no block for the list";
    standin::testing::OpenedDialog dialog(verify::DialogTemplate().data(), &check.values());
    if (!dialog.ok()) return "the dialog template was refused";
    standin::entry::ControlState(7, 1, no_additions ? 1 : 0);
    user.watched = &check;

    const auto invoiced_before = InvoicedQuantities(check);
    const std::int32_t result = check.ReadCollectorFile();
    if (result != -2 && result != 1 && result != 0) return "the import answered " + std::to_string(result);
    fault = reliability::ListFault(check);
    if (fault.empty() && InvoicedQuantities(check) != invoiced_before) fault = "the import changed invoiced quantities";
    if (fault.empty() && no_additions && check.counters().new_goods != 0) fault = "goods added with no-additions on";
    if (fault.empty()) fault = ShowEverything(check, user);
    user.watched = nullptr;
  }
  if (fault.empty()) fault = BoxesFault(user);
  if (fault.empty() && !user.faults().empty()) fault = user.faults().front();
  if (fault.empty() && standin::testing::LiveBlocks() != blocks_before) fault = "host blocks leaked";
  return fault;
}

}  // namespace fuzz
