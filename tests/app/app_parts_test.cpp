// The host program's parts: register lists as the host hands them to a
// list handler, the command line, and the demo database.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "app/demo_data.h"
#include "app/document_text.h"
#include "app/documents_view.h"
#include "app/options.h"
#include "app/register_list.h"
#include "app/script/key_names.h"
#include "app/script_source.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"

namespace {

using app::RegisterList;
namespace key = app::list_key;

std::vector<standin::InvoiceRow> Invoices(int count, std::int64_t first_id = 1) {
  std::vector<standin::InvoiceRow> rows;
  for (int i = 0; i < count; ++i) {
    rows.push_back({first_id + i, standin::Register::Sales, "FV " + std::to_string(i + 1) + "/2024", "2024-01-01",
                    "Nabywca"});
  }
  return rows;
}

// What a plug-in's handler sees of one event.
struct Seen {
  std::int32_t event;
  std::uint16_t table;
  std::int32_t first, top, cursor;
  std::string number;  // of the current row, UTF-8
  std::int32_t id;
  std::int32_t row_count;
};
std::vector<Seen> seen;
korpus_abi::ListHandler chained = nullptr;

template <std::size_t IdOffset>
std::int32_t KORPUS_CALLEE Spy(std::int32_t event, std::uint16_t arg2, std::int32_t arg3, void** rows,
                               std::int32_t arg5, korpus_abi::ListState* state, std::int32_t arg7, std::int32_t arg8,
                               std::int32_t arg9, std::uint16_t arg10, std::int32_t arg11) {
  Seen s{event, state->table_number, state->first_visible, state->top, state->cursor, "", 0, arg3};
  if (const auto* row = static_cast<const char*>(rows[state->top + state->cursor - state->first_visible])) {
    s.number = codepage::MazoviaToUtf8(row + korpus_abi::kRowNumberOffset);
    std::memcpy(&s.id, row + IdOffset, sizeof s.id);
  }
  seen.push_back(s);
  return chained(event, arg2, arg3, rows, arg5, state, arg7, arg8, arg9, arg10, arg11);
}

class RegisterListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::tables::Reset();
    standin::tables::SetListHandler(44, &RegisterList::HostHandler);
    standin::tables::SetListHandler(52, &RegisterList::HostHandler);
    seen.clear();
    chained = &RegisterList::HostHandler;
  }
  void TearDown() override { standin::tables::Reset(); }
};

TEST_F(RegisterListTest, KeysMoveTheCurrentRowAndScrollThePage) {
  RegisterList list(standin::Register::Sales, Invoices(40), 10);
  EXPECT_EQ(list.Deliver(key::kDown), 0);
  EXPECT_EQ(list.current(), 1u);
  list.Deliver(key::kPageDown);
  EXPECT_EQ(list.current(), 11u);
  EXPECT_EQ(list.top(), 2u);
  list.Deliver(key::kEnd);
  EXPECT_EQ(list.current(), 39u);
  EXPECT_EQ(list.top(), 30u);
  list.Deliver(key::kDown);
  EXPECT_EQ(list.current(), 39u);
  list.Deliver(key::kPageUp);
  EXPECT_EQ(list.current(), 29u);
  EXPECT_EQ(list.top(), 29u);
  list.Deliver(key::kHome);
  list.Deliver(key::kUp);
  EXPECT_EQ(list.current(), 0u);
  EXPECT_EQ(list.top(), 0u);
}

TEST_F(RegisterListTest, HandlerInTheTableObjectSeesTheCurrentSalesRow) {
  standin::tables::SetListHandler(44, &Spy<korpus_abi::kSalesRowIdOffset>);
  RegisterList list(standin::Register::Sales, Invoices(40, 500), 10);
  ASSERT_TRUE(list.Select("FV 25/2024"));  // row 24: the page shows 15..24

  list.Deliver(key::kCtrl1);

  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].table, 44);
  EXPECT_EQ(seen[0].first, 5);  // the array starts a page above the top
  EXPECT_EQ(seen[0].top, 15);
  EXPECT_EQ(seen[0].cursor, 9);
  EXPECT_EQ(seen[0].number, "FV 25/2024");
  EXPECT_EQ(seen[0].id, 524);
  EXPECT_EQ(seen[0].row_count, 36);  // rows 5..39 and the closing null
  ASSERT_EQ(list.received().size(), 1u) << "the host's own handler still does its work";
}

TEST_F(RegisterListTest, PurchaseRowsCarryTheIdentifierAt824) {
  standin::tables::SetListHandler(52, &Spy<korpus_abi::kPurchaseRowIdOffset>);
  auto invoices = Invoices(3, 70);
  invoices[1].number = "FZ 1/2024 Łódź";
  RegisterList list(standin::Register::Purchase, invoices, 10);
  list.Deliver(key::kDown);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].table, 52);
  EXPECT_EQ(seen[0].number, "FV 1/2024");
  EXPECT_EQ(seen[0].id, 70);
  EXPECT_EQ(list.current(), 1u);
  list.Deliver(0);
  EXPECT_EQ(seen[1].number, "FZ 1/2024 Łódź");
  EXPECT_EQ(seen[1].id, 71);
}

TEST_F(RegisterListTest, EmptyRegisterHandsOverOneNullRow) {
  standin::tables::SetListHandler(44, &Spy<korpus_abi::kSalesRowIdOffset>);
  RegisterList list(standin::Register::Sales, {}, 10);
  EXPECT_FALSE(list.Select("FV 1/2024"));
  list.Deliver(key::kDown);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].number, "");
  EXPECT_EQ(seen[0].row_count, 1);
  EXPECT_EQ(list.current(), 0u);
}

// ---------------------------------------------------------------------------

app::ParsedOptions Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "korpus");
  return app::ParseOptions(static_cast<int>(args.size()), args.data());
}

TEST(OptionsTest, EveryOptionReachesItsField) {
  const auto parsed = Parse({"--db", "firma.db", "--demo", "--script", "-", "--collector", "/mnt/kolektor",
                             "--table-version", "45=300", "--table-version", "49=-1", "--without-table", "53",
                             "--without-entry", "41399", "--no-load", "--trace-events"});
  ASSERT_TRUE(parsed.options);
  const app::Options& o = *parsed.options;
  EXPECT_EQ(o.database, "firma.db");
  EXPECT_TRUE(o.demo);
  EXPECT_EQ(o.script, "-");
  EXPECT_EQ(o.collector, "/mnt/kolektor");
  EXPECT_EQ(o.table_versions, (std::vector<std::pair<std::int32_t, std::int16_t>>{{45, 300}, {49, -1}}));
  EXPECT_EQ(o.missing_tables, std::vector<std::int32_t>{53});
  EXPECT_EQ(o.missing_entries, std::vector<std::uint16_t>{41399});
  EXPECT_FALSE(o.load_plugin);
  EXPECT_TRUE(o.trace_events);
}

TEST(OptionsTest, MalformedTableVersionIsRefused) {
  EXPECT_EQ(app::ParseTableVersion("45=300"), (std::pair<std::int32_t, std::int16_t>{45, 300}));
  EXPECT_FALSE(app::ParseTableVersion("45"));
  EXPECT_FALSE(app::ParseTableVersion("45="));
  EXPECT_FALSE(app::ParseTableVersion("=300"));
  EXPECT_FALSE(app::ParseTableVersion("45=40000"));
  EXPECT_FALSE(app::ParseTableVersion("45=3x"));
  for (const char* text : {"x=1", "4x=1", "45=x", "99999999999=1"}) EXPECT_FALSE(app::ParseTableVersion(text)) << text;
  const auto parsed = Parse({"--table-version", "tabk9=1024"});
  EXPECT_FALSE(parsed.options);
  EXPECT_NE(parsed.exit_code, 0);
}

// The plug-in loads just before the first line that is a command, so that
// the answers at the head of a script answer the boxes that loading shows.
TEST(ScriptSourceTest, TheHookRunsJustBeforeTheFirstCommandAndEveryByteGetsThrough) {
  const std::pair<std::string, std::string> cases[] = {
      // the script, and what was read of it when the hook ran
      {"# a\n\n \t\r\nanswer tick\r\nanswer-system\tabort\nquit\n", "# a\n\n \t\r\nanswer tick\r\nanswer-system\tabort\n"},
      {"answer\nquit\n", ""},  // an answer with no word is a command that fails
      {"answer", ""},
      {"answer ok\n  \t", "answer ok\n  \t"},  // nothing but answers: at the end
      {"key Enter", ""},
      {"", ""},
  };
  for (const auto& [script, before_hook] : cases) {
    SCOPED_TRACE(script);
    std::istringstream in(script);
    std::string read, at_hook;
    int hooks = 0;
    app::ScriptSource source(in, [&] {
      ++hooks;
      at_hook = read;
    });
    std::istream lines(&source);
    for (char ch; lines.get(ch);) read += ch;
    EXPECT_EQ(read, script);
    EXPECT_EQ(hooks, 1);
    EXPECT_EQ(at_hook, before_hook);
    EXPECT_TRUE(source.started());
  }
  std::istringstream in("quit\n");
  app::ScriptSource without_hook(in, {});
  std::istream lines(&without_hook);
  std::string line;
  EXPECT_TRUE(std::getline(lines, line));
  EXPECT_EQ(line, "quit");
}

// Key names in any case; Ctrl takes a letter or a digit, Alt a letter.
TEST(KeyNamesTest, NamesAndKeysGoBothWays) {
  using standin::KeyName;
  const std::pair<const char*, std::optional<standin::Key>> names[] = {
      {"ctrl-a", standin::CtrlKey(U'A')}, {"CTRL-7", standin::CtrlKey(U'7')}, {"alt-x", standin::AltKey(U'X')},
      {"pgdn", standin::NamedKey(KeyName::PgDn)}, {"Ctrl-%", std::nullopt}, {"Alt-1", std::nullopt},
      {"Ctrl+A", std::nullopt}, {"Alt-", std::nullopt}, {"Space", standin::CharKey(U' ')},
  };
  for (const auto& [name, key] : names) EXPECT_EQ(script::ParseKeyName(name), key) << name;
  const std::pair<standin::Key, const char*> keys[] = {
      {standin::CtrlKey(U'A'), "Ctrl-A"}, {standin::AltKey(U'Ż'), "Alt-Ż"},
      {standin::NamedKey(KeyName::F12), "F12"}, {standin::CharKey(U'ż'), "'ż'"}, {standin::NoKey(), "None"},
  };
  for (const auto& [key, name] : keys) EXPECT_EQ(script::KeyNameOf(key), name);
}

// ---------------------------------------------------------------------------

class DemoDataTest : public ::testing::Test {
 protected:
  void SetUp() override { app::FillDemoData(*store_); }

  std::vector<standin::RowView> Positions(standin::Register kind, const std::string& number) {
    std::vector<standin::RowView> rows;
    for (const auto& invoice : store_->ListInvoices(kind)) {
      if (invoice.number != number) continue;
      auto cursor = store_->ScanPositions(kind, invoice.id);
      standin::RowView row;
      while (cursor->Next(row) == standin::Step::Row) {
        names_.emplace_back(row.name);
        symbols_.emplace_back(row.symbol);
        rows.push_back(row);
        rows.back().name = names_.back();
        rows.back().symbol = symbols_.back();
      }
    }
    return rows;
  }

  std::shared_ptr<standin::Store> store_ = standin::MakeMemoryStore();
  std::deque<std::string> names_, symbols_;
};

TEST_F(DemoDataTest, TwoCataloguesOnlyOneSearched) {
  auto cursor = store_->ScanCatalogues(0);
  standin::RowView row;
  std::vector<std::pair<std::int64_t, std::int64_t>> catalogues;
  while (cursor->Next(row) == standin::Step::Row) catalogues.push_back({row.number, row.searched});
  EXPECT_EQ(catalogues, (std::vector<std::pair<std::int64_t, std::int64_t>>{{1, 1}, {2, 0}}));
}

TEST_F(DemoDataTest, HundredsOfGoodsWithDistinctSymbolsAndPolishNames) {
  std::set<std::string> symbols;
  std::size_t count = 0;
  bool polish = false;
  for (std::int64_t catalogue : {1, 2}) {
    auto cursor = store_->ScanGoods(catalogue, 0);
    standin::RowView row;
    while (cursor->Next(row) == standin::Step::Row) {
      ++count;
      symbols.emplace(row.symbol);
      EXPECT_LE(row.symbol.size(), 16u) << row.symbol;
      EXPECT_LE(codepage::Utf8ToMazovia(row.name).size(), 120u);
      EXPECT_EQ(codepage::MazoviaToUtf8(codepage::Utf8ToMazovia(row.name)), row.name) << "outside Mazovia";
      polish = polish || row.name.find("ó") != std::string_view::npos;
    }
  }
  EXPECT_GE(count, 200u);
  EXPECT_LE(count, 400u);
  EXPECT_EQ(symbols.size(), count);
  EXPECT_TRUE(polish);
}

TEST_F(DemoDataTest, PackageCodesOfEachFactorPointAtRealGoods) {
  auto cursor = store_->ScanCodes();
  standin::RowView row;
  std::set<std::int64_t> factors;
  while (cursor->Next(row) == standin::Step::Row) {
    factors.insert(row.factor);
    EXPECT_LE(row.code.size(), 16u);
    if (row.factor == 1000) {
      standin::RowView goods;
      const std::string code(row.code);
      ASSERT_EQ(store_->ReadGoods(row.catalogue, row.id, goods), standin::Step::Row) << code;
      EXPECT_EQ(goods.symbol, "PNK-750");
    }
  }
  EXPECT_EQ(factors, (std::set<std::int64_t>{1000, 6000, 12000}));
}

TEST_F(DemoDataTest, FirstSalesInvoiceHasTheCasesACheckMeets) {
  const auto rows = Positions(standin::Register::Sales, "FV 1/2024");
  ASSERT_EQ(rows.size(), 11u);
  auto count_symbol = [&](std::string_view symbol) {
    return std::count_if(rows.begin(), rows.end(), [&](const auto& r) { return r.symbol == symbol; });
  };
  EXPECT_EQ(count_symbol("TSM-48"), 2) << "a duplicate of equal name and symbol";
  EXPECT_EQ(count_symbol(""), 1) << "an empty symbol";
  EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [](const auto& r) { return r.quantity == 2500; }));
}

TEST_F(DemoDataTest, BothRegistersHaveInvoicesAndTheCollectorFileNamesTheirGoods) {
  EXPECT_EQ(store_->ListInvoices(standin::Register::Sales).size(), 4u);
  EXPECT_EQ(store_->ListInvoices(standin::Register::Purchase).size(), 2u);
  EXPECT_FALSE(Positions(standin::Register::Purchase, "FZ 101/2024").empty());
  EXPECT_TRUE(Positions(standin::Register::Sales, "FV 4/2024").empty());
  EXPECT_NE(app::kDemoCollectorFile.find("ZGRZ-ZAR-E27;2\r\n"), std::string_view::npos);
}

// Text in a single-byte code page, made from UTF-8.
std::string InPage(std::string_view utf8, bool windows1250) {
  std::string out;
  for (std::size_t at = 0; at < utf8.size();) {
    const char32_t ch = codepage::DecodeUtf8(utf8, at);
    const int byte = windows1250 ? codepage::UnicodeToWindows1250(ch) : codepage::UnicodeToMazovia(ch);
    out += static_cast<char>(byte);
  }
  return out;
}

TEST(DocumentText, EachPartOfADocumentIsReadInItsCodePage) {
  const std::string header = InPage("|  Ilość |", true);
  const std::string position = InPage("| Śruba ż |", false);
  struct Case {
    const char* name;
    std::int32_t kind;
    std::string bytes;
    std::vector<std::string> lines;
    std::string utf8;
  };
  const Case cases[] = {
      {"report",
       app::kReportDocument,
       header + "\r\n" + header + "\r\n" + header + "\r\n" + header + "\r\n" + position + "\r\n._.",
       {"|  Ilość |", "|  Ilość |", "|  Ilość |", "|  Ilość |", "| Śruba ż |", "._."},
       "|  Ilość |\n|  Ilość |\n|  Ilość |\n|  Ilość |\n| Śruba ż |\n._."},
      // Only the report's first four lines are Windows-1250.
      {"another kind", 5, position + "\n", {"| Śruba ż |"}, "| Śruba ż |\n"},
      {"report's fifth line", app::kReportDocument, "a\nb\nc\nd\n" + position + "\n",
       {"a", "b", "c", "d", "| Śruba ż |"}, "a\nb\nc\nd\n| Śruba ż |\n"},
      // Nothing that would steer a terminal gets through.
      {"controls", 5, std::string("\x1b[2J\tx\x7f\r\ny\0z", 12), {"?[2J x?", std::string("y?z")}, "?[2J x?\ny?z"},
      {"empty", app::kReportDocument, "", {}, ""},
      {"blank lines", 5, "\n\r\n", {"", ""}, "\n\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    standin::DocumentRow document;
    document.kind = c.kind;
    document.content.assign(c.bytes.begin(), c.bytes.end());
    EXPECT_EQ(app::DocumentLines(document), c.lines);
    EXPECT_EQ(app::DocumentUtf8(document), c.utf8);
  }
}

// The list and the viewer on a small screen: the current row and the
// viewer's window stay within what there is, whatever is pressed.
TEST(DocumentsView, MovesAndScrollsWithinTheDocuments) {
  using standin::KeyName;
  using standin::NamedKey;
  const auto store = standin::MakeMemoryStore();
  for (int i = 1; i <= 12; ++i) {
    standin::DocumentRow document;
    document.kind = 5;
    document.stored_at = "2024-05-0" + std::to_string(i % 10) + " 10:00:00";
    std::string text;
    for (int line = 1; line <= 30; ++line) text += "line " + std::to_string(line) + std::string(70, '.') + "|end\n";
    document.content.assign(text.begin(), text.end());
    store->AddDocument(document);
  }
  app::DocumentsView view;
  view.Load(*store);
  standin::Screen screen({40, 10});
  auto press = [&](KeyName name) {
    EXPECT_TRUE(view.HandleKey(NamedKey(name), screen.height()));
    view.Draw(screen);
  };
  view.Draw(screen);
  EXPECT_EQ(view.current(), 11u);  // the newest first
  EXPECT_NE(screen.RowUtf8(8).find("    12  "), std::string::npos) << screen.ToUtf8();
  // Each key and the row it leaves current; a page is seven rows.
  const std::pair<KeyName, std::size_t> moves[] = {{KeyName::PgUp, 4}, {KeyName::Home, 0}, {KeyName::Up, 0},
                                                   {KeyName::Down, 1}, {KeyName::PgDn, 8}, {KeyName::End, 11},
                                                   {KeyName::Down, 11}, {KeyName::Home, 0}};
  for (const auto& [key, current] : moves) {
    press(key);
    EXPECT_EQ(view.current(), current) << static_cast<int>(key);
  }
  EXPECT_NE(screen.RowUtf8(2).find("     1  "), std::string::npos) << screen.ToUtf8();

  press(KeyName::Enter);
  ASSERT_TRUE(view.viewing());
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 7), "line 1.");
  press(KeyName::End);  // the last page: 8 rows of 30 lines
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 8), "line 23.");
  EXPECT_EQ(screen.RowUtf8(8).substr(0, 8), "line 30.");
  press(KeyName::Up);
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 8), "line 22.");
  press(KeyName::PgUp);
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 8), "line 14.");
  press(KeyName::Down);
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 8), "line 15.");
  press(KeyName::PgDn);
  EXPECT_EQ(screen.RowUtf8(8).substr(0, 8), "line 30.");
  for (int i = 0; i < 20; ++i) press(KeyName::Right);  // as far as the widest line's end
  EXPECT_EQ(screen.RowUtf8(1).substr(screen.RowUtf8(1).size() - 4), "|end");
  press(KeyName::Left);
  EXPECT_EQ(screen.RowUtf8(1).find("|end"), std::string::npos) << screen.ToUtf8();
  press(KeyName::Home);
  EXPECT_EQ(screen.RowUtf8(1).substr(0, 7), "line 1.");

  EXPECT_TRUE(view.HandleKey(NamedKey(KeyName::Esc), screen.height()));
  EXPECT_FALSE(view.viewing());
  EXPECT_FALSE(view.HandleKey(NamedKey(KeyName::Esc), screen.height()));
}

// What there is not: no documents, a document naming an invoice the
// database lacks, an empty one, and lines narrower than the viewer's
// window once it has scrolled right.
TEST(DocumentsView, EmptyListsEmptyDocumentsAndShortLinesShowWhatThereIs) {
  using standin::KeyName;
  using standin::NamedKey;
  const auto store = standin::MakeMemoryStore();
  app::DocumentsView view;
  standin::Screen screen({60, 8});
  const auto press = [&](KeyName name) {
    const bool kept = view.HandleKey(NamedKey(name), screen.height());
    view.Draw(screen);
    return kept;
  };
  view.Load(*store);
  for (const KeyName name : {KeyName::Down, KeyName::End, KeyName::Enter, KeyName::F5}) {
    EXPECT_TRUE(press(name)) << static_cast<int>(name);
    EXPECT_FALSE(view.viewing());
  }
  EXPECT_EQ(screen.RowUtf8(2), "      (brak dokumentów)");
  EXPECT_FALSE(press(KeyName::F3));

  standin::DocumentRow orphan;
  orphan.kind = 5;
  orphan.stored_at = "2024-05-01 10:00:00";
  orphan.invoice_id = 99;
  store->AddDocument(orphan);
  standin::DocumentRow wide = orphan;
  wide.invoice_id = 0;
  const std::string text = "abc\n" + std::string(70, 'x') + "|\n";
  wide.content.assign(text.begin(), text.end());
  store->AddDocument(wide);
  view.Load(*store);
  EXPECT_TRUE(press(KeyName::Up));
  EXPECT_EQ(screen.RowUtf8(2), "     1  2024-05-01 10:00:00  5        -");
  press(KeyName::Enter);
  EXPECT_EQ(screen.RowUtf8(0), "                     Dokument 1 (5, -)");
  EXPECT_TRUE(screen.RowUtf8(7).ends_with("wiersz 0 z 0")) << screen.RowUtf8(7);

  press(KeyName::Esc);
  press(KeyName::Down);
  press(KeyName::Enter);
  // A page is six lines; 71 cells on 60 scroll by at most 11.
  const std::pair<KeyName, std::size_t> moves[] = {
      {KeyName::Right, 8}, {KeyName::Right, 11}, {KeyName::F5, 11}, {KeyName::Left, 3}, {KeyName::Left, 0}};
  for (const auto& [key, column] : moves) {
    press(key);
    EXPECT_EQ(screen.RowUtf8(1), column < 3 ? std::string("abc").substr(column) : "") << column;
    EXPECT_EQ(screen.RowUtf8(2), std::string(std::min<std::size_t>(70 - column, 60), 'x') + (column == 11 ? "|" : ""))
        << column;
  }
}

}  // namespace
