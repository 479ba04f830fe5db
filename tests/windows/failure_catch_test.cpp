// The catcher that takes a plug-in's failure back at a chosen frame, on
// both sides of the boundary.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>

#include "abi/plugin_failure.h"
#include "abi/windows/failure_catch.h"

namespace {

using korpus_abi::windows::CatchFailure;
using korpus_abi::windows::CaughtFailure;
using korpus_abi::windows::RaiseFailure;

// The head of the thread's chain of frame handlers, FS:[0].
void* ChainHead() {
  void* head = nullptr;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

TEST(FailureCatch, ACallWithoutFailureRunsToItsEndAndLeavesTheChainAsItWas) {
  void* const before = ChainHead();
  int steps = 0;
  CaughtFailure failure;
  EXPECT_FALSE(CatchFailure([&] { ++steps; }, failure));
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(ChainHead(), before);
}

TEST(FailureCatch, ARaisedFailureEndsTheCallThereWithItsOrdinalAndText) {
  void* const before = ChainHead();
  std::string after_raise;
  CaughtFailure failure;
  const bool caught = CatchFailure(
      [&] {
        // Text in the raising frame: the catcher copies it before the frame is left.
        char text[] = "host entry 52034 is missing; the call was abandoned";
        RaiseFailure(52034, text);
        after_raise = "reached";
      },
      failure);
  EXPECT_TRUE(caught);
  EXPECT_EQ(failure.ordinal, 52034u);
  EXPECT_STREQ(failure.text, "host entry 52034 is missing; the call was abandoned");
  EXPECT_EQ(after_raise, "");
  EXPECT_EQ(ChainHead(), before);
}

TEST(FailureCatch, TheInnermostCatcherTakesTheFailureAndTheOuterGoesOn) {
  CaughtFailure outer;
  CaughtFailure inner;
  bool inner_caught = false;
  int outer_steps = 0;
  const bool outer_caught = CatchFailure(
      [&] {
        inner_caught = CatchFailure([] { RaiseFailure(52179, "inner"); }, inner);
        ++outer_steps;
      },
      outer);
  EXPECT_TRUE(inner_caught);
  EXPECT_EQ(inner.ordinal, 52179u);
  EXPECT_FALSE(outer_caught);
  EXPECT_EQ(outer_steps, 1);
}

TEST(FailureCatch, AFailureRaisedAfterAnInnerCatcherEndedGoesToTheOuter) {
  CaughtFailure outer;
  CaughtFailure inner;
  const bool outer_caught = CatchFailure(
      [&] {
        CatchFailure([] {}, inner);
        RaiseFailure(0, "after the inner call");
      },
      outer);
  EXPECT_TRUE(outer_caught);
  EXPECT_EQ(outer.ordinal, 0u);
  EXPECT_STREQ(outer.text, "after the inner call");
}

TEST(FailureCatch, AFailureWithoutTextComesBackWithAnEmptyOneAndALongTextIsCut) {
  CaughtFailure bare;
  EXPECT_TRUE(CatchFailure([] { RaiseFailure(7, nullptr); }, bare));
  EXPECT_EQ(bare.ordinal, 7u);
  EXPECT_STREQ(bare.text, "");

  const std::string long_text(1000, 'x');
  CaughtFailure cut;
  EXPECT_TRUE(CatchFailure([&] { RaiseFailure(0, long_text.c_str()); }, cut));
  EXPECT_EQ(std::string(cut.text), long_text.substr(0, sizeof cut.text - 1));
}

TEST(FailureCatch, ACppExceptionThrownInsideIsThrownAgainAfterTheCatcher) {
  void* const before = ChainHead();
  CaughtFailure failure;
  try {
    CatchFailure([] { throw std::runtime_error("thrown inside"); }, failure);
    ADD_FAILURE() << "the exception did not come out";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "thrown inside");
  }
  EXPECT_EQ(ChainHead(), before);
}

// Another structured exception is not the catcher's: it goes on to the
// handlers outside, here one that lets the call continue.
LONG CALLBACK ContinueOtherException(EXCEPTION_POINTERS* info) {
  return info->ExceptionRecord->ExceptionCode == 0xE0000001 ? EXCEPTION_CONTINUE_EXECUTION
                                                             : EXCEPTION_CONTINUE_SEARCH;
}

TEST(FailureCatch, AnotherStructuredExceptionPassesTheCatcher) {
  void* handler = ::AddVectoredExceptionHandler(0, &ContinueOtherException);
  ASSERT_NE(handler, nullptr);
  int steps = 0;
  CaughtFailure failure;
  const bool caught = CatchFailure(
      [&] {
        ::RaiseException(0xE0000001, 0, 0, nullptr);
        ++steps;
      },
      failure);
  ::RemoveVectoredExceptionHandler(handler);
  EXPECT_FALSE(caught);
  EXPECT_EQ(steps, 1);
}

}  // namespace
