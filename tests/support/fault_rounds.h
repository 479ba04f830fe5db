// Every call of one kind of fault failed in turn: each call alone, then
// each call and every later one. A round is prepared, armed, run, and then
// looked at with the faults cleared.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "standin/testing.h"

namespace testing_support {

// The calls of the kind that `act` makes.
template <typename Act>
long CallsMadeBy(standin::Fault kind, Act&& act) {
  const long start = standin::testing::CallCount(kind);
  act();
  return standin::testing::CallCount(kind) - start;
}

// `act` answers what `look` is to check.
template <typename Prepare, typename Act, typename Look>
void FailEachCallInTurn(standin::Fault kind, long calls, Prepare&& prepare, Act&& act, Look&& look) {
  for (const bool from_then_on : {false, true}) {
    for (long n = 1; n <= calls; ++n) {
      SCOPED_TRACE((from_then_on ? "from call " : "only call ") + std::to_string(n));
      prepare();
      if (from_then_on) {
        standin::testing::FailFrom(kind, n);
      } else {
        standin::testing::FailNth(kind, n);
      }
      const auto outcome = act();
      standin::testing::ClearFaults();
      look(outcome);
    }
  }
}

}  // namespace testing_support
