// E-invoices (FA(3), FA(2)) into the registers: what a file becomes, what
// is refused and why, and a delivery checked against one from the import
// to the stored report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "app/einvoice_import.h"
#include "standin/tables/store.h"
#include "tests/support/legacy_database.h"
#include "tests/support/program_run.h"
#include "tests/support/scratch_directory.h"

namespace {

namespace fs = std::filesystem;
using standin::Register;

constexpr const char* kFa3 = "http://crd.gov.pl/wzor/2025/06/25/13775/";
constexpr const char* kFa2 = "http://crd.gov.pl/wzor/2023/06/29/12648/";

struct Line {
  int number;
  std::string name;
  std::string gtin;
  std::string index;
  std::optional<std::string> quantity;
};

// An e-invoice in the schema's order of elements: header, seller, buyer,
// then Fa with its dates, number, total, annotations, kind and lines.
std::string EInvoice(const std::vector<Line>& lines, const std::string& number = "FS 7/02/2026",
                     const std::string& kind = "VAT", const char* ns = kFa3, const std::string& seller = "Śrubex sp. z o.o.",
                     const std::string& seller_nip = "5260250274") {
  const std::string variant = ns == kFa3 ? "3" : "2";
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Faktura xmlns=\"" + std::string(ns) + "\">\n";
  xml += "  <Naglowek><KodFormularza kodSystemowy=\"FA (" + variant + ")\" wersjaSchemy=\"1-0E\">FA</KodFormularza>"
         "<WariantFormularza>" + variant + "</WariantFormularza><DataWytworzeniaFa>2026-02-03T08:15:00Z</DataWytworzeniaFa>"
         "</Naglowek>\n";
  xml += "  <Podmiot1><DaneIdentyfikacyjne><NIP>" + seller_nip + "</NIP><Nazwa>" + seller +
         "</Nazwa></DaneIdentyfikacyjne><Adres><KodKraju>PL</KodKraju><AdresL1>ul. Fabryczna 5, 00-950 Warszawa"
         "</AdresL1></Adres></Podmiot1>\n";
  xml += "  <Podmiot2><DaneIdentyfikacyjne><NIP>7740001454</NIP><Nazwa>Budmax s.c.</Nazwa></DaneIdentyfikacyjne>"
         "<Adres><KodKraju>PL</KodKraju><AdresL1>ul. Długa 1, 09-400 Płock</AdresL1></Adres>" +
         std::string(ns == kFa3 ? "<JST>2</JST><GV>2</GV>" : "") + "</Podmiot2>\n";
  xml += "  <Fa><KodWaluty>PLN</KodWaluty><P_1>2026-02-03</P_1>";
  if (!number.empty()) xml += "<P_2>" + number + "</P_2>";
  xml += "<P_15>123.00</P_15>\n    <Adnotacje><P_16>2</P_16><P_17>2</P_17><P_18>2</P_18><P_18A>2</P_18A><Zwolnienie>"
         "<P_19N>1</P_19N></Zwolnienie><NoweSrodkiTransportu><P_22N>1</P_22N></NoweSrodkiTransportu><P_23>2</P_23>"
         "<PMarzy><P_PMarzyN>1</P_PMarzyN></PMarzy></Adnotacje>\n    <RodzajFaktury>" + kind + "</RodzajFaktury>\n";
  for (const Line& line : lines) {
    xml += "    <FaWiersz><NrWierszaFa>" + std::to_string(line.number) + "</NrWierszaFa><P_7>" + line.name + "</P_7>";
    if (!line.index.empty()) xml += "<Indeks>" + line.index + "</Indeks>";
    if (!line.gtin.empty()) xml += "<GTIN>" + line.gtin + "</GTIN>";
    xml += "<P_8A>szt.</P_8A>";
    if (line.quantity) xml += "<P_8B>" + *line.quantity + "</P_8B>";
    xml += "<P_9A>1.00</P_9A><P_11>1.00</P_11><P_12>23</P_12></FaWiersz>\n";
  }
  xml += "  </Fa>\n</Faktura>\n";
  return xml;
}

// The delivery as generators indent it, a GTIN of 14 digits.
const fs::path kIndentedDelivery = fs::path(TESTS_FOLDER) / "einvoice" / "FS-7-02-2026.xml";

const std::vector<Line> kDelivery = {
    {2, "Wkręt do drewna 4x40", "", "WKR-4X40", "24.000"},
    {1, "Śruba sześciokątna M8", "5901234567893", "SRB-8", "12.5"},
    {3, "Kołek rozporowy", "5900000000017", "", "0.125"},
    {4, "Łożysko (bez kodu)", "", "", "3"},
};

std::string Positions(const app::EInvoice& invoice) {
  std::string text;
  for (const auto& p : invoice.positions) text += p.name + "|" + p.symbol + "|" + std::to_string(p.quantity) + "\n";
  return text;
}

TEST(EInvoiceReading, LinesBecomePositionsInTheOrderOfTheirNumbers) {
  const std::string files[] = {EInvoice(kDelivery), EInvoice(kDelivery, "FS 7/02/2026", "VAT", kFa2),
                               testing_support::ReadBytes(kIndentedDelivery)};
  for (const std::string& xml : files) {
    SCOPED_TRACE(xml.substr(0, 200));
    for (const Register kind : {Register::Purchase, Register::Sales}) {
      const app::EInvoiceResult read = app::ReadEInvoice(xml, kind);
      ASSERT_TRUE(read.invoice) << read.refusal;
      EXPECT_EQ(read.invoice->invoice.number, "FS 7/02/2026");
      EXPECT_EQ(read.invoice->invoice.issued, "2026-02-03");
      EXPECT_EQ(read.invoice->invoice.kind, kind);
      EXPECT_EQ(read.invoice->invoice.counterparty, kind == Register::Purchase ? "Śrubex sp. z o.o." : "Budmax s.c.");
      EXPECT_EQ(read.invoice->invoice.nip, kind == Register::Purchase ? "5260250274" : "7740001454");
      EXPECT_EQ(Positions(*read.invoice),
                "Śruba sześciokątna M8|5901234567893|12500\n"
                "Wkręt do drewna 4x40|WKR-4X40|24000\n"
                "Kołek rozporowy|5900000000017|125\n"
                "Łożysko (bez kodu)||3000\n");
      EXPECT_TRUE(read.invoice->warnings.empty());
    }
  }
}

// What a record cannot hold as it is: changed or left out with a warning
// that names the line, refused where the check would be wrong.
TEST(EInvoiceReading, WhatARecordCannotHoldIsWarnedOfOrRefused) {
  struct Case {
    Line line;
    const char* warning;  // null: refused
    const char* says;
    std::optional<std::string> position = std::nullopt;  // the line's, if any
  };
  const Case cases[] = {
      {{1, std::string(130, 'n'), "", "N1", "1"}, "line 1: the name is cut to 120 characters", ""},
      {{1, "Kabel 5 m €", "", "K5", "1"}, "line 1: the name shows '?' for a character a position cannot hold", ""},
      {{1, "Montaż", "", "", std::nullopt}, "line 1: no quantity (P_8B), a service: left out", ""},
      {{1, "Śruba", "", "S1", "1.234567"}, "line 1: the quantity 1.234567 is rounded to 1.235", "", "Śruba|S1|1235\n"},
      {{1, "Śruba", "", "S1", "0.0004999"},
       "line 1: the quantity 0.0004999 is rounded to 0.000\nline 1: the quantity 0.000 is not above zero: left out", "", ""},
      {{1, "Paleta", "", "PAL", "-2"}, "line 1: the quantity -2 is not above zero: left out", "", ""},
      {{1, "Śruba", "", "S1", "1.2500000"}, "", ""},
      {{1, "Śruba", "", "S1", "2147484"}, nullptr, "line 1: the quantity 2147484 is beyond what a position holds"},
      {{1, "Śruba", "", "S1", "dwa"}, nullptr, "line 1: the quantity dwa is not a number"},
      {{1, "Śruba", "", "SRUBA-M8-OCYNK-40MM", "1"},
       "line 1: the symbol SRUBA-M8-OCYNK-40MM is longer than 16 characters: the position has no symbol", "", "Śruba||1000\n"},
      {{1, "Śruba", "", "Ș-1", "1"},
       "line 1: the symbol Ș-1 has a character a position cannot hold: the position has no symbol", "", "Śruba||1000\n"},
      {{1, std::string(60, 'n') + "\n\t  " + std::string(59, 'n'), "", "N1", "1"}, "", "",
       std::string(60, 'n') + " " + std::string(59, 'n') + "|N1|1000\n"},
      {{1, "Śruba M8\n    ocynkowana", "", "\tWKR  4X40\r\n", " +2\n"}, "", "", "Śruba M8 ocynkowana|WKR 4X40|2000\n"},
      {{1, "Śruba", "05901234567893", "SRB-8", "1"}, "", "", "Śruba|5901234567893|1000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line.name + " " + c.line.index + " " + c.line.quantity.value_or("(none)"));
    const app::EInvoiceResult read = app::ReadEInvoice(EInvoice({c.line, {9, "Nit", "", "N9", "1"}}), Register::Purchase);
    if (c.warning == nullptr) {
      EXPECT_FALSE(read.invoice);
      EXPECT_NE(read.refusal.find(c.says), std::string::npos) << read.refusal;
      continue;
    }
    ASSERT_TRUE(read.invoice) << read.refusal;
    std::string warnings;
    for (const std::string& warning : read.invoice->warnings) warnings += (warnings.empty() ? "" : "\n") + warning;
    EXPECT_EQ(warnings, c.warning);
    if (!c.position) continue;
    EXPECT_EQ(Positions(*read.invoice), *c.position + "Nit|N9|1000\n");
  }
  const auto cut = app::ReadEInvoice(EInvoice({cases[0].line}), Register::Purchase);
  ASSERT_TRUE(cut.invoice);
  EXPECT_EQ(cut.invoice->positions.at(0).name, std::string(120, 'n'));
  const auto replaced = app::ReadEInvoice(EInvoice({cases[1].line}), Register::Purchase);
  ASSERT_TRUE(replaced.invoice);
  EXPECT_EQ(replaced.invoice->positions.at(0).name, "Kabel 5 m ?");
  const auto service = app::ReadEInvoice(EInvoice({cases[2].line, {2, "Nit", "", "N1", "2"}}), Register::Purchase);
  ASSERT_TRUE(service.invoice);
  EXPECT_EQ(Positions(*service.invoice), "Nit|N1|2000\n");
}

// An XML decimal becomes thousandths exactly, or the file is refused.
TEST(EInvoiceReading, QuantitiesAreReadExactlyInThousandths) {
  const std::pair<const char*, const char*> cases[] = {
      {"+2.5", "Nit|N1|2500\n"},
      {".5", "Nit|N1|500\n"},
      {"3.", "Nit|N1|3000\n"},
      {"2147483.647", "Nit|N1|2147483647\n"},
      {"2147483.6475", "line 1: the quantity 2147483.6475 is beyond what a position holds"},
      {"-2147483.649", "line 1: the quantity -2147483.649 is beyond what a position holds"},
      {"123456789012345678901234567890",
       "line 1: the quantity 123456789012345678901234567890 is beyond what a position holds"},
      {"-", "line 1: the quantity - is not a number"},
      {"1e3", "line 1: the quantity 1e3 is not a number"},
  };
  for (const auto& [quantity, says] : cases) {
    SCOPED_TRACE(quantity);
    const app::EInvoiceResult read = app::ReadEInvoice(EInvoice({{1, "Nit", "", "N1", quantity}}), Register::Purchase);
    if (read.invoice) {
      EXPECT_EQ(Positions(*read.invoice), says);
    } else {
      EXPECT_NE(read.refusal.find(says), std::string::npos) << read.refusal;
    }
  }
}

TEST(EInvoiceReading, DocumentsThatAreNoDeliveryInvoiceOrHostileAreRefused) {
  const std::string good = EInvoice(kDelivery);
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string xml = good;
    for (std::size_t at = xml.find(from); at != std::string::npos; at = xml.find(from, at + to.size())) {
      xml.replace(at, from.size(), to);
    }
    return xml;
  };
  // A thousand million a's from a few bytes, were the entities expanded.
  const std::string bomb =
      "<?xml version=\"1.0\"?>\n<!DOCTYPE Faktura [<!ENTITY a \"aaaaaaaaaa\">"
      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
      "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">]>\n"
      "<Faktura xmlns=\"" + std::string(kFa3) + "\"><Fa><P_2>&e;&e;&e;&e;&e;&e;&e;&e;</P_2>"
      "<RodzajFaktury>VAT</RodzajFaktury></Fa></Faktura>\n";
  const struct {
    std::string xml;
    const char* says;
  } cases[] = {
      {replaced("Faktura>", "Zamowienie>").replace(good.find("<Faktura "), 8, "<Zamowienie"),
       "not an FA(3) or FA(2) e-invoice (root {http://crd.gov.pl/wzor/2025/06/25/13775/}Zamowienie)"},
      {replaced(kFa3, "http://crd.gov.pl/wzor/2021/11/29/11089/"),
       "not an FA(3) or FA(2) e-invoice (root {http://crd.gov.pl/wzor/2021/11/29/11089/}Faktura)"},
      {EInvoice(kDelivery, "FK 1/2026", "KOR"), "an invoice of kind KOR is not taken"},
      {EInvoice(kDelivery, "FZ 1/2026", "ZAL"), "an invoice of kind ZAL is not taken"},
      {EInvoice(kDelivery, "FZ 1/2026", "KOR_ROZ"), "an invoice of kind KOR_ROZ is not taken"},
      {EInvoice({{1, "Montaż", "", "", std::nullopt}}, "FU 1/2026", "UPR"), "the invoice lists no goods to check"},
      {EInvoice(kDelivery, ""), "the invoice has no number (Fa/P_2)"},
      {EInvoice(kDelivery, std::string(33, '9')), "is longer than 32 characters"},
      {replaced("</Fa>", ""), "not well-formed XML (line "},
      {"", "not UTF-8 XML"},
      {replaced("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n",
                "<?xml version=\"1.0\"?>\n<!DOCTYPE Faktura SYSTEM \"file:///etc/passwd\">\n"),
       "a document type declaration is not accepted"},
      {bomb, "a document type declaration is not accepted"},
      {replaced("<NrWierszaFa>2</NrWierszaFa>", "<NrWierszaFa>01</NrWierszaFa>"), "line number 1 appears twice"},
      {replaced("<NrWierszaFa>2</NrWierszaFa>", "<NrWierszaFa>1</NrWierszaFa>"), "line number 1 appears twice"},
      {replaced("<NrWierszaFa>2</NrWierszaFa>", ""), "invoice line 1 has no line number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    const app::EInvoiceResult read = app::ReadEInvoice(c.xml, Register::Purchase);
    EXPECT_FALSE(read.invoice);
    EXPECT_NE(read.refusal.find(c.says), std::string::npos) << read.refusal;
  }
  const std::string huge(app::kEInvoiceMaxBytes + 1, ' ');
  EXPECT_NE(app::ReadEInvoice(huge, Register::Purchase).refusal.find("larger than 64 MB"), std::string::npos);
}

std::string Replaced(std::string xml, const std::string& from, const std::string& to) {
  const std::size_t at = xml.find(from);
  return at == std::string::npos ? "(no " + from + ")" : xml.replace(at, from.size(), to);
}

// What is read of an invoice, or why it is refused, on one line.
std::string Summary(const app::EInvoiceResult& read) {
  if (!read.invoice) return "refused: " + read.refusal;
  return read.invoice->invoice.number + " | " + read.invoice->invoice.counterparty + " | " +
         std::to_string(read.invoice->positions.size()) + " positions";
}

// Elements of another namespace are not the invoice's; an element that is
// missing or empty is named; what a comment or CDATA holds is data.
TEST(EInvoiceReading, ElementsAreTakenOnlyFromTheInvoicesNamespace) {
  const std::string good = EInvoice(kDelivery);
  const std::string foreign_line =
      "<FaWiersz xmlns=\"urn:inny\"><NrWierszaFa>9</NrWierszaFa><P_7>Obcy</P_7><P_8B>1</P_8B></FaWiersz>";
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF" + good, "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {EInvoice(kDelivery, "FS 7/02/2026", "UPR"), "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {EInvoice(kDelivery, "FS 7/02/2026", "ROZ"), "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(Replaced(good, "<Podmiot1>", "<Podmiot3>"), "</Podmiot1>", "</Podmiot3>"), "FS 7/02/2026 |  | 4 positions"},
      {Replaced(good, "<P_1>", "<P_2 xmlns=\"urn:inny\">OBCY 1</P_2><P_1>"),
       "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(good, "<P_1>", foreign_line + "<P_1>"), "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(good, " xmlns=\"" + std::string(kFa3) + "\"", ""),
       "refused: not an FA(3) or FA(2) e-invoice (root Faktura)"},
      {Replaced(good, "<Naglowek>", "<!-- <!ENTITY x \"y\"> --><Naglowek>"),
       "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(good, "<Faktura ", "<!-- <!DOCTYPE Faktura> -->\n<Faktura "), "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(good, "Kołek rozporowy", "<![CDATA[Kołek <!ENTITY> rozporowy]]>"),
       "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {Replaced(Replaced(good, "<Fa>", "<Fb>"), "</Fa>", "</Fb>"), "refused: the invoice has no Fa element"},
      {Replaced(good, "<RodzajFaktury>VAT</RodzajFaktury>", ""),
       "refused: the invoice names no kind (Fa/RodzajFaktury)"},
      {EInvoice(kDelivery, " \t "), "refused: the invoice has no number (Fa/P_2)"},
      {EInvoice(kDelivery, "FV €1"), "refused: the number FV €1 has a character the register cannot hold"},
      {Replaced(good, "<NrWierszaFa>2<", "<NrWierszaFa>x<"),
       "refused: invoice line 1 has no line number (NrWierszaFa)"},
      {Replaced(good, "<NrWierszaFa>2<", "<NrWierszaFa>2a<"),
       "refused: invoice line 1 has no line number (NrWierszaFa)"},
      {Replaced(good, "<NrWierszaFa>2<", "<NrWierszaFa>0<"),
       "refused: invoice line 1 has no line number (NrWierszaFa)"},
      {Replaced(good, "<NrWierszaFa>2<", "<NrWierszaFa>+2<"), "FS 7/02/2026 | Śrubex sp. z o.o. | 4 positions"},
      {EInvoice({{1, "Nit", "", "N1", ""}}), "refused: line 1: the quantity  is not a number"},
      {EInvoice({{1, "Nit", "", "N1", "1.a"}}), "refused: line 1: the quantity 1.a is not a number"},
      {EInvoice({{1, "Nit", "", "N1", "1./"}}), "refused: line 1: the quantity 1./ is not a number"},
  };
  for (const auto& [xml, says] : cases) {
    SCOPED_TRACE(says);
    EXPECT_EQ(Summary(app::ReadEInvoice(xml, Register::Purchase)), says);
  }
}

// An invoice and its positions are one transaction: a position that the
// database refuses leaves no invoice behind.
TEST(EInvoiceStore, ARefusedPositionLeavesNoInvoice) {
  testing_support::ScratchDirectory scratch{"einvoice-store"};
  const auto store = standin::OpenDatabase(scratch.path() / "firma.db");
  const standin::PositionRow too_long{0, 0, "Nit", std::string(17, 'N'), 1000};
  EXPECT_THROW(store->AddInvoiceWithPositions({0, Register::Purchase, "FZ 1", "", ""}, {&too_long, 1}),
               standin::StoreError);
  EXPECT_TRUE(store->ListInvoices(Register::Purchase).empty());
}

// The host program ------------------------------------------------------------

class EInvoiceImport : public ::testing::Test {
 protected:
  testing_support::Outcome Korpus(std::vector<std::string> args) {
    args.insert(args.begin(), {KORPUS_PROGRAM, "--db", "firma.db"});
    return testing_support::RunProgram(dir_, std::move(args));
  }
  void Write(const std::string& name, const std::string& bytes) { std::ofstream(dir_ / name, std::ios::binary) << bytes; }
  std::vector<standin::InvoiceRow> Held(Register kind) { return standin::OpenDatabase(dir_ / "firma.db")->ListInvoices(kind); }

  testing_support::ScratchDirectory scratch_{"einvoice-test"};
  fs::path dir_ = scratch_.path();
};

TEST_F(EInvoiceImport, EachFileIsOneTransactionAndAnInvoiceHeldAlreadyIsRefused) {
  Write("dostawa.xml", EInvoice(kDelivery));
  Write("korekta.xml", EInvoice(kDelivery, "FK 1/2026", "KOR"));
  Write("sprzedaz.xml", EInvoice({{1, "Nit", "", "N1", "5"}}, "FV 9/2026"));
  Write("zla.xml", EInvoice({{1, "Nit", "", "N1", "5"}, {2, "Śruba", "", "S1", "2147484"}}, "FS 8/02/2026"));

  const auto first = Korpus({"--import-invoice", "dostawa.xml", "--import-sales-invoice", "sprzedaz.xml"});
  EXPECT_EQ(first.exit_code, 0) << first.err;
  EXPECT_EQ(first.out, "FS 7/02/2026: purchase register, 4 positions\nFV 9/2026: sales register, 1 position\n");
  EXPECT_EQ(first.err, "");

  // Past the size limit by a byte (a sparse file: nothing is written).
  Write("duza.xml", EInvoice(kDelivery, "FS 9/02/2026"));
  fs::resize_file(dir_ / "duza.xml", (std::uintmax_t{64} << 20) + 1);
  const auto again = Korpus({"--import-invoice", "zla.xml", "--import-invoice", "dostawa.xml", "--import-invoice",
                             "korekta.xml", "--import-invoice", "brak.xml", "--import-invoice", "duza.xml"});
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_EQ(again.out, "");
  EXPECT_EQ(again.err,
            "korpus: zla.xml: line 2: the quantity 2147484 is beyond what a position holds; nothing imported\n"
            "korpus: dostawa.xml: the purchase register holds invoice FS 7/02/2026 of Śrubex sp. z o.o. "
            "(NIP 5260250274) already; nothing imported\n"
            "korpus: korekta.xml: an invoice of kind KOR is not taken (only VAT, UPR and ROZ: a correction or an "
            "advance invoice lists no delivery); nothing imported\n"
            "korpus: brak.xml: cannot be read; nothing imported\n"
            "korpus: duza.xml: larger than 64 MB; nothing imported\n");
  const auto purchases = Held(Register::Purchase);
  ASSERT_EQ(purchases.size(), 1u);
  EXPECT_EQ(purchases[0].number, "FS 7/02/2026");
  EXPECT_EQ(Held(Register::Sales).size(), 1u);
  // The same number from another seller (another NIP) of the same name is another invoice.
  Write("inny.xml", EInvoice(kDelivery, "FS 7/02/2026", "VAT", kFa2, "Śrubex sp. z o.o.", "9512345678"));
  EXPECT_EQ(Korpus({"--import-invoice", "inny.xml"}).exit_code, 0);
  EXPECT_EQ(Held(Register::Purchase).size(), 2u);
}

// A database made before invoices had a NIP gains the column; a row without one is the same
// purchase by its number and seller's name, collapsed.
TEST_F(EInvoiceImport, ARowWithoutANipIsKnownByItsNumberAndSellersName) {
  ASSERT_EQ(testing_support::MakeLegacyDatabase(dir_ / "firma.db", "INSERT INTO invoices VALUES (1, 'purchase', "
                                                "' FS 7/02/2026', '', 'Śrubex  sp. z o.o.');"), "");
  Write("dostawa.xml", EInvoice(kDelivery));
  Write("oddzial.xml", EInvoice(kDelivery, "FS 7/02/2026", "VAT", kFa3, "Śrubex sp. z o.o. Oddział", "9512345678"));
  EXPECT_EQ(Korpus({"--import-invoice", "dostawa.xml", "--import-invoice", "oddzial.xml"}).out,
            "FS 7/02/2026: purchase register, 4 positions\n");
  const auto held = Held(Register::Purchase);
  EXPECT_EQ(held.size() == 2 ? held[0].nip + "|" + held[1].nip : "", "|9512345678");
}

// Sales: our own numbers, whoever bought; what a file's import warns of is
// named with the file, and a refused sale fails the run alone.
TEST_F(EInvoiceImport, ASaleHeldAlreadyIsRefusedByItsNumberAndWarningsNameTheirFile) {
  Write("fv1.xml", EInvoice({{1, std::string(121, 'n'), "", "N1", "5"}}, "FV 1/2026"));
  Write("fv2.xml", EInvoice({{1, "Nit", "", "N1", "5"}, {2, "Nit", "", "N2", "1"}}, "FV 2/2026"));
  const auto first = Korpus({"--import-sales-invoice", "fv1.xml"});
  EXPECT_EQ(first.exit_code, 0);
  EXPECT_EQ(first.out, "FV 1/2026: sales register, 1 position\n");
  EXPECT_EQ(first.err, "korpus: fv1.xml: line 1: the name is cut to 120 characters\n");

  Write("fv1-inny.xml", Replaced(EInvoice({{1, "Nit", "", "N1", "5"}}, "FV 1/2026"), "Budmax", "Inny"));
  const auto again = Korpus({"--import-sales-invoice", "fv2.xml", "--import-sales-invoice", "fv1-inny.xml"});
  EXPECT_EQ(again.exit_code, 1);
  EXPECT_EQ(again.out, "FV 2/2026: sales register, 2 positions\n");
  EXPECT_EQ(again.err, "korpus: fv1-inny.xml: the sales register holds invoice FV 1/2026 already; nothing imported\n");
  EXPECT_EQ(Held(Register::Sales).size(), 2u);
  EXPECT_TRUE(Held(Register::Purchase).empty());
}

// A delivery checked against its e-invoice alone: import, Ctrl-1 on it in
// the purchase register, the collector's bar codes, the report.
TEST_F(EInvoiceImport, ADeliveryIsCheckedAgainstItsEInvoice) {
  Write("dostawa.xml", testing_support::ReadBytes(kIndentedDelivery));
  Write("data.txt", "5901234567893;12\r\n5901234567893;1\r\nWKR-4X40;24\r\n5900000000017;1\r\n");
  Write("PrufPytanie.ini", "[Prufacja]\r\nPytaj=1\r\n");
  Write("script.txt", "register purchase\nselect FS 7/02/2026\nkey Ctrl-1\nkey F4\nkey F5\nkey Esc\nquit\n");
  const auto run = Korpus({"--import-invoice", "dostawa.xml", "--script", "script.txt"});
  ASSERT_EQ(run.exit_code, 0) << run.err << run.out;
  const auto documents = standin::OpenDatabase(dir_ / "firma.db")->Documents();
  ASSERT_EQ(documents.size(), 1u);
  const std::string report(documents[0].content.begin(), documents[0].content.end());
  // Rewritten from the run as the catalogue's expected files are
  // (tests/checks/README.md).
  const fs::path expected = fs::path(TESTS_FOLDER) / "einvoice" / "delivery.report";
  if (std::getenv("PRUFACJA_UPDATE_GOLDEN") != nullptr) std::ofstream(expected, std::ios::binary) << report;
  EXPECT_EQ(report, testing_support::ReadBytes(expected));
}

}  // namespace
