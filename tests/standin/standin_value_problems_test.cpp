// Values of a user's database that the host's records cannot hold: a new
// database refuses them when they are inserted; an older one's are named,
// and never delivered as another value.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "abi/codepage.h"
#include "standin/tables/database_check.h"
#include "standin/tables/store.h"
#include "standin/tables/value_problems.h"
#include "tests/support/legacy_database.h"

namespace standin::tables {
namespace {

namespace fs = std::filesystem;

TEST(TextFault, NamesTheFirstOfInvalidUtf8TooLongAndNoMazovia) {
  struct Case {
    std::string bytes;
    std::size_t width;
    std::optional<ValueFault> fault;
  };
  const Case cases[] = {
      {"Śruba", 17, std::nullopt},
      {std::string(16, 'x'), 17, std::nullopt},
      {std::string(17, 'x'), 17, ValueFault::TooLong},
      {"ąąąąąąąąąąąąąąąą", 17, std::nullopt},  // 16 characters in 32 bytes
      {"Bałwan ☃", 17, ValueFault::NoMazovia},
      {std::string(20, 'x') + "☃", 17, ValueFault::TooLong},
      {"A\xFF", 17, ValueFault::NotText},
      {"\xC0\xAF", 17, ValueFault::NotText},      // overlong '/'
      {"\xED\xA0\x80", 17, ValueFault::NotText},  // a surrogate
      {"\xE0\x80\xAF", 17, ValueFault::NotText},  // overlong in three bytes
      {"\xF0\x80\x80\xAF", 17, ValueFault::NotText},  // and in four
      {"\xF4\x90\x80\x80", 17, ValueFault::NotText},  // beyond U+10FFFF
      {"\xC5", 17, ValueFault::NotText},          // cut short
      {std::string("A\0B", 3), 17, ValueFault::NotText},
      {"", 17, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TextFault(c.bytes, c.width), c.fault) << c.bytes;
  }
}

// Every character of the two-byte range, where the Polish letters lie, and
// every character of the code page: a text of one is in Mazovia exactly when
// the code page has a byte for it.
TEST(TextFault, KnowsEveryCharacterThatMazoviaHas) {
  std::vector<char32_t> characters;
  for (char32_t ch = 1; ch < 0x800; ++ch) characters.push_back(ch);
  for (std::uint8_t byte = 0x80; byte != 0; ++byte) characters.push_back(codepage::MazoviaToUnicode(byte));
  characters.push_back(U'☃');
  characters.push_back(U'€');
  int in_mazovia = 0;
  for (const char32_t ch : characters) {
    std::string text;
    codepage::AppendUtf8(text, ch);
    const bool has = codepage::UnicodeToMazovia(ch) >= 0;
    in_mazovia += has ? 1 : 0;
    EXPECT_EQ(TextFault(text, 0), has ? std::nullopt : std::optional{ValueFault::NoMazovia})
        << "U+" << std::hex << static_cast<std::uint32_t>(ch);
  }
  EXPECT_GT(in_mazovia, 0x80 + 18) << "the Polish letters and ASCII at least";
}

class ValueProblems : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("prufacja-values-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    SetProblemSink([this](const ValueProblem& problem) { named_.push_back(problem); });
  }
  void TearDown() override {
    SetProblemSink(nullptr);
    fs::remove_all(folder_);
  }
  fs::path File() const { return folder_ / "firma.db"; }

  fs::path folder_;
  std::vector<ValueProblem> named_;
};

using Seen = std::tuple<std::string, std::int64_t, std::string, ValueFault, Consequence>;

std::vector<Seen> SeenOf(const std::vector<ValueProblem>& problems) {
  std::vector<Seen> seen;
  for (const ValueProblem& p : problems) seen.emplace_back(p.table, p.rowid, p.column, p.fault, p.consequence);
  return seen;
}

TEST_F(ValueProblems, TheCheckOfADatabaseListsEveryKindOnce) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(File(), testing_support::kOneOfEachKindSql), "");
  const std::vector<ValueProblem> problems = CheckDatabase(File());
  EXPECT_EQ(SeenOf(problems),
            (std::vector<Seen>{
                {"invoices", 3000000000, "id", ValueFault::OutOfRange, Consequence::LeaveOut},
                {"invoice_positions", 1, "quantity", ValueFault::OutOfRange, Consequence::RefuseCheck},
                {"invoice_positions", 2, "quantity", ValueFault::TextForNumber, Consequence::RefuseCheck},
                {"invoice_positions", 3, "quantity", ValueFault::RealForInteger, Consequence::RefuseCheck},
                {"invoice_positions", 4, "name", ValueFault::Null, Consequence::RefuseCheck},
                {"invoice_positions", 5, "name", ValueFault::NotText, Consequence::RefuseCheck},
                {"invoice_positions", 7, "name", ValueFault::TooLong, Consequence::Cut},
                {"invoice_positions", 8, "name", ValueFault::NoMazovia, Consequence::Replace},
                {"goods", 2, "id", ValueFault::OutOfRange, Consequence::LeaveOut},
                {"codes", 1, "factor", ValueFault::RealForInteger, Consequence::LeaveOut},
            }));
  ASSERT_EQ(problems.size(), 10u);
  EXPECT_EQ(Describe(problems[1]),
            "invoice_positions rowid 1 (invoice_id 1, line 1), quantity = 1000000000000: out of range "
            "-2147483648..2147483647; the check of that invoice is refused");
  EXPECT_EQ(Describe(problems[5]),
            "invoice_positions rowid 5 (invoice_id 1, line 5), name = x'41FF': not UTF-8 text; the check of that "
            "invoice is refused");
  EXPECT_TRUE(named_.empty()) << "the check only lists";
}

// A user's tool that wrote with the tables' checks off: a register that
// is neither, none at all, a NIP that is none, a catalogue out of range.
TEST_F(ValueProblems, TheCheckNamesRegistersAndCataloguesThatNoRecordCanHold) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(File(),
                                                "PRAGMA ignore_check_constraints = 1;"
                                                "INSERT INTO invoices VALUES (5, 'zakup', 'FZ 5', '2024-01-05', 'H');"
                                                "INSERT INTO invoices VALUES (6, NULL, 'FZ 6', '2024-01-06', 'H');"
                                                "ALTER TABLE invoices ADD COLUMN nip TEXT;"
                                                "INSERT INTO invoices VALUES (7, 'purchase', 'FZ 7', '', 'H', "
                                                "'526-025-02-74'), (8, 'purchase', 'FZ 8', '', 'H', '5260250274');"
                                                "INSERT INTO catalogues VALUES (70000, 'Duży', 2);"),
            "");
  const std::vector<ValueProblem> problems = CheckDatabase(File());
  EXPECT_EQ(SeenOf(problems), (std::vector<Seen>{
                                  {"invoices", 5, "register", ValueFault::OutOfRange, Consequence::LeaveOut},
                                  {"invoices", 6, "register", ValueFault::Null, Consequence::LeaveOut},
                                  {"invoices", 7, "nip", ValueFault::NotANip, Consequence::CompareByName},
                                  {"catalogues", 70000, "number", ValueFault::OutOfRange, Consequence::LeaveOut},
                                  {"catalogues", 70000, "searched", ValueFault::OutOfRange, Consequence::LeaveOut},
                              }));
  ASSERT_EQ(problems.size(), 5u);
  EXPECT_NE(Describe(problems[0]).find("register = 'zakup'"), std::string::npos) << Describe(problems[0]);
  EXPECT_NE(Describe(problems[3]).find("catalogues rowid 70000 (number 70000), number = 70000"), std::string::npos)
      << Describe(problems[3]);
}

// A problem shows its value as a user's SQLite tool would take it back:
// bytes in hex, whole UTF-8 characters as they are, every other byte as
// \xNN, and long values cut with "...". A number in a text column is
// its digits, no problem.
TEST_F(ValueProblems, AValueIsShownSoThatItCanBeFound) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(
                File(),
                "INSERT INTO goods VALUES (1, 1, zeroblob(31), 'S1');"
                "INSERT INTO goods VALUES (1, 2, 'A' || char(1) || char(127) || 'ł' || char(128049), 'S2');"
                "INSERT INTO goods VALUES (1, 3, 12345, 'S3');"
                "INSERT INTO goods VALUES (1, 4, printf('%.*c', 130, 'x'), 'S4');"
                "INSERT INTO goods VALUES (1, 5, CAST(x'41FF42' AS TEXT), 'S5');"),
            "");
  std::string all;
  for (const ValueProblem& problem : CheckDatabase(File())) all += Describe(problem) + "\n";
  for (const std::string& shown : {"name = x'" + std::string(60, '0') + "...'", std::string("name = 'A\\x01\\x7Fł🐱'"),
                                  "name = '" + std::string(60, 'x') + "...'", std::string("name = 'A\\xFFB'")}) {
    EXPECT_NE(all.find(shown), std::string::npos) << shown << " in\n" << all;
  }
  EXPECT_EQ(all.find("12345"), std::string::npos) << all;
}

TEST_F(ValueProblems, ADatabaseOfTheCurrentSchemaHasNone) {
  {
    auto store = OpenDatabase(File());
    const std::int64_t id = store->AddInvoice({0, Register::Sales, "FV 9", "2024-01-01", "Hurt", "5260250274"});
    store->AddPosition({id, 0, "Żelazko", "ZEL", 1500});
    store->AddCodes(std::vector<CodeRow>{{"K1", 12000, "ZEL", 0, 0}});
  }
  EXPECT_TRUE(CheckDatabase(File()).empty());
  EXPECT_THROW(CheckDatabase(folder_ / "none.db"), StoreError);
}

// Each kind, inserted into a new database by a user's tool: SQLite itself
// refuses it, with its own message.
TEST_F(ValueProblems, ANewDatabaseRefusesEveryKindWhenItIsInserted) {
  OpenDatabase(File());
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(File().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, "INSERT INTO invoices VALUES (1, 'sales', 'FV 1', '', '', NULL)", nullptr, nullptr, nullptr),
            SQLITE_OK);
  struct Case {
    const char* sql;
    const char* message;
  };
  const Case cases[] = {
      {"INSERT INTO invoice_positions VALUES (1, 1, 'Nit', 'N1', 1000000000000)", "CHECK constraint failed"},
      {"INSERT INTO invoice_positions VALUES (1, 1, 'Nit', 'N1', 'abc')", "cannot store TEXT value in INTEGER"},
      {"INSERT INTO invoice_positions VALUES (1, 1, 'Nit', 'N1', 2.7)", "cannot store REAL value in INTEGER"},
      {"INSERT INTO invoice_positions VALUES (1, 1, NULL, 'N1', 1000)", "NOT NULL constraint failed"},
      {"INSERT INTO invoice_positions VALUES (1, 1, X'41FF', 'N1', 1000)", "cannot store BLOB value in TEXT"},
      {"INSERT INTO invoice_positions VALUES (1, 1, 'Nit', '12345678901234567', 1000)", "CHECK constraint failed"},
      {"INSERT INTO goods VALUES (1, 70000, 'Towar', 'T2')", "CHECK constraint failed"},
      {"INSERT INTO codes VALUES ('C1', 2.5, 'T1', 1, 1)", "cannot store REAL value in INTEGER"},
      {"INSERT INTO catalogues VALUES (1, 'K', 2)", "CHECK constraint failed"},
      {"INSERT INTO invoices VALUES (3000000000, 'sales', 'FV 3', '', '', NULL)", "CHECK constraint failed"},
      {"INSERT INTO invoices VALUES (4, 'returns', 'FV 4', '', '', NULL)", "CHECK constraint failed"},
      {"INSERT INTO invoices VALUES (5, 'sales', 'FV 5', '', '', '526-025-02-74')", "CHECK constraint failed"},
  };
  for (const Case& c : cases) {
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db, c.sql, nullptr, nullptr, &error), SQLITE_CONSTRAINT) << c.sql;
    EXPECT_NE(std::string(error != nullptr ? error : "").find(c.message), std::string::npos)
        << c.sql << ": " << (error != nullptr ? error : "");
    sqlite3_free(error);
  }
  sqlite3_close(db);
}

std::vector<std::string> Names(std::unique_ptr<RowCursor> cursor, Step* last = nullptr) {
  std::vector<std::string> names;
  RowView row;
  Step step = cursor->Next(row);
  for (; step == Step::Row; step = cursor->Next(row)) {
    names.emplace_back(!row.code.empty() ? row.code : row.name);
  }
  if (last != nullptr) *last = step;
  return names;
}

// What an older database's values lead to when the store delivers them.
TEST_F(ValueProblems, AnOlderDatabaseDeliversNoValueChanged) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(File(), testing_support::kOneOfEachKindSql), "");
  const auto store = OpenDatabase(File());

  // FV 3's id does not fit the register row: it is not listed.
  std::vector<std::string> numbers;
  for (const InvoiceRow& invoice : store->ListInvoices(Register::Sales)) numbers.push_back(invoice.number);
  EXPECT_EQ(numbers, (std::vector<std::string>{"FV 1", "FV 2"}));
  ASSERT_EQ(named_.size(), 1u);
  EXPECT_EQ(named_[0].table, "invoices");
  EXPECT_EQ(named_[0].key, "number 'FV 3'");

  // FV 1's positions fail at the first value they cannot deliver.
  named_.clear();
  Step last = Step::Row;
  EXPECT_TRUE(Names(store->ScanPositions(Register::Sales, 1), &last).empty());
  EXPECT_EQ(last, Step::Failed);
  ASSERT_EQ(named_.size(), 1u);
  EXPECT_EQ(named_[0].consequence, Consequence::RefuseCheck);
  // A refusal is told again each time.
  Names(store->ScanPositions(Register::Sales, 1));
  EXPECT_EQ(named_.size(), 2u);

  // FV 2's texts come whole as the store holds them; the records cut them.
  named_.clear();
  EXPECT_EQ(Names(store->ScanPositions(Register::Sales, 2), &last).size(), 3u);
  EXPECT_EQ(last, Step::End);
  EXPECT_EQ(SeenOf(named_), (std::vector<Seen>{{"invoice_positions", 7, "name", ValueFault::TooLong, Consequence::Cut},
                                               {"invoice_positions", 8, "name", ValueFault::NoMazovia,
                                                Consequence::Replace}}));
  // Told once.
  Names(store->ScanPositions(Register::Sales, 2));
  EXPECT_EQ(named_.size(), 2u);

  // The goods of id 70000 and the code of factor 2.5 are left out.
  named_.clear();
  EXPECT_EQ(Names(store->ScanGoods(1, std::numeric_limits<std::int64_t>::min())), (std::vector<std::string>{"Taśma"}));
  EXPECT_EQ(Names(store->ScanCodes()), (std::vector<std::string>{"C2"}));
  EXPECT_EQ(SeenOf(named_), (std::vector<Seen>{{"goods", 2, "id", ValueFault::OutOfRange, Consequence::LeaveOut},
                                               {"codes", 1, "factor", ValueFault::RealForInteger,
                                                Consequence::LeaveOut}}));
}

}  // namespace
}  // namespace standin::tables
