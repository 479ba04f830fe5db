// The real prufacja.dll loaded by Windows into a host process: its load
// and unload calls, the exception translator of the loading thread, and
// the binding error box with Retry, Ignore and Abort. The host library is
// the small fake beside it; the plug-in's MessageBoxA and GetProcAddress
// imports are answered by the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "abi/codepage.h"
#include "abi/records.h"
#include "host/windows_boundary.h"
#include "tests/support/binding_box.h"
#include "tests/windows/fake_host.h"
#include "tests/windows/harness.h"
#include "tests/windows/system_answers.h"

namespace {

using Entry = std::int32_t(__stdcall*)(void* context, char* description);

// A library's entry as the function it is.
template <class Function>
Function Proc(HMODULE module, LPCSTR name) {
  return reinterpret_cast<Function>(reinterpret_cast<std::uintptr_t>(::GetProcAddress(module, name)));
}

using testing_support::ExpectedBindingBox;
using testing_support::To1250;

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeHostReset();
    wintest::ResetSystemAnswers();
    // Loaded afresh for every test: the binding and its ignore-all flag
    // start anew.
    plugin_ = ::LoadLibraryA("prufacja.dll");
    ASSERT_NE(plugin_, nullptr);
    ASSERT_TRUE(wintest::RouteSystemCalls(plugin_));
    entry_ = Proc<Entry>(plugin_, MAKEINTRESOURCEA(30001));
    ASSERT_NE(entry_, nullptr);
  }
  void TearDown() override {
    if (plugin_ != nullptr) ::FreeLibrary(plugin_);
  }

  std::int32_t Load(char* description = nullptr) { return entry_(context_, description); }

  korpus_abi::TableObject& Table(int index) { return FakeHost()->tables[index]; }

  bool InPlugin(const void* address) const {
    HMODULE owner = nullptr;
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(address), &owner);
    return owner == plugin_;
  }

  std::string PluginPath() const {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(plugin_, path, sizeof path);
    return {path, length};
  }

  HMODULE plugin_ = nullptr;
  Entry entry_ = nullptr;
  char context_[8] = "host";
};

TEST_F(PluginTest, LoadCallReturnsZeroFillsTheDescriptionAndHooksBothRegisters) {
  char description[64];
  std::memset(description, 'x', sizeof description);

  EXPECT_EQ(Load(description), 0);

  EXPECT_STREQ(description, " Zainstalowano wtyczkę: PRUFACJA"_mz);
  EXPECT_EQ(std::vector<std::int32_t>(FakeHost()->opened, FakeHost()->opened + FakeHost()->open_count),
            (std::vector<std::int32_t>{44, 52, 45, 53, 49}));
  EXPECT_TRUE(InPlugin(reinterpret_cast<const void*>(Table(0).list_handler)));
  EXPECT_TRUE(InPlugin(reinterpret_cast<const void*>(Table(1).list_handler)));
  EXPECT_EQ(FakeHost()->box_count, 0);
  EXPECT_EQ(FakeHost()->notice_count, 1);
  EXPECT_EQ(FakeHost()->ini_writes, 1);
  EXPECT_TRUE(wintest::ShownBoxes().empty());
}

TEST_F(PluginTest, UnloadCallPutsTheHostHandlersBack) {
  ASSERT_EQ(Load(), 0);
  EXPECT_EQ(entry_(nullptr, nullptr), 0);
  EXPECT_EQ(Table(0).list_handler, FakeHostListHandler());
  EXPECT_EQ(Table(1).list_handler, FakeHostListHandler());
}

TEST_F(PluginTest, HookedRegisterPassesOtherEventsToTheHostHandlerWithEveryArgument) {
  ASSERT_EQ(Load(), 0);
  korpus_abi::ListState state{};
  state.table_number = 44;
  // The host's handler answers 1000 + event: the eleven callee-cleans
  // arguments went through and came back in balance.
  EXPECT_EQ(Table(0).list_handler(17, 2, 3, nullptr, 5, &state, 7, 8, 9, 10, 11), 1017);
  EXPECT_EQ(Table(1).list_handler(232, 2, 3, nullptr, 5, &state, 7, 8, 9, 10, 11), 1232);
}

TEST_F(PluginTest, LoadInstallsTheHostTranslatorForTheLoadingThreadOnly) {
  using Translator = void(__cdecl*)(unsigned int, EXCEPTION_POINTERS*);
  using SetTranslator = Translator(__cdecl*)(Translator);
  auto set = Proc<SetTranslator>(::GetModuleHandleA("msvcrt.dll"),
                                 "?_set_se_translator@@YAP6AXIPAU_EXCEPTION_POINTERS@@@ZP6AXI0@Z@Z");
  ASSERT_NE(set, nullptr);
  set(nullptr);

  ASSERT_EQ(Load(), 0);

  const auto host_translator = Proc<Translator>(::GetModuleHandleA("KORPUS.DLL"), MAKEINTRESOURCEA(30005));
  ASSERT_NE(host_translator, nullptr);
  Translator other_thread = host_translator;
  std::thread([&] { other_thread = set(nullptr); }).join();
  EXPECT_EQ(other_thread, nullptr);
  EXPECT_EQ(set(nullptr), host_translator);
}

TEST_F(PluginTest, VersionMismatchShowsTheStopBoxWithItsArgumentsAndRefusesTheLoad) {
  Table(1).version = 830;
  EXPECT_EQ(Load(), -1);
  ASSERT_EQ(FakeHost()->box_count, 1);
  EXPECT_STREQ(FakeHost()->boxes[0].caption, "STOP!");
  EXPECT_EQ(std::string(FakeHost()->boxes[0].text),
            "Wersje tabeli \x02tabTzak\x01 w programie i we wtyczce\nnie pasują do siebie (WT:828, GP:830)!\n\n\n"
            "Wtyczka \x02 Zainstalowano wtyczkę: PRUFACJA\x01\nNIE zostanie załadowana!"_mz);
  EXPECT_EQ(FakeHost()->boxes[0].style, 1);
  EXPECT_EQ(Table(0).list_handler, FakeHostListHandler());
}

TEST_F(PluginTest, MissingEntryBoxRetriedTwiceThenIgnoredGivesTheFallback) {
  wintest::HideEntry(52256);
  wintest::QueueAnswers({IDRETRY, IDRETRY, IDIGNORE});

  // The table-open fallback answers null: no table, so the load is refused.
  EXPECT_EQ(Load(), -1);

  const auto& boxes = wintest::ShownBoxes();
  ASSERT_EQ(boxes.size(), 3u);
  for (const auto& box : boxes) {
    EXPECT_EQ(box.caption, To1250("POWAŻNY BŁĄD WTYCZKI"));
    EXPECT_EQ(box.text, ExpectedBindingBox(PluginPath(), "52256"));
    EXPECT_EQ(box.style, 0x2012u);
  }
  EXPECT_EQ(FakeHost()->open_count, 0);
  ASSERT_EQ(FakeHost()->box_count, 1);
  EXPECT_STREQ(FakeHost()->boxes[0].caption, "STOP!");
}

TEST_F(PluginTest, AfterIgnoreOtherMissingEntriesGetTheirFallbackWithoutABox) {
  wintest::HideEntry(41399);
  wintest::HideEntry(52023);
  wintest::QueueAnswers({IDIGNORE});

  EXPECT_EQ(Load(), 0);

  ASSERT_EQ(wintest::ShownBoxes().size(), 1u);
  EXPECT_EQ(wintest::ShownBoxes()[0].text, ExpectedBindingBox(PluginPath(), "41399"));
  EXPECT_EQ(FakeHost()->notice_count, 0);
  EXPECT_EQ(FakeHost()->ini_reads, 0);
}

TEST_F(PluginTest, AbortAbandonsTheCallAndTheLoadLeavesAsAStructuredException) {
  wintest::HideEntry(52256);
  wintest::QueueAnswers({IDABORT});

  const auto first = wintest::CatchStructured([&] { Load(); });

  EXPECT_TRUE(first.raised);
  EXPECT_EQ(first.code, host::windows::kFailureException);
  EXPECT_EQ(first.parameter, 52256u);
  EXPECT_EQ(first.text, "host entry 52256 is missing; the call was abandoned");
  EXPECT_EQ(wintest::ShownBoxes().size(), 1u);
  EXPECT_EQ(Table(0).list_handler, FakeHostListHandler());

  // The slot stays empty: the next load is abandoned at once, with no box.
  const auto second = wintest::CatchStructured([&] { Load(); });
  EXPECT_TRUE(second.raised);
  EXPECT_EQ(second.parameter, 52256u);
  EXPECT_EQ(wintest::ShownBoxes().size(), 1u);
}

}  // namespace
