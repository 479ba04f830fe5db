// The binding's machine code on 32-bit Windows: call stubs, resolvers and
// fallback stubs as the plug-in links them, called the way the host's
// compiler calls, with the stack pointer and the registers watched. The
// host library is the small fake beside this program.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "tests/windows/fake_host.h"
#include "tests/windows/harness.h"
#include "tests/windows/system_answers.h"

namespace {

using host::binding::FallbackStub;

// The call stub of an entry: what the plug-in calls in its place.
template <class Function>
const void* Stub(Function* function) {
  return reinterpret_cast<const void*>(function);
}

void* Slot(const char* name) { return *host::binding::FindByName(name)->slot; }

class StubsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeHostReset();
    wintest::ResetSystemAnswers();
    host::binding::ResetForTests();
    host::Modules().host_module = ::GetModuleHandleA("KORPUS.DLL");
    host::Modules().own_module = ::GetModuleHandleA(nullptr);
    ASSERT_NE(host::Modules().host_module, nullptr);
    // This program holds the binding itself: its own imports are routed.
    ASSERT_TRUE(wintest::RouteSystemCalls(::GetModuleHandleA(nullptr)));
  }
  void TearDown() override { host::binding::ResetForTests(); }

  HarnessResult Call(const void* target, std::uint32_t arguments, std::uint32_t* result = nullptr,
                     void* object = nullptr) {
    HarnessResult watched{};
    const std::uint32_t answer = harness_call(target, arguments, object, &watched);
    if (result != nullptr) *result = answer;
    return watched;
  }
};

TEST_F(StubsTest, EveryFallbackStubReturnsZeroAndRemovesExactlyItsArguments) {
  for (std::uint32_t k = 0; k < 15; ++k) {
    std::uint32_t result = 1;
    const HarnessResult watched = Call(FallbackStub(static_cast<int>(k)), k, &result);
    EXPECT_EQ(result, 0u) << "stub " << k;
    EXPECT_EQ(watched.esp_change, 0) << "stub " << k;
    EXPECT_EQ(watched.preserved, 1u) << "stub " << k;
  }
}

TEST_F(StubsTest, MissingCalleeCleansEntriesAnsweredIgnoreLeaveTheStackAsItWas) {
  wintest::QueueAnswers({IDIGNORE});
  struct Case {
    const void* stub;
    const char* name;
    std::uint32_t arguments;
  };
  // Entries that the fake host lacks: no arguments, one, and three words
  // (a double and an integer).
  const Case cases[] = {{Stub(&korpus::FirstContextNumber), "FirstContextNumber", 0},
                        {Stub(&korpus::ScanNext), "ScanNext", 1},
                        {Stub(&korpus::RealToWhole), "RealToWhole", 3}};
  for (const Case& c : cases) {
    std::uint32_t result = 1;
    const HarnessResult watched = Call(c.stub, c.arguments, &result);
    EXPECT_EQ(result, 0u) << c.name;
    EXPECT_EQ(watched.esp_change, 0) << c.name;
    EXPECT_EQ(watched.preserved, 1u) << c.name;
    EXPECT_EQ(Slot(c.name), FallbackStub(static_cast<int>(c.arguments))) << c.name;
  }
  EXPECT_EQ(wintest::ShownBoxes().size(), 1u);
}

TEST_F(StubsTest, MissingCallerCleansEntryRemovesNothing) {
  wintest::QueueAnswers({IDIGNORE});
  std::uint32_t result = 1;
  const HarnessResult watched = Call(Stub(&korpus::AllocateZeroed), 2, &result);
  EXPECT_EQ(result, 0u);
  EXPECT_EQ(watched.esp_change, -8);
  EXPECT_EQ(Slot("AllocateZeroed"), FallbackStub(0));
}

TEST_F(StubsTest, NamedEntriesGetTheStubOfTheirDecorationAndBalanceTheStack) {
  wintest::QueueAnswers({IDIGNORE});
  struct Case {
    const char* name;
    std::uint32_t arguments;
  };
  for (const Case c : {Case{"_x@0", 0}, Case{"_x@4", 1}, Case{"_x@12", 3}, Case{"_x@56", 14}}) {
    void* slot = nullptr;
    host::binding::Bind(reinterpret_cast<std::uintptr_t>(c.name), &slot);
    ASSERT_EQ(slot, FallbackStub(static_cast<int>(c.arguments))) << c.name;
    std::uint32_t result = 1;
    const HarnessResult watched = Call(slot, c.arguments, &result);
    EXPECT_EQ(result, 0u) << c.name;
    EXPECT_EQ(watched.esp_change, 0) << c.name;
    EXPECT_EQ(watched.preserved, 1u) << c.name;
  }
  EXPECT_EQ(wintest::ShownBoxes().size(), 1u);
  EXPECT_EQ(wintest::ShownBoxes()[0].style, 0x2012u);
}

// The x87 stack's top: a result left there or taken from an empty stack
// moves it.
unsigned FpuTop() {
  std::uint16_t status = 0;
  __asm__ volatile("fnstsw %0" : "=m"(status));
  return (status >> 11) & 7u;
}

// A double comes back on the x87 stack: the fallback of an entry that
// returns one must push exactly 0.0 there, or the caller pops an empty
// stack and reads a NaN.
TEST_F(StubsTest, MissingRealEntryAnsweredIgnoreReturnsZeroOnTheFpuStack) {
  wintest::QueueAnswers({IDIGNORE});
  const unsigned top = FpuTop();
  for (int k = 0; k < 10; ++k) {
    const double rounded = korpus::RoundReal(2.5, 1);
    EXPECT_EQ(rounded, 0.0) << "call " << k;
  }
  EXPECT_EQ(FpuTop(), top) << "every result was popped by its caller";
  EXPECT_EQ(Slot("RoundReal"), FallbackStub(3, host::binding::ResultKind::Real));
  EXPECT_EQ(wintest::ShownBoxes().size(), 1u);

  // The arguments are removed exactly; the one value pushed is popped here.
  const HarnessResult watched = Call(Slot("RoundReal"), 3);
  EXPECT_EQ(watched.esp_change, 0);
  EXPECT_EQ(watched.preserved, 1u);
  EXPECT_EQ(FpuTop(), (top + 7) & 7u) << "one value pushed";
  __asm__ volatile("fstp %st(0)");
  EXPECT_EQ(FpuTop(), top);
}

TEST_F(StubsTest, ResolverHandsEveryRegisterOnToTheEntryItBinds) {
  ASSERT_EQ(Slot("Signal"), host::binding::FindByName("Signal")->resolver);
  const std::uint32_t values[7] = {0xA0A0A0A0, 0xC1C1C1C1, 0xD2D2D2D2, 0xB3B3B3B3,
                                   0x51515151, 0xD1D1D1D1, 0xB9B9B9B9};
  harness_call_with_registers(Stub(&korpus::Signal), values);

  const std::uint32_t* seen = FakeHostRegistersAtSignal();
  for (int r = 0; r < 7; ++r) EXPECT_EQ(seen[r], values[r]) << "register " << r;
  EXPECT_EQ(Slot("Signal"), reinterpret_cast<void*>(
                                reinterpret_cast<std::uintptr_t>(::GetProcAddress(::GetModuleHandleA("KORPUS.DLL"),
                                                                                 MAKEINTRESOURCEA(52255)))));
}

TEST_F(StubsTest, MethodEntryBoundOnItsFirstCallReceivesItsObject) {
  ASSERT_EQ(Slot("DialogConstruct"), host::binding::FindByName("DialogConstruct")->resolver);
  alignas(4) unsigned char object[64] = {};
  std::uint32_t result = 0;
  const HarnessResult watched =
      Call(Stub(&korpus::DialogConstruct), 0, &result, object);

  EXPECT_EQ(FakeHost()->constructed, object);
  EXPECT_EQ(result, reinterpret_cast<std::uint32_t>(object));
  EXPECT_EQ(watched.esp_change, 0);
  EXPECT_NE(Slot("DialogConstruct"), host::binding::FindByName("DialogConstruct")->resolver);

  // Bound: the second call goes straight to the host with its object.
  unsigned char other[8] = {};
  Call(Stub(&korpus::DialogConstruct), 0, nullptr, other);
  EXPECT_EQ(FakeHost()->constructed, other);
}

TEST_F(StubsTest, AbortedCallReachesItsCallerAsTheAbandonException) {
  wintest::QueueAnswers({IDRETRY, IDABORT});
  volatile int marker = 41;
  try {
    korpus::ScanEnd(nullptr);
    FAIL() << "the call went on";
  } catch (const host::binding::HostCallAbandoned& abandoned) {
    EXPECT_EQ(abandoned.ordinal(), 52281u);
  }
  // The caller's frame is intact after the unwinding.
  EXPECT_EQ(marker, 41);
  EXPECT_EQ(wintest::ShownBoxes().size(), 2u);
  EXPECT_EQ(Slot("ScanEnd"), nullptr);
  EXPECT_THROW(korpus::ScanEnd(nullptr), host::binding::HostCallAbandoned);
}

}  // namespace
