// The stored documents in the host program: the documents view and its
// viewer, --export-document, and the keys' help under F1.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "standin/tables/store.h"
#include "tests/support/korpus_folder.h"
#include "tests/support/legacy_database.h"
#include "tests/support/program_run.h"

namespace {

namespace fs = std::filesystem;
using testing_support::Outcome;

// A check of FV 1/2024 that counts one position and stores its report.
constexpr const char* kCheckAndReport =
    "answer tick\nkey Ctrl-1\ntype TSM-48\nkey Enter\nkey Enter\nkey F5\nkey Esc\n";

// The report's header line with the word in Windows-1250, and a position
// line with its name in Mazovia, both as a person reads them.
constexpr const char* kHeaderLine =
    "|                               |                 |               |               |       Ilość |";
constexpr const char* kPositionStart = "| Śruba sześciokątna ocynkowana |        SRB-8X40 |";

class DocumentsTest : public testing_support::KorpusFolder {
 protected:
  Outcome Export(std::vector<std::string> args) {
    args.insert(args.begin(), {KORPUS_PROGRAM, "--db", "firma.db", "--export-document"});
    return testing_support::RunProgram(dir_, std::move(args));
  }
  // Lines of a report: four of the header, one a position, the bottom rule.
  static std::ptrdiff_t Lines(const standin::DocumentRow& report) {
    return static_cast<std::ptrdiff_t>((report.content.size() - 493) / 99 + 5);
  }
  // Runs SQL on the database before korpus first opens it.
  void Prepare(const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((dir_ / "firma.db").c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
  }
  std::vector<standin::DocumentRow> Stored() { return standin::OpenDatabase(dir_ / "firma.db")->Documents(); }

  // The screen that the n-th `screen` command printed.
  static std::string Screen(const std::string& out, int n) {
    std::size_t at = 0;
    for (int i = 0; i <= n; ++i) {
      at = out.find("--- screen ", at);
      if (at == std::string::npos) return {};
      if (i < n) ++at;
    }
    const std::size_t end = out.find("--- end of screen ---", at);
    return out.substr(at, end == std::string::npos ? std::string::npos : end - at);
  }

};

TEST_F(DocumentsTest, TheViewListsWhatChecksStoredAndShowsEachPartInItsCodePage) {
  ASSERT_EQ(Korpus(std::string(kCheckAndReport) + "quit\n").exit_code, 0);
  const Outcome run = Korpus(
      "key Tab\nkey Ctrl-1\nkey F5\nkey Esc\n"  // a report of the purchase register's first invoice
      "key F3\nscreen\nkey Up\nkey Enter\nscreen\nkey Esc\nkey Esc\nscreen\n"
      "register documents\nquit\n");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::vector<standin::DocumentRow> stored = Stored();
  ASSERT_EQ(stored.size(), 2u);

  const std::string list = Screen(run.out, 0);
  EXPECT_NE(list.find("Dokumenty"), std::string::npos) << list;
  const std::string first_row = "     1  " + stored[0].stored_at + "  raport   FV 1/2024 (sprzedaż)";
  EXPECT_NE(list.find(first_row), std::string::npos) << list;
  EXPECT_NE(list.find(std::to_string(stored[0].content.size()) + "\n"), std::string::npos) << list;
  EXPECT_NE(list.find("     2  " + stored[1].stored_at + "  raport   FZ 101/2024 (zakup)"), std::string::npos) << list;

  const std::string viewer = Screen(run.out, 1);
  EXPECT_NE(viewer.find("Dokument 1 (raport, FV 1/2024 (sprzedaż))"), std::string::npos) << viewer;
  EXPECT_NE(viewer.find(std::string("\n") + kHeaderLine + "\n"), std::string::npos) << viewer;
  EXPECT_NE(viewer.find(std::string("\n") + kPositionStart), std::string::npos) << viewer;
  EXPECT_NE(viewer.find("wiersz 1 z " + std::to_string(Lines(stored[0]))), std::string::npos) << viewer;

  EXPECT_NE(Screen(run.out, 2).find("Zakup - Faktury krajowe (VAT)"), std::string::npos);
  // Back in the view, the document last looked at is current again.
  EXPECT_NE(run.out.find("documents: row 1 of 2, document 1\n"), std::string::npos) << run.out;
}

TEST_F(DocumentsTest, ADocumentNamesTheInvoiceWhoseCheckStoredIt) {
  ASSERT_EQ(Korpus(std::string("answer tick\nselect FV 3/2024\n") + "key Ctrl-1\nkey F5\nkey Esc\nquit\n").exit_code,
            0);
  const std::vector<standin::DocumentRow> stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  const auto invoice = standin::OpenDatabase(dir_ / "firma.db")->FindInvoice(stored[0].invoice_id);
  ASSERT_TRUE(invoice.has_value());
  EXPECT_EQ(invoice->number, "FV 3/2024");
}

TEST_F(DocumentsTest, ExportWritesTheStoredBytesOrTheTextInUtf8) {
  ASSERT_EQ(Korpus(std::string(kCheckAndReport) + "quit\n").exit_code, 0);
  const std::vector<standin::DocumentRow> stored = Stored();
  ASSERT_EQ(stored.size(), 1u);

  const Outcome to_file = Export({"1", "raport.txt"});
  EXPECT_EQ(to_file.exit_code, 0) << to_file.err;
  const std::string bytes = testing_support::ReadBytes(dir_ / "raport.txt");
  EXPECT_EQ(bytes, std::string(stored[0].content.begin(), stored[0].content.end()));

  const Outcome printed = Export({"1", "-"});
  EXPECT_EQ(printed.exit_code, 0) << printed.err;
  EXPECT_NE(printed.out.find(std::string("\n") + kHeaderLine + "\n"), std::string::npos) << printed.out;
  EXPECT_NE(printed.out.find(std::string("\n") + kPositionStart), std::string::npos) << printed.out;
  EXPECT_EQ(printed.out.find('\r'), std::string::npos);
  // The bottom rule ends the stored file without a line end; printed, it has one.
  EXPECT_EQ(std::count(printed.out.begin(), printed.out.end(), '\n'), Lines(stored[0]));
  EXPECT_TRUE(printed.out.ends_with("|\n")) << printed.out;
}

TEST_F(DocumentsTest, ExportRefusals) {
  ASSERT_EQ(Korpus("answer tick\nquit\n").exit_code, 0);
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    const char* message;
  };
  const Case cases[] = {
      {{"1", "out.txt"}, 1, "korpus: firma.db holds no document 1\n"},
      {{"0", "out.txt"}, 2, "--export-document: '0' is not a document number\n"},
      {{"abc", "-"}, 2, "--export-document: 'abc' is not a document number\n"},
      {{"1"}, 2, "--export-document"},
  };
  for (const Case& c : cases) {
    const Outcome run = Export(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code) << c.args[0];
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir_ / "out.txt"));
  }
  const Outcome no_database =
      testing_support::RunProgram(dir_, {KORPUS_PROGRAM, "--db", "brak.db", "--export-document", "1", "-"});
  EXPECT_EQ(no_database.exit_code, 2);
  EXPECT_EQ(no_database.err, "korpus: no database brak.db\n");
  EXPECT_FALSE(fs::exists(dir_ / "brak.db"));
}

TEST_F(DocumentsTest, ExportTakesTheDocumentOfItsNumberAndSaysWhenTheFileCannotBeWritten) {
  ASSERT_EQ(Korpus("answer tick\nquit\n").exit_code, 0);
  {
    const auto store = standin::OpenDatabase(dir_ / "firma.db");
    for (const std::string text : {"pierwszy\r\n", "drugi\r\n"}) {
      standin::DocumentRow document;
      document.kind = 5;
      document.stored_at = "2024-05-01 10:00:00";
      document.content.assign(text.begin(), text.end());
      store->AddDocument(document);
    }
  }
  const Outcome first = Export({"1", "-"});
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_EQ(first.out, "pierwszy\n");
  const Outcome unwritable = Export({"2", "brak/drugi.txt"});
  EXPECT_EQ(unwritable.exit_code, 2);
  EXPECT_EQ(unwritable.err, "korpus: cannot write brak/drugi.txt\n");
}

// A database made before documents named their invoice gets the column;
// its documents name none.
TEST_F(DocumentsTest, AnOlderDatabasesDocumentsNameNoInvoice) {
  Prepare(std::string(testing_support::kLegacySchemaSql) +
          "INSERT INTO documents VALUES (7, 11, 'Niezgodnosci.txt', '2024-01-01 10:00:00', 'x');");
  const Outcome run = Korpus("answer tick\nkey F3\nscreen\nquit\n");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("     7  2024-01-01 10:00:00  raport   -  "), std::string::npos) << run.out;
  const std::vector<standin::DocumentRow> stored = Stored();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].invoice_id, 0);
}

// Documents that SQLite fails to read: a box, and the register stays.
TEST_F(DocumentsTest, UnreadableDocumentsLeaveTheRegisterAsItWas) {
  Prepare("CREATE VIEW documents (id, kind, name, stored_at, content, invoice_id) AS "
          "SELECT 1, 11, 'x', 't', x'00', abs(-9223372036854775808);");
  const Outcome keys = Korpus("answer tick\nkey F3\nscreen\nquit\n");
  EXPECT_EQ(keys.exit_code, 0) << keys.err;
  EXPECT_NE(keys.out.find("box notice Błąd\n| Nie można odczytać dokumentów.\n"), std::string::npos) << keys.out;
  EXPECT_NE(keys.out.find("Sprzedaż - Faktury krajowe (VAT)"), std::string::npos) << keys.out;
  const Outcome command = Korpus("register documents\nquit\n");
  EXPECT_EQ(command.exit_code, 1);
  EXPECT_NE(command.err.find("register documents: the documents cannot be read"), std::string::npos) << command.err;
}

TEST_F(DocumentsTest, F1ShowsTheKeysOfEachScreenAndTheWorkGoesOn) {
  const Outcome run = Korpus(
      "answer tick\nkey F1\nkey F3\nkey F1\nkey Esc\nkey Ctrl-1\nkey F1\ntype SRB-8X40\nkey Enter\nkey Enter\nscreen\n"
      "key Esc\nquit\n");
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::size_t registers = run.out.find("box notice Pomoc\n| Ctrl-1, F2, Alt-1   sprawdź bieżącą fakturę\n");
  const std::size_t documents = run.out.find("box notice Pomoc\n| Strzałki, PgUp,     wybierz dokument\n");
  const std::size_t dialog =
      run.out.find("box notice Pomoc\n| Symbol towaru     wpisz lub zeskanuj symbol, potem Enter\n");
  ASSERT_NE(registers, std::string::npos) << run.out;
  ASSERT_NE(documents, std::string::npos) << run.out;
  ASSERT_NE(dialog, std::string::npos) << run.out;
  EXPECT_LT(registers, documents);
  EXPECT_LT(documents, dialog);
  // The symbol field kept the focus: the typed goods were counted.
  EXPECT_NE(run.out.find("│SRB-8X40        │10.00         │10.00         │        OK"), std::string::npos)
      << run.out;
}

}  // namespace
