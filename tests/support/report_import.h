// Shared set-up of the report and import tests: a check bound to the
// stand-in, a recording front end, and a fresh working directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/entries.h"
#include "standin/dialog/controls.h"
#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/file_bytes.h"
#include "tests/support/make_positions.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace testing_support {

using ::testing_support::ReadBytes;
using ::testing_support::WriteBytes;

struct BoxSeen {
  std::string caption;
  std::string text;
  std::int32_t kind;
  bool operator==(const BoxSeen&) const = default;
};

inline void PrintTo(const BoxSeen& box, std::ostream* out) {
  *out << "{" << box.caption << " | " << box.text << " | " << box.kind << "}";
}

// Each test runs in a directory of its own with an empty database, no
// faults and the free-standing control states cleared.
class CheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::UseStore(standin::MakeMemoryStore());
    for (std::int32_t id : {0, 2, 7}) standin::testing::SetControlState(id, 0);
    check_.emplace();
  }

  // Boxes as the user reads them: UTF-8, markup bytes kept.
  std::vector<BoxSeen> Boxes() const {
    std::vector<BoxSeen> seen;
    for (const auto& box : front_.boxes()) seen.push_back({box.CaptionUtf8(), box.TextUtf8(), box.kind});
    return seen;
  }

  CZrobPrufacje& check() { return *check_; }

  // First, so that the check goes while its folder is still current.
  ::testing_support::StandInSession session_{"prufacja"};
  standin::RecordingFrontEnd front_;
  std::optional<CZrobPrufacje> check_;
};

}  // namespace testing_support
}  // namespace verify
