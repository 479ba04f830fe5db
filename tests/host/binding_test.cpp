#include "host/korpus/binding.h"

#include <cxxabi.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "host/korpus/entries.h"
#include "host/module_state.h"
#include "host/platform/platform.h"
#include "standin/recording_frontend.h"
#include "standin/testing.h"
#include "tests/support/binding_box.h"

namespace {

using host::binding::FallbackIndex;
using host::binding::FallbackIndexOf;
using host::binding::HostCallAbandoned;

using testing_support::ExpectedBindingBox;
using testing_support::To1250;

void* SlotValue(const char* name) { return *host::binding::FindByName(name)->slot; }

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::binding::ResetForTests();
    standin::testing::ShowAllEntries();
    host::Modules().host_module = platform::GetModuleHandleA("KORPUS");
    host::Modules().own_module = nullptr;
    ASSERT_NE(host::Modules().host_module, nullptr);
  }
  void TearDown() override {
    host::binding::ResetForTests();
    standin::testing::ShowAllEntries();
  }

  standin::RecordingFrontEnd front_;
};

TEST_F(BindingTest, FirstCallBindsAndLaterCallsGoStraightThrough) {
  const int before = standin::testing::LookupCount(52154);
  EXPECT_EQ(korpus::CompareText("a", "b"), -1);
  EXPECT_EQ(standin::testing::LookupCount(52154), before + 1);
  EXPECT_EQ(SlotValue("CompareText"), standin::AddressOf(52154));
  EXPECT_EQ(korpus::CompareText("b", "a"), 1);
  EXPECT_EQ(korpus::CompareText("a", "a"), 0);
  EXPECT_EQ(standin::testing::LookupCount(52154), before + 1);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST_F(BindingTest, FirstCallKeepsFloatingPointAndVariadicArguments) {
  // The resolver runs between the caller and the host function: a double in
  // a vector register and a variadic argument list must survive it.
  EXPECT_EQ(korpus::RealToWhole(2500.0, 1), 2500);
  korpus::MessageFormat("Uwaga", "%s=%d;%0.3f", 1, "x", 42, 2.5);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].text, "x=42;2.500");
  EXPECT_EQ(front_.boxes()[0].kind, 1);
}

TEST_F(BindingTest, MissingEntryShowsTheBoxWithItsExactText) {
  standin::testing::HideEntry(52256);
  host::Modules().own_module = host::Modules().host_module;
  char path[300];
  ASSERT_GT(platform::GetModuleFileNameA(host::Modules().own_module, path, sizeof path), 0u);

  front_.Answer(5);  // Ignore
  EXPECT_EQ(korpus::OpenTable(44), nullptr);

  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].caption, To1250("POWAŻNY BŁĄD WTYCZKI"));
  EXPECT_EQ(front_.boxes()[0].text, ExpectedBindingBox(path, "52256"));
}

TEST_F(BindingTest, ModuleWithoutFileNameIsNamedUnknown) {
  standin::testing::HideEntry(52256);
  front_.Answer(5);
  korpus::OpenTable(44);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].text, ExpectedBindingBox("<nieznany>", "52256"));
}

TEST_F(BindingTest, IgnoreGivesTheFallbackOfTheDeclaredArgumentSize) {
  standin::testing::HideEntry(52256);
  front_.Answer(5);
  EXPECT_EQ(korpus::OpenTable(44), nullptr);
  // One 4-byte argument: stub 1, not the stub 14 that the ordinal's last
  // two digits would pick.
  EXPECT_EQ(FallbackIndexOf(SlotValue("OpenTable")), 1);
  EXPECT_TRUE(host::binding::IgnoreAll());
}

// An entry that returns a double gets the real variant of its stub: on the
// 32-bit build that one leaves 0.0 on the x87 stack.
TEST_F(BindingTest, IgnoreGivesARealResultTheRealFallback) {
  standin::testing::HideEntry(52179);
  front_.Answer(5);
  EXPECT_EQ(korpus::RoundReal(2.5, 1), 0.0);
  EXPECT_EQ(FallbackIndexOf(SlotValue("RoundReal")), 3);
  EXPECT_EQ(host::binding::FallbackKindOf(SlotValue("RoundReal")), host::binding::ResultKind::Real);
  EXPECT_EQ(host::binding::FindByName("RoundReal")->result, host::binding::ResultKind::Real);
  EXPECT_EQ(host::binding::FindByName("RealToWhole")->result, host::binding::ResultKind::Integer);
}

TEST_F(BindingTest, AfterIgnoreLaterMissingEntriesShowNoBox) {
  standin::testing::HideEntry(52256);
  standin::testing::HideEntry(21285);
  front_.Answer(5);
  korpus::OpenTable(44);
  EXPECT_EQ(korpus::AllocateZeroed(10, 10), nullptr);
  EXPECT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(FallbackIndexOf(SlotValue("AllocateZeroed")), 0);
}

TEST_F(BindingTest, RetryShowsTheBoxAgainWithoutAnotherLookup) {
  standin::testing::HideEntry(52256);
  const int lookups = standin::testing::LookupCount(52256);
  front_.Answer(4);
  front_.Answer(4);
  front_.Answer(4);
  front_.Answer(5);
  korpus::OpenTable(44);
  ASSERT_EQ(front_.boxes().size(), 4u);
  for (const auto& box : front_.boxes()) EXPECT_EQ(box.text, front_.boxes()[0].text);
  EXPECT_EQ(standin::testing::LookupCount(52256), lookups + 1);
}

TEST_F(BindingTest, AbortAbandonsTheCallAndLeavesTheSlotEmpty) {
  standin::testing::HideEntry(52256);
  front_.Answer(4);
  front_.Answer(3);  // Abort
  try {
    korpus::OpenTable(44);
    FAIL() << "the call went on";
  } catch (const HostCallAbandoned& abandoned) {
    EXPECT_EQ(abandoned.ordinal(), 52256u);
  }
  EXPECT_EQ(front_.boxes().size(), 2u);
  EXPECT_EQ(SlotValue("OpenTable"), nullptr);
  EXPECT_FALSE(host::binding::IgnoreAll());

  // The slot stays empty: the next call is abandoned without a box.
  EXPECT_THROW(korpus::OpenTable(44), HostCallAbandoned);
  EXPECT_EQ(front_.boxes().size(), 2u);
}

TEST_F(BindingTest, MissingConversionShowsTheBoxUnconvertedWithoutRecursion) {
  standin::testing::HideEntry(52256);
  standin::testing::HideEntry(52158);
  front_.Answer(5);
  korpus::OpenTable(44);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].caption, std::string("POWAŻNY BŁĄD WTYCZKI"_mz));
  // The conversion entry was not bound by the box; its own first call binds
  // it (here: to a fallback, since Ignore was chosen).
  EXPECT_EQ(SlotValue("ConvertCodePage"), host::binding::FindByName("ConvertCodePage")->resolver);
  char text[] = "x";
  EXPECT_EQ(korpus::ConvertCodePage(text, text, 1, 3), 0);
  EXPECT_EQ(front_.boxes().size(), 1u);
}

// An entry asked for by name names itself in the box, a caller's module
// text names the module; Ignore gives the stub that the name's decoration
// asks for, none when it asks for more than the stubs take.
TEST_F(BindingTest, EntryBoundByNameNamesItselfAndFollowsItsDecoration) {
  const struct {
    const char* designator;
    const char* module;
    int stub;
  } cases[] = {{"_Brak@8", nullptr, 2}, {"_Brak@400", "MODUL.DLL", -1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.designator);
    host::binding::ResetForTests();
    front_.Clear();
    front_.Answer(5);
    const auto designator = reinterpret_cast<host::binding::Designator>(c.designator);
    void* slot = &slot;
    if (c.module == nullptr) {
      host::binding::Bind(designator, &slot);
    } else {
      ASSERT_TRUE(host::binding::ErrorBox(designator, c.module));
      host::binding::ChooseFallback(designator, &slot);
    }
    ASSERT_EQ(front_.boxes().size(), 1u);
    EXPECT_EQ(front_.boxes()[0].text, ExpectedBindingBox(c.module ? c.module : "<nieznany>", c.designator));
    EXPECT_EQ(slot, host::binding::FallbackStub(c.stub));
  }
}

// What the host exports under a name is bound without a box.
TEST_F(BindingTest, EntryFoundByNameIsBoundToIt) {
  void* slot = nullptr;
  host::binding::Bind(reinterpret_cast<host::binding::Designator>("ordinal_export"), &slot);
  EXPECT_EQ(slot, ::dlsym(host::Modules().host_module, "ordinal_export"));
  EXPECT_NE(slot, nullptr);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST(FallbackChoice, OrdinalsWithoutDeclarationFollowTheirLastTwoDigits) {
  EXPECT_EQ(FallbackIndex(41199, nullptr), 0);  // ends in 99
  EXPECT_EQ(FallbackIndex(20004, nullptr), 1);
  EXPECT_EQ(FallbackIndex(20000, nullptr), 0);
  EXPECT_EQ(FallbackIndex(12356, nullptr), 14);
  EXPECT_EQ(FallbackIndex(12360, nullptr), -1);
  EXPECT_EQ(FallbackIndex(12357, nullptr), -1);
  EXPECT_EQ(FallbackIndex(12302, nullptr), -1);
}

TEST(FallbackChoice, DeclaredEntriesFollowTheirArgumentSize) {
  auto slot = [](const char* name) { return host::binding::FindByName(name)->slot; };
  EXPECT_EQ(FallbackIndex(52256, slot("OpenTable")), 1);
  EXPECT_EQ(FallbackIndex(52311, slot("BuildTextKey")), 5);
  EXPECT_EQ(FallbackIndex(52278, slot("ScanStart")), 6);
  EXPECT_EQ(FallbackIndex(52179, slot("RoundReal")), 3);
  EXPECT_EQ(FallbackIndex(21285, slot("AllocateZeroed")), 0);  // caller cleans
  EXPECT_EQ(FallbackIndex(41399, slot("IniAccess")), 0);
  EXPECT_EQ(FallbackIndex(20907, slot("DialogDeliverEvent")), 2);  // object not counted
  // Another ordinal through the same slot is not that declaration.
  EXPECT_EQ(FallbackIndex(12308, slot("OpenTable")), 2);
}

// The real stub only for the declared entry's own ordinal; a designator
// that is not the slot's entry, or a slot of no entry, gets an integer.
TEST(FallbackChoice, OnlyTheDeclaredOrdinalGetsTheRealStub) {
  void** const round_real = host::binding::FindByName("RoundReal")->slot;
  void* other = nullptr;
  const struct {
    host::binding::Designator designator;
    void** slot;
    void* stub;
  } cases[] = {
      {52179, round_real, host::binding::FallbackStub(3, host::binding::ResultKind::Real)},
      {12312, round_real, host::binding::FallbackStub(3)},
      {reinterpret_cast<host::binding::Designator>("_RoundReal@12"), round_real, host::binding::FallbackStub(3)},
      {12312, &other, host::binding::FallbackStub(3)},
      {52179, &other, nullptr},
  };
  for (const auto& c : cases) {
    host::binding::ChooseFallback(c.designator, c.slot);
    EXPECT_EQ(*c.slot, c.stub) << c.designator;
  }
  host::binding::ResetForTests();
}

TEST(FallbackChoice, NamesFollowTheirDecoration) {
  auto k = [](const char* name) { return FallbackIndex(reinterpret_cast<std::uintptr_t>(name), nullptr); };
  EXPECT_EQ(k("_Entry@12"), 3);
  EXPECT_EQ(k("_Entry@7"), 1);
  EXPECT_EQ(k("_Entry@56"), 14);
  EXPECT_EQ(k("_Entry@60"), -1);
  EXPECT_EQ(k("_Entry@99999999999999999999"), -1);
  EXPECT_EQ(k("Entry"), 0);
  EXPECT_EQ(k("_Entry@x8"), 0);
  EXPECT_EQ(k("a@b@8"), 2);
  EXPECT_EQ(k("a@8b"), 2);
}

TEST(FallbackChoice, EveryStubHasItsOwnAddress) {
  for (int k = 0; k < 15; ++k) EXPECT_EQ(FallbackIndexOf(host::binding::FallbackStub(k)), k);
  EXPECT_EQ(host::binding::FallbackStub(15), nullptr);
  EXPECT_EQ(host::binding::FallbackStub(-1), nullptr);
  EXPECT_EQ(FallbackIndexOf(nullptr), -1);
  EXPECT_EQ(host::binding::FallbackKindOf(host::binding::FallbackStub(2)), host::binding::ResultKind::Integer);
}

// The platform layer answers as the Windows calls do: a module by its
// Windows name with or without ".dll", nothing from no module, 0 for a
// file name that cannot be had whole, at most 1023 characters formatted.
TEST(Platform, AnswersAsTheWindowsCallsDo) {
  const platform::ModuleHandle korpus = platform::GetModuleHandleA("KORPUS");
  ASSERT_NE(korpus, nullptr);
  EXPECT_EQ(platform::GetModuleHandleA("korpus.dll"), korpus);
  EXPECT_NE(platform::GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(platform::GetModuleHandleA("NIE"), nullptr) << "not loaded";
  // A loaded module that is none of ours exports nothing by ordinal.
  void* const libc = ::dlopen("libc.so.6", RTLD_LAZY | RTLD_NOLOAD);
  ASSERT_NE(libc, nullptr);
  EXPECT_EQ(platform::GetProcAddressByOrdinal(libc, 52256), nullptr);
  char libc_path[300];
  EXPECT_EQ(platform::GetModuleFileNameA(libc, libc_path, sizeof libc_path), 0u);
  ::dlclose(libc);
  EXPECT_EQ(platform::GetProcAddressByOrdinal(nullptr, 52256), nullptr);
  EXPECT_EQ(platform::GetProcAddressByName(nullptr, "ordinal_export"), nullptr);
  EXPECT_EQ(platform::GetProcAddressByName(korpus, nullptr), nullptr);

  char path[300];
  const std::uint32_t length = platform::GetModuleFileNameA(korpus, path, sizeof path);
  ASSERT_GT(length, 0u);
  EXPECT_EQ(std::strlen(path), length);
  EXPECT_EQ(platform::GetModuleFileNameA(korpus, path, length), 0u) << "no room for the NUL";
  EXPECT_EQ(platform::GetModuleFileNameA(korpus, nullptr, sizeof path), 0u);
  EXPECT_EQ(platform::GetModuleFileNameA(korpus, path, 0), 0u);

  char text[1024];
  EXPECT_EQ(platform::wsprintfA(text, "%s", std::string(2000, 'x').c_str()), 1023);
  EXPECT_EQ(std::string(text), std::string(1023, 'x'));
  // A text the C library cannot write (a wide character the C locale has
  // no byte for) counts as nothing written, never as a negative length.
  EXPECT_EQ(platform::wsprintfA(text, "%ls", L"\u0142"), 0);
}

// Each entry is found by its own name; a name that no entry has, by none.
TEST(EntryTable, EveryEntryIsFoundByItsOwnNameOnly) {
  for (const auto& entry : host::binding::Entries()) EXPECT_EQ(host::binding::FindByName(entry.name), &entry);
  EXPECT_EQ(host::binding::FindByName("OpenTabl"), nullptr);
  EXPECT_EQ(host::binding::FindByName(""), nullptr);
}

// The built library's own symbols name what each ordinal leads to: the
// stand-in's function of the entry's name, not merely some address.
TEST(EntryTable, EveryDeclaredEntryIsExportedByTheStandIn) {
  for (const auto& entry : host::binding::Entries()) {
    void* const address = standin::AddressOf(entry.ordinal);
    ASSERT_NE(address, nullptr) << entry.name;
    Dl_info info{};
    ASSERT_NE(::dladdr(address, &info), 0) << entry.name;
    ASSERT_NE(info.dli_sname, nullptr) << entry.name << " has no symbol";
    EXPECT_NE(std::string(info.dli_fname).find("libkorpus"), std::string::npos) << entry.name << ": " << info.dli_fname;
    int status = -1;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(info.dli_sname, nullptr, nullptr, &status), &std::free);
    ASSERT_EQ(status, 0) << info.dli_sname;
    EXPECT_TRUE(std::string(demangled.get()).starts_with("standin::entry::" + std::string(entry.name) + "("))
        << entry.ordinal << " leads to " << demangled.get();
  }
}

}  // namespace
