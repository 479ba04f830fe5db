// The plug-in's attach, load, unload and register hooks, in-process
// against the stand-in, with the host's tables and settings file faked
// through the binding slots and the check itself replaced by a recorder.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "abi/records.h"
#include "host/attach.h"
#include "host/check_launch.h"
#include "host/entry.h"
#include "host/korpus/binding.h"
#include "host/module_state.h"
#include "host/registration.h"
#include "host/table_handles.h"
#include "standin/recording_frontend.h"
#include "standin/testing.h"

namespace {

using korpus_abi::ListState;
using korpus_abi::TableObject;

// ---------------------------------------------------------------------------
// The host's side, faked.

struct HostCall {
  std::int32_t event;
  std::uint16_t arg2;
  std::int32_t arg3;
  void** rows;
  std::int32_t arg5;
  ListState* state;
  std::int32_t arg7, arg8, arg9;
  std::uint16_t arg10;
  std::int32_t arg11;
  char register_id;  // 'S' sales, 'P' purchase
};

std::vector<HostCall> host_calls;

template <char Register>
std::int32_t KORPUS_CALLEE HostListHandler(std::int32_t event, std::uint16_t arg2, std::int32_t arg3, void** rows,
                                           std::int32_t arg5, ListState* state, std::int32_t arg7, std::int32_t arg8,
                                           std::int32_t arg9, std::uint16_t arg10, std::int32_t arg11) {
  host_calls.push_back({event, arg2, arg3, rows, arg5, state, arg7, arg8, arg9, arg10, arg11, Register});
  return 1000 + event;
}

const korpus_abi::ListHandler kHostSales = &HostListHandler<'S'>;
const korpus_abi::ListHandler kHostPurchase = &HostListHandler<'P'>;

struct FakeTables {
  std::map<std::int32_t, TableObject> objects;
  std::map<std::int32_t, bool> missing;
  std::vector<std::int32_t> opened;
};
FakeTables* tables = nullptr;

TableObject* KORPUS_CALLEE FakeOpenTable(std::int32_t number) {
  tables->opened.push_back(number);
  if (tables->missing[number]) return nullptr;
  return &tables->objects[number];
}

// PrufPytanie.ini as the host would keep it: one value per key.
struct FakeSettings {
  std::map<std::string, std::string> values;
  std::vector<std::string> writes;  // "file|section|key|format=value"
  int reads = 0;
};
FakeSettings* settings = nullptr;

std::int16_t KORPUS_CALLER FakeIniAccess(const char* file, std::int32_t mode, const char* section, const char* key,
                                         const char* format, ...) {
  const std::string where = std::string(file) + "|" + section + "|" + key + "|" + format;
  std::va_list args;
  va_start(args, format);
  std::int16_t result = 1;
  if (mode == 8) {
    ++settings->reads;
    int* out = va_arg(args, int*);
    const auto found = settings->values.find(where);
    char* end = nullptr;
    if (found != settings->values.end()) {
      const long value = std::strtol(found->second.c_str(), &end, 10);
      if (end != found->second.c_str() && *end == '\0') {
        *out = static_cast<int>(value);
        result = 0;
      }
    }
    // A failed read may leave anything behind.
    if (result != 0) *out = 7;
  } else if (mode == 9) {
    const std::string value = std::to_string(va_arg(args, int));
    settings->values[where] = value;
    settings->writes.push_back(where + "=" + value);
    result = 0;
  }
  va_end(args);
  return result;
}

const std::string kPytaj = "PrufPytanie.ini|Prufacja|Pytaj|%d";

// ---------------------------------------------------------------------------
// The check, replaced: records what a Ctrl-1 asked for.

struct CheckCall {
  const ListState* state;
  std::string number;
  std::int32_t id;
};
std::vector<CheckCall> check_calls;
bool check_throws = false;

void SetSlot(const char* name, void* target) { *host::binding::FindByName(name)->slot = target; }

// The STOP box as the user reads it (markup bytes kept).
std::string StopText(const std::string& table, int required, int found) {
  return "Wersje tabeli \x02" + table + "\x01 w programie i we wtyczce\nnie pasują do siebie (WT:" +
         std::to_string(required) + ", GP:" + std::to_string(found) +
         ")!\n\n\nWtyczka \x02 Zainstalowano wtyczkę: PRUFACJA\x01\nNIE zostanie załadowana!";
}

const char* const kNoticeText =
    " Zainstalowano wtyczkę: PRUFACJA\n Tabele/Sprzedaż lub Zakup/Faktury krajowe (VAT)-> Ctrl-1";

int host_context_value = 0;
void* const kContext = &host_context_value;

class EntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::binding::ResetForTests();
    host::registration::ResetForTests();
    standin::testing::ShowAllEntries();
    host::Modules() = {};
    host::Attach(nullptr);
    ASSERT_NE(host::Modules().host_module, nullptr);

    tables = &tables_;
    settings = &settings_;
    for (auto [number, version] : {std::pair{44, 980}, {52, 828}, {45, 298}, {53, 626}, {49, 1024}}) {
      TableObject object{};
      object.version = static_cast<std::int16_t>(version);
      tables_.objects[number] = object;
    }
    tables_.objects[44].list_handler = kHostSales;
    tables_.objects[52].list_handler = kHostPurchase;
    SetSlot("OpenTable", reinterpret_cast<void*>(&FakeOpenTable));
    SetSlot("IniAccess", reinterpret_cast<void*>(&FakeIniAccess));

    host_calls.clear();
    check_calls.clear();
    check_throws = false;
  }

  void TearDown() override {
    host::binding::ResetForTests();
    host::registration::ResetForTests();
    standin::testing::ShowAllEntries();
    tables = nullptr;
    settings = nullptr;
  }

  TableObject& Table(std::int32_t number) { return tables_.objects[number]; }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (const auto& box : front_.boxes()) out.push_back(box.CaptionUtf8());
    return out;
  }

  FakeTables tables_;
  FakeSettings settings_;
  standin::RecordingFrontEnd front_;
};

// ---------------------------------------------------------------------------
// Attach

TEST_F(EntryTest, AttachFindsTheHostLibraryAndItsTwoEntries) {
  host::Modules() = {};
  int own = 0;
  host::Attach(&own);
  EXPECT_EQ(host::Modules().own_module, &own);
  EXPECT_EQ(host::Modules().host_module, platform::GetModuleHandleA("KORPUS"));
  EXPECT_EQ(host::Modules().host_context, standin::AddressOf(30006));
  EXPECT_EQ(host::Modules().delay_load_hook, standin::AddressOf(30007));
  EXPECT_NE(host::Modules().delay_load_hook, nullptr);

  // Attached again: its own handle is the new one; the host's entries, once
  // found, are not looked up again.
  const auto found = host::Modules();
  standin::testing::HideEntry(30006);
  int again = 0;
  host::Attach(&again);
  EXPECT_EQ(host::Modules().own_module, &again);
  EXPECT_EQ(host::Modules().host_context, found.host_context);
  EXPECT_EQ(host::Modules().delay_load_hook, found.delay_load_hook);
}

TEST_F(EntryTest, AttachLeavesAMissingHookNull) {
  host::Modules() = {};
  standin::testing::HideEntry(30007);
  host::Attach(nullptr);
  EXPECT_NE(host::Modules().host_context, nullptr);
  EXPECT_EQ(host::Modules().delay_load_hook, nullptr);
}

// ---------------------------------------------------------------------------
// Load

TEST_F(EntryTest, LoadHandsOverTheDescriptionAndHooksBothRegisters) {
  char description[64];
  std::memset(description, 'x', sizeof description);
  EXPECT_EQ(host::PluginEntry(kContext, description), 0);

  EXPECT_EQ(codepage::MazoviaToUtf8(description), " Zainstalowano wtyczkę: PRUFACJA");
  EXPECT_EQ(tables_.opened, (std::vector<std::int32_t>{44, 52, 45, 53, 49}));
  EXPECT_EQ(Table(44).list_handler, &host::registration::SalesListHandler);
  EXPECT_EQ(Table(52).list_handler, &host::registration::PurchaseListHandler);
  EXPECT_EQ(host::Tables().tabTspr, &Table(44));
  EXPECT_EQ(host::Tables().tabTzak, &Table(52));
  EXPECT_EQ(host::Tables().tabTspr_dok, &Table(45));
  EXPECT_EQ(host::Tables().tabTzak_dok, &Table(53));
  EXPECT_EQ(host::Tables().tabk9, &Table(49));
  EXPECT_EQ(host::Modules().host_context, kContext);
  EXPECT_EQ(reinterpret_cast<void*>(host::ThreadExceptionTranslator()), standin::AddressOf(30005));
}

// A register whose handle is held but was never hooked by a load keeps
// the host's handler when the plug-in withdraws: nothing it did not save
// is written back.
TEST_F(EntryTest, WithdrawingLeavesAHandlerThatNoLoadReplaced) {
  host::Tables().tabTspr = &Table(44);
  host::registration::Withdraw();
  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_EQ(host::Tables().tabTspr, nullptr);
}

TEST_F(EntryTest, LoadWithoutDescriptionBufferLoadsAllTheSame) {
  EXPECT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_EQ(Table(44).list_handler, &host::registration::SalesListHandler);
  EXPECT_EQ(Table(52).list_handler, &host::registration::PurchaseListHandler);
}

struct Mismatch {
  std::int32_t number;
  const char* name;
  int required;
  std::vector<std::int32_t> opened;
};

class VersionMismatchTest : public EntryTest, public ::testing::WithParamInterface<Mismatch> {};

TEST_P(VersionMismatchTest, ShowsStopWithBothVersionsAndLeavesTheHostsHandlers) {
  const Mismatch& m = GetParam();
  Table(m.number).version = static_cast<std::int16_t>(m.required + 2);

  EXPECT_EQ(host::PluginEntry(kContext, nullptr), -1);

  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].CaptionUtf8(), "STOP!");
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), StopText(m.name, m.required, m.required + 2));
  EXPECT_EQ(front_.boxes()[0].kind, 1);
  EXPECT_EQ(tables_.opened, m.opened);
  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_EQ(Table(52).list_handler, kHostPurchase);
  EXPECT_EQ(host::Tables().tabTspr, nullptr);
  EXPECT_EQ(host::Tables().tabTzak, nullptr);
  EXPECT_EQ(settings_.reads, 0) << "no install notice after a refused load";
}

INSTANTIATE_TEST_SUITE_P(EachTable, VersionMismatchTest,
                         ::testing::Values(Mismatch{44, "tabTspr", 980, {44}}, Mismatch{52, "tabTzak", 828, {44, 52}},
                                           Mismatch{45, "tabTspr_dok", 298, {44, 52, 45}},
                                           Mismatch{53, "tabTzak_dok", 626, {44, 52, 45, 53}},
                                           Mismatch{49, "tabk9", 1024, {44, 52, 45, 53, 49}}),
                         [](const ::testing::TestParamInfo<Mismatch>& param) { return std::string(param.param.name); });

TEST_F(EntryTest, MissingTableIsShownAsVersionZero) {
  tables_.missing[53] = true;
  EXPECT_EQ(host::PluginEntry(kContext, nullptr), -1);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), StopText("tabTzak_dok", 626, 0));
  EXPECT_EQ(Table(44).list_handler, kHostSales);
}

TEST_F(EntryTest, TableThatFailedIsCheckedAgainByTheNextLoad) {
  Table(53).version = 627;
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), -1);
  EXPECT_EQ(host::Tables().tabTzak_dok, nullptr);
  EXPECT_EQ(host::Tables().tabTspr_dok, &Table(45));

  // Still wrong: refused again, not skipped.
  tables_.opened.clear();
  EXPECT_EQ(host::PluginEntry(kContext, nullptr), -1);
  EXPECT_EQ(tables_.opened, (std::vector<std::int32_t>{44, 52, 53}));
  EXPECT_EQ(Table(44).list_handler, kHostSales);

  // Mended: loads, with the table held.
  Table(53).version = 626;
  tables_.opened.clear();
  EXPECT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_EQ(tables_.opened, (std::vector<std::int32_t>{44, 52, 53, 49}));
  EXPECT_EQ(host::Tables().tabTzak_dok, &Table(53));
  EXPECT_EQ(Table(44).list_handler, &host::registration::SalesListHandler);
}

TEST_F(EntryTest, SecondLoadWithoutUnloadOpensNothingAndKeepsTheHooks) {
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  tables_.opened.clear();
  Table(44).version = 1;  // not looked at again

  EXPECT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_TRUE(tables_.opened.empty());
  EXPECT_EQ(Table(44).list_handler, &host::registration::SalesListHandler);
  EXPECT_EQ(settings_.reads, 2) << "the notice logic runs on every load";

  // Unloading once gives the host its own handlers back, not ours.
  EXPECT_EQ(host::PluginEntry(nullptr, nullptr), 0);
  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_EQ(Table(52).list_handler, kHostPurchase);
}

TEST_F(EntryTest, AbandonedHostCallDuringLoadWithdrawsTheHooks) {
  standin::testing::HideEntry(52023);  // the notice
  front_.Answer(3);                    // Abort
  EXPECT_THROW(host::PluginEntry(kContext, nullptr), host::binding::HostCallAbandoned);
  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_EQ(Table(52).list_handler, kHostPurchase);
  EXPECT_EQ(host::Tables().tabTspr, nullptr);
}

// ---------------------------------------------------------------------------
// Unload

TEST_F(EntryTest, UnloadBeforeLoadRestoresNothing) {
  char description[64] = "unchanged";
  EXPECT_EQ(host::PluginEntry(nullptr, description), 0);
  EXPECT_STREQ(description, "unchanged");
  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_TRUE(tables_.opened.empty());
}

TEST_F(EntryTest, UnloadRestoresBothRegistersAndKeepsTheOtherTables) {
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_EQ(host::PluginEntry(nullptr, nullptr), 0);

  EXPECT_EQ(Table(44).list_handler, kHostSales);
  EXPECT_EQ(Table(52).list_handler, kHostPurchase);
  EXPECT_EQ(host::Tables().tabTspr, nullptr);
  EXPECT_EQ(host::Tables().tabTzak, nullptr);
  EXPECT_EQ(host::Tables().tabTspr_dok, &Table(45));
  EXPECT_EQ(host::Tables().tabTzak_dok, &Table(53));
  EXPECT_EQ(host::Tables().tabk9, &Table(49));

  // Loading again checks and hooks only the two registers.
  tables_.opened.clear();
  EXPECT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_EQ(tables_.opened, (std::vector<std::int32_t>{44, 52}));
  EXPECT_EQ(Table(52).list_handler, &host::registration::PurchaseListHandler);
}

// ---------------------------------------------------------------------------
// Install notice

TEST_F(EntryTest, NoticeShownWithoutSettingsAndTheUsersChoiceWrittenBack) {
  front_.TickNotice(true);
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), kNoticeText);
  EXPECT_EQ(settings_.writes, (std::vector<std::string>{kPytaj + "=1"}));

  // Never again.
  front_.Clear();
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_EQ(settings_.writes.size(), 1u);
}

TEST_F(EntryTest, NoticeLeftUntickedIsWrittenAsZeroAndShownAgain) {
  settings_.values[kPytaj] = "0";
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  ASSERT_EQ(host::PluginEntry(nullptr, nullptr), 0);
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  EXPECT_EQ(front_.boxes().size(), 2u);
  EXPECT_EQ(settings_.writes, (std::vector<std::string>{kPytaj + "=0", kPytaj + "=0"}));
}

TEST_F(EntryTest, UnreadableSettingIsTakenAsNotSet) {
  settings_.values[kPytaj] = "tak";
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), kNoticeText);
  EXPECT_EQ(settings_.writes, (std::vector<std::string>{kPytaj + "=0"}));
}

// 65536 is not 0 although its low 16 bits are: the user's setting stays.
TEST_F(EntryTest, AnyNonZeroSettingSuppressesTheNotice) {
  for (const char* value : {"-3", "65536", "-65536", "2147483647"}) {
    SCOPED_TRACE(value);
    settings_.values[kPytaj] = value;
    settings_.writes.clear();
    front_.Clear();
    ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
    EXPECT_TRUE(front_.boxes().empty());
    EXPECT_TRUE(settings_.writes.empty());
    ASSERT_EQ(host::PluginEntry(nullptr, nullptr), 0);
  }
}

// ---------------------------------------------------------------------------
// The register hooks

// A register list as the host hands it over: rows of kRegisterRowSize
// bytes, the number at 2 and the identifier at 976 (sales) or 824.
struct RegisterList {
  std::vector<std::vector<char>> records;
  std::vector<void*> rows;
  ListState state{};

  RegisterList(std::uint16_t table, std::size_t id_offset, std::vector<std::pair<std::string, std::int32_t>> invoices) {
    state.table_number = table;
    for (const auto& [number, id] : invoices) {
      std::vector<char> record(korpus_abi::kRegisterRowSize, '\x5A');
      std::memcpy(record.data() + korpus_abi::kRowNumberOffset, number.c_str(), number.size() + 1);
      std::memcpy(record.data() + id_offset, &id, sizeof id);
      records.push_back(std::move(record));
    }
    for (auto& record : records) rows.push_back(record.data());
  }
};

class RegisterHookTest : public EntryTest {
 protected:
  void SetUp() override {
    EntryTest::SetUp();
    ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
    front_.Clear();
  }

  std::int32_t Deliver(std::int32_t table, std::int32_t event, RegisterList& list) {
    return Table(table).list_handler(event, 0xFFFE, -3, list.rows.data(), 5, &list.state, 7, -8, 9, 0xABCD, 11);
  }
};

TEST_F(RegisterHookTest, CtrlOneOnSalesChecksTheCurrentInvoiceThenChains) {
  RegisterList list(44, korpus_abi::kSalesRowIdOffset,
                    {{"FV 1/2024", 101}, {"FV 2/2024", 102}, {"FV 3/2024", 103}, {"FV 4/2024", 104}});
  // First shown row 10, top 11, cursor 1: element 2 of the array.
  list.state.first_visible = 10;
  list.state.top = 11;
  list.state.cursor = 1;

  EXPECT_EQ(Deliver(44, 231, list), 1231);

  ASSERT_EQ(check_calls.size(), 1u);
  EXPECT_EQ(check_calls[0].state, &list.state);
  EXPECT_EQ(check_calls[0].number, "FV 3/2024");
  EXPECT_EQ(check_calls[0].id, 103);
  ASSERT_EQ(host_calls.size(), 1u);
  const HostCall& call = host_calls[0];
  EXPECT_EQ(call.register_id, 'S');
  EXPECT_EQ(call.event, 231);
  EXPECT_EQ(call.arg2, 0xFFFE);
  EXPECT_EQ(call.arg3, -3);
  EXPECT_EQ(call.rows, list.rows.data());
  EXPECT_EQ(call.arg5, 5);
  EXPECT_EQ(call.state, &list.state);
  EXPECT_EQ(call.arg7, 7);
  EXPECT_EQ(call.arg8, -8);
  EXPECT_EQ(call.arg9, 9);
  EXPECT_EQ(call.arg10, 0xABCD);
  EXPECT_EQ(call.arg11, 11);
}

TEST_F(RegisterHookTest, CtrlOneOnPurchaseReadsTheIdentifierAt824) {
  RegisterList list(52, korpus_abi::kPurchaseRowIdOffset, {{"FZ 7/2024", 7007}, {"FZ 8/2024", 8008}});
  list.state.cursor = 1;

  EXPECT_EQ(Deliver(52, 231, list), 1231);

  ASSERT_EQ(check_calls.size(), 1u);
  EXPECT_EQ(check_calls[0].number, "FZ 8/2024");
  EXPECT_EQ(check_calls[0].id, 8008);
  ASSERT_EQ(host_calls.size(), 1u);
  EXPECT_EQ(host_calls[0].register_id, 'P');
}

TEST_F(RegisterHookTest, OtherEventsGoStraightToTheHostsHandler) {
  RegisterList list(44, korpus_abi::kSalesRowIdOffset, {{"FV 1/2024", 1}});
  for (std::int32_t event : {0, 13, 230, 232, 231 + 0x10000, -231}) {
    EXPECT_EQ(Deliver(44, event, list), 1000 + event);
  }
  EXPECT_TRUE(check_calls.empty());
  ASSERT_EQ(host_calls.size(), 6u);
  EXPECT_EQ(host_calls[3].event, 232);
  EXPECT_EQ(host_calls[4].event, 231 + 0x10000);
}

TEST_F(RegisterHookTest, ExceptionFromTheCheckPassesAndSkipsTheHostsHandler) {
  RegisterList list(44, korpus_abi::kSalesRowIdOffset, {{"FV 1/2024", 1}});
  check_throws = true;
  EXPECT_THROW(Deliver(44, 231, list), std::runtime_error);
  EXPECT_EQ(check_calls.size(), 1u);
  EXPECT_TRUE(host_calls.empty());
}

TEST_F(RegisterHookTest, CtrlOneOnAnEmptyRegisterChecksNothing) {
  RegisterList list(52, korpus_abi::kPurchaseRowIdOffset, {});
  list.rows.push_back(nullptr);
  EXPECT_EQ(Deliver(52, 231, list), 1231);
  EXPECT_TRUE(check_calls.empty());
  EXPECT_EQ(host_calls.size(), 1u);
}

// A list without rows, without its state, or with the cursor above the
// first row has no current invoice: nothing is checked, the event goes on.
TEST_F(RegisterHookTest, CtrlOneWithoutACurrentRowChecksNothing) {
  RegisterList list(44, korpus_abi::kSalesRowIdOffset, {{"FV 1/2024", 1}});
  list.state.first_visible = 1;  // top 0, cursor 0: row -1
  const struct {
    const char* what;
    void** rows;
    ListState* state;
  } cases[] = {{"no rows", nullptr, &list.state}, {"no state", list.rows.data(), nullptr},
               {"cursor above the rows", list.rows.data(), &list.state}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    host_calls.clear();
    EXPECT_EQ(Table(44).list_handler(231, 0, 0, c.rows, 0, c.state, 0, 0, 0, 0, 0), 1231);
    EXPECT_TRUE(check_calls.empty());
    ASSERT_EQ(host_calls.size(), 1u);
    EXPECT_EQ(host_calls[0].rows, c.rows);
  }
}

// A register that had no handler of its own before the load: the check
// runs and the event ends with 0.
TEST_F(RegisterHookTest, RegisterWithoutAHostHandlerStillChecks) {
  ASSERT_EQ(host::PluginEntry(nullptr, nullptr), 0);
  Table(52).list_handler = nullptr;
  ASSERT_EQ(host::PluginEntry(kContext, nullptr), 0);
  RegisterList list(52, korpus_abi::kPurchaseRowIdOffset, {{"FZ 7/2024", 7007}});

  EXPECT_EQ(Deliver(52, 231, list), 0);

  ASSERT_EQ(check_calls.size(), 1u);
  EXPECT_EQ(check_calls[0].id, 7007);
  EXPECT_TRUE(host_calls.empty());
}

}  // namespace

// The check that Ctrl-1 starts, in place of the real one.
void host::RunCheck(const ListState* state, const char* invoice_number, std::int32_t invoice_id) {
  check_calls.push_back({state, invoice_number, invoice_id});
  if (check_throws) throw std::runtime_error("the check failed");
}
