// A check object with a list of positions, bound to the stand-in host as
// the plug-in is, for the model's tests.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "standin/dialog/controls.h"
#include "standin/recording_frontend.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/make_positions.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace testing_support {

// One row of the list as "name|symbol|counted|invoiced", in UTF-8.
inline std::string RowOf(const Position& p) {
  return codepage::MazoviaToUtf8(std::string(p.name, ::strnlen(p.name, sizeof p.name))) + "|" +
         codepage::MazoviaToUtf8(std::string(p.symbol, ::strnlen(p.symbol, sizeof p.symbol))) + "|" +
         std::to_string(p.counted) + "|" + std::to_string(p.invoiced);
}

inline std::vector<std::string> Rows(const CZrobPrufacje& check) {
  std::vector<std::string> rows;
  for (const Position& p : check.Positions()) rows.push_back(RowOf(p));
  return rows;
}

inline bool AllZero(const void* bytes, std::size_t size) {
  const auto* p = static_cast<const unsigned char*>(bytes);
  for (std::size_t i = 0; i < size; ++i) {
    if (p[i] != 0) return false;
  }
  return true;
}

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(host::Modules().host_module, nullptr);
    standin::testing::ClearFaults();
    standin::testing::SetControlState(7, 0);
  }
  void TearDown() override {
    standin::testing::ClearFaults();
    standin::testing::SetControlState(7, 0);
  }

  void Merge(std::vector<CountedItem>& items) {
    check_.MergeCountedItems(items.data(), static_cast<std::int32_t>(items.size()));
  }

  // Packed fields, read by value.
  std::int32_t NewGoods() const { return check_.counters().new_goods; }
  std::int32_t OnDocument() const { return check_.counters().on_document; }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : front_.boxes()) texts.push_back(box.CaptionUtf8() + ": " + box.TextUtf8());
    return texts;
  }

  ::testing_support::BoundToStandIn bound_;
  standin::RecordingFrontEnd front_;
  CZrobPrufacje check_;
};

}  // namespace testing_support
}  // namespace verify
