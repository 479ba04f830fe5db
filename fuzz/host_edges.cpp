// Targets of what the host hands the plug-in: the register's list events
// with their row arrays and counters, and the database's rows of any
// values and types through the SQLite store.
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "app/register_list.h"
#include "fuzz/checks.h"
#include "fuzz/targets.h"
#include "host/registration.h"
#include "standin/ini/ini_access.h"
#include "standin/tables/database_check.h"
#include "standin/tables/sqlite_values.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/tables/value_problems.h"
#include "tests/support/check_harness.h"
#include "tests/support/legacy_database.h"

namespace fuzz {

namespace {

namespace key = app::list_key;

// What a register's list receives from the keyboard: the moves, Ctrl-1
// and its neighbours Ctrl-0, Ctrl-2 and Ctrl-9, the keys that the host's
// own list answers (Tab, Esc, F3), keys it ignores, and values no keyboard
// gives. The first seven keep their places: the seeds count on them. One
// event in 32 starts a check; the check's own edges have targets of their
// own.
constexpr std::int32_t kListEvents[] = {
    key::kUp,    key::kDown,  key::kPageUp, key::kPageDown, key::kHome,      key::kEnd,       key::kCtrl1,
    key::kEnter, key::kEsc,   'x',          key::kTab,      key::kF3,        0,               -1,
    key::kCtrl1 - 1, key::kCtrl1 + 1, key::kCtrl1 + 8, 0x4B00 /* Left */, 0x4D00 /* Right */,
    0x7700 /* Ctrl-Home */, 0x7500 /* Ctrl-End */, 0x8400 /* Ctrl-PgUp */, 0x7600 /* Ctrl-PgDn */,
    0x5200 /* Ins */, 0x5300 /* Del */, 0x3B00 /* F1 */, 0x3C00 /* F2 */, 0x3E00 /* F4 */, 0x2D00 /* Alt-X */,
    ' ', std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::min()};
static_assert(std::size(kListEvents) == 32);

constexpr int kMostChecks = 8;

}  // namespace

// The first byte: the register's invoices (0..63); the second: its page
// rows (1..64); the third: sales or purchase; then one list event a byte
// (moves, Ctrl-1, others). Each Ctrl-1 checks the current invoice through
// the plug-in's handler: the check it starts is of that invoice.
std::string RegisterEvents(Input input) {
  if (input.size() < 3) return "";
  static reliability::WorkingDirectory directory;
  KeepIniFilesInMemory();
  directory.ClearCheckFiles();
  reliability::World world = reliability::UseSmallWorld();
  const bool purchase = (input[2] & 1) != 0;
  const auto kind = purchase ? standin::Register::Purchase : standin::Register::Sales;
  std::vector<standin::InvoiceRow> invoices;
  for (int i = 0; i < input[0] % 64; ++i) {
    standin::InvoiceRow invoice{0, kind, "F " + std::to_string(i) + "/" + std::string(i % 40, 'x'), "2024-01-01", ""};
    invoice.id = world.store->AddInvoice(invoice);
    world.store->AddPosition({invoice.id, 0, "Nit", "N1", 1000 * (i + 1)});
    invoices.push_back(invoice);
  }
  app::RegisterList list(kind, invoices, 1 + input[1] % 64);
  const std::int32_t table = purchase ? korpus_abi::kPurchaseRegister : korpus_abi::kSalesRegister;
  standin::tables::SetListHandler(table, &app::RegisterList::HostHandler);
  host::registration::ResetForTests();
  if (!host::registration::CheckTables()) return "the registers were refused";

  reliability::User user;
  user.picture_every = 16;
  std::string fault;
  int checks = 0;
  for (std::size_t at = 3; at < input.size() && fault.empty(); ++at) {
    const std::int32_t event = kListEvents[input[at] % std::size(kListEvents)];
    // A ninth check of one register tells no more than the eighth, and the
    // fuzzer's counts of hits would favour inputs full of them.
    if (event == key::kCtrl1 && ++checks > kMostChecks) continue;
    // Only a check leaves files, and with the INI files in memory only
    // there; what reaches the disk goes before the next input.
    if (event == key::kCtrl1) {
      standin::testing::ForgetIniFiles();
      standin::testing::ClearMemoryIniFiles();
    }
    list.Deliver(event);
    standin::FlushIniFiles();
    if (event != key::kCtrl1 || list.size() == 0) continue;
    const std::string saved = IniFile("Niezgodnosci.ini");
    const std::string number = codepage::Utf8ToMazovia(list.invoice(list.current()).number).substr(0, 32);
    if (saved.find("Nr fakt.=" + number + "\r\n") == std::string::npos) {
      fault = "Ctrl-1 checked another invoice than the current " + list.invoice(list.current()).number;
    }
  }
  host::registration::Withdraw();
  host::registration::ResetForTests();
  standin::tables::SetListHandler(table, standin::tables::DefaultListHandler());
  if (fault.empty() && !user.faults().empty()) fault = user.faults().front();
  return fault;
}

namespace {

// A value of any SQLite type from the input.
void BindValue(sqlite3_stmt* s, int parameter, Input& input) {
  auto take = [&input]() -> std::uint8_t {
    if (input.empty()) return 0;
    const std::uint8_t byte = input[0];
    input = input.subspan(1);
    return byte;
  };
  const std::uint8_t tag = take();
  switch (tag % 6) {
    case 0: sqlite3_bind_null(s, parameter); break;
    case 1: {
      std::int64_t value = 0;
      for (int i = 0; i < 8; ++i) value = value << 8 | take();
      // Mostly small numbers, so that rows match each other.
      sqlite3_bind_int64(s, parameter, (tag & 0x80) != 0 ? value : value % 8);
      break;
    }
    case 2: sqlite3_bind_double(s, parameter, static_cast<double>(static_cast<std::int8_t>(take())) / 4.0); break;
    case 3:
    case 4: {
      const std::size_t length = std::min<std::size_t>(take() % 140, input.size());
      sqlite3_bind_text(s, parameter, reinterpret_cast<const char*>(input.data()), static_cast<int>(length),
                        SQLITE_TRANSIENT);
      input = input.subspan(length);
      break;
    }
    default: {
      const std::size_t length = std::min<std::size_t>(take() % 16, input.size());
      sqlite3_bind_blob(s, parameter, input.data(), static_cast<int>(length), SQLITE_TRANSIENT);
      input = input.subspan(length);
      break;
    }
  }
}

constexpr const char* kInserts[] = {
    "INSERT INTO invoices VALUES (?1, ?2, ?3, ?4, ?5)",
    "INSERT INTO invoice_positions VALUES (?1, ?2, ?3, ?4, ?5)",
    "INSERT INTO catalogues VALUES (?1, ?2, ?3)",
    "INSERT INTO goods VALUES (?1, ?2, ?3, ?4)",
    "INSERT INTO codes VALUES (?1, ?2, ?3, ?4, ?5)",
};
constexpr int kParameters[] = {5, 5, 3, 4, 5};

bool InRange(std::int64_t value, std::int64_t low, std::int64_t high) { return value >= low && value <= high; }

}  // namespace

// Rows of an older database (no STRICT, no ranges): each starts with a
// byte that chooses its table, then its values, each of any type. The
// store must deliver no value changed: what it hands over is in range and
// UTF-8, and a position that `--check-db` finds unusable fails its scan.
std::string DatabaseRows(Input input) {
  // One file for the whole run, in memory where there is /dev/shm; each
  // input replaces its rows in one transaction, which the store's kept
  // scans see as another program's commit.
  // Removed when the process ends.
  struct ScratchFile {
    std::filesystem::path path;
    ~ScratchFile() {
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  };
  static const ScratchFile scratch{[] {
    const std::filesystem::path shm = "/dev/shm";
    const auto base = std::filesystem::is_directory(shm) ? shm : std::filesystem::temp_directory_path();
    const auto path = base / ("prufacja-fuzz-rows-" + std::to_string(::getpid()) + ".db");
    std::filesystem::remove(path);
    testing_support::MakeLegacyDatabase(path, "");
    return path;
  }()};
  static const std::filesystem::path& file = scratch.path;
  static sqlite3* const db = [] {
    sqlite3* opened = nullptr;
    sqlite3_open(file.c_str(), &opened);
    sqlite3_exec(opened, "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;", nullptr, nullptr, nullptr);
    return opened;
  }();
  static const std::shared_ptr<standin::Store> store = standin::OpenDatabase(file);
  sqlite3_exec(db,
               "BEGIN; DELETE FROM invoices; DELETE FROM invoice_positions; DELETE FROM catalogues; "
               "DELETE FROM goods; DELETE FROM codes;",
               nullptr, nullptr, nullptr);
  while (!input.empty()) {
    const int table = input[0] % 5;
    input = input.subspan(1);
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, kInserts[table], -1, &s, nullptr);
    for (int p = 1; p <= kParameters[table]; ++p) BindValue(s, p, input);
    sqlite3_step(s);
    sqlite3_finalize(s);
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);

  std::vector<standin::tables::ValueProblem> listed;
  try {
    listed = standin::tables::CheckDatabase(file);
  } catch (const standin::StoreError& error) {
    return std::string("the check of the file failed: ") + error.what();
  }
  std::size_t told = 0;
  standin::tables::SetProblemSink([&told](const standin::tables::ValueProblem&) { ++told; });
  std::string fault;
  {
    namespace columns = standin::tables::columns;
    for (const auto kind : {standin::Register::Sales, standin::Register::Purchase}) {
      for (const standin::InvoiceRow& invoice : store->ListInvoices(kind)) {
        if (!InRange(invoice.id, columns::kInvoiceId.min, columns::kInvoiceId.max)) fault = "an invoice id out of range";
        if (!standin::tables::IsUtf8(invoice.number)) fault = "an invoice number that is not UTF-8";
        bool refused = false;
        for (const auto& problem : listed) {
          refused |= problem.table == "invoice_positions" &&
                     problem.consequence == standin::tables::Consequence::RefuseCheck && problem.key.starts_with(
                         "invoice_id " + std::to_string(invoice.id) + ",");
        }
        auto cursor = store->ScanPositions(kind, invoice.id);
        standin::RowView row;
        standin::Step step = cursor->Next(row);
        for (; step == standin::Step::Row; step = cursor->Next(row)) {
          if (!InRange(row.quantity, columns::kQuantity.min, columns::kQuantity.max)) fault = "a quantity out of range";
          if (!standin::tables::IsUtf8(row.name) || !standin::tables::IsUtf8(row.symbol)) fault = "a text not UTF-8";
        }
        if (refused && step != standin::Step::Failed) fault = "an unusable position was delivered";
      }
    }
    standin::RowView row;
    for (auto cursor = store->ScanCodes(); cursor->Next(row) == standin::Step::Row;) {
      if (!InRange(row.factor, columns::kFactor.min, columns::kFactor.max) ||
          !InRange(row.catalogue, 0, 65535) || !InRange(row.id, 0, 65535) || !standin::tables::IsUtf8(row.code)) {
        fault = "a code record delivered changed";
      }
    }
    for (auto cursor = store->ScanCatalogues(0); cursor->Next(row) == standin::Step::Row;) {
      if (!InRange(row.number, 0, 65535) || !InRange(row.searched, 0, 1)) fault = "a catalogue delivered changed";
      standin::RowView goods_row;
      for (auto goods = store->ScanGoods(row.number, 0); goods->Next(goods_row) == standin::Step::Row;) {
        if (!InRange(goods_row.id, 0, 65535) || !standin::tables::IsUtf8(goods_row.name)) {
          fault = "goods delivered changed";
        }
      }
    }
  }
  standin::tables::SetProblemSink(nullptr);
  if (fault.empty() && told > listed.size()) fault = "a value was named that the check of the file does not list";
  return fault;
}

}  // namespace fuzz
