// A whole check through the stand-in's engine reaches every operation that
// the check object inherits from the host's dialog base through its own
// class table.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>

#include "standin/dialog/base_operations.h"
#include "tests/support/check_harness.h"

namespace reliability {
namespace {

using standin::KeyName;

TEST(InheritedOperations, AWholeCheckReachesEveryInheritedSlot) {
  WorkingDirectory directory;
  const World world = UseSmallWorld();
  std::map<std::uint16_t, long> before;
  for (std::uint16_t ordinal = 20937; ordinal <= 20966; ++ordinal) {
    if (ordinal != 20938) before[ordinal] = standin::testing::BaseOperationCalls(ordinal);
  }
  User user;
  // A symbol and its quantity, the list moved, the option toggled, the
  // report written, and the dialog closed.
  user.Keys(Join({Typed("SRB-8"), {Named(KeyName::Enter)}, Typed("4"), {Named(KeyName::Enter)},
                  {Named(KeyName::Tab), Named(KeyName::Tab), Named(KeyName::Down), Named(KeyName::Tab),
                   standin::CharKey(U' '), Named(KeyName::F5), Named(KeyName::Esc)}}));
  const CheckOutcome outcome = RunCheck(world, user);
  ASSERT_EQ(outcome.result, 0);
  ASSERT_TRUE(user.faults().empty()) << user.faults().front();
  for (const auto& [ordinal, calls] : before) {
    EXPECT_GT(standin::testing::BaseOperationCalls(ordinal), calls) << ordinal;
  }
}

}  // namespace
}  // namespace reliability
