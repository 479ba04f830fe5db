// The focus in a whole check through the stand-in's engine: with the
// quantities option off the quantity field is disabled, and Tab from the
// symbol field passes over it.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "standin/dialog/engine.h"
#include "tests/support/check_harness.h"
#include "verify/dialog/controls.h"

namespace reliability {
namespace {

using standin::AltKey;
using standin::Key;
using standin::KeyName;

TEST(DialogFocus, TabPassesOverTheQuantityWhileTheOptionIsOff) {
  WorkingDirectory directory;
  const World world = UseSmallWorld();
  // To the symbol field, Tab; the option off; again; the option on; again.
  const std::vector<Key> keys = {AltKey(U'S'), Named(KeyName::Tab), AltKey(U'U'), AltKey(U'S'), Named(KeyName::Tab),
                                 AltKey(U'U'), AltKey(U'S'), Named(KeyName::Tab), Named(KeyName::Esc)};
  std::vector<std::int16_t> focus;  // before each key: where the one before left it
  std::size_t next = 0;
  User user;
  user.key_source = [&]() -> Key {
    const standin::dialog::Dialog* dialog = standin::dialog::OpenDialog();
    focus.push_back(dialog != nullptr ? dialog->focused_id() : std::int16_t{-2});
    return next < keys.size() ? keys[next++] : standin::NoKey();
  };
  const CheckOutcome outcome = RunCheck(world, user);
  ASSERT_EQ(outcome.result, 0);
  ASSERT_TRUE(user.faults().empty()) << user.faults().front();
  ASSERT_EQ(focus.size(), keys.size());
  const auto symbol = static_cast<std::int16_t>(verify::controls::kSymbol);
  const auto quantity = static_cast<std::int16_t>(verify::controls::kQuantity);
  EXPECT_EQ(focus[1], symbol);
  EXPECT_EQ(focus[2], quantity);
  EXPECT_EQ(focus[4], symbol);
  EXPECT_NE(focus[5], quantity);
  EXPECT_NE(focus[5], symbol);
  EXPECT_EQ(focus[7], symbol);
  EXPECT_EQ(focus[8], quantity);
}

}  // namespace
}  // namespace reliability
