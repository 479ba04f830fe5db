// The discrepancy report: the bytes of Niezgodnosci.txt, the summary box,
// the document store, and every failing write.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/report_import.h"

namespace verify {
namespace {

using testing_support::BoxSeen;
using testing_support::MakePosition;
using testing_support::ReadBytes;

const std::filesystem::path kReport = "Niezgodnosci.txt";

// The header as the file holds it: Windows-1250, CR LF.
const std::string kHeader =
    "._______________________________________________________________________________________________.\r\n"
    "|                               |                 |               |               |       Ilo\x9c\xe6 |\r\n"
    "| Nazwa towaru:                 |     Symbol      |   Brakuje     |   Nadmiar     | na fakturze |\r\n"
    "|-------------------------------|-----------------|---------------|---------------|-------------|\r\n";
const std::string kBottom =
    "|_______________________________|_________________|_______________|_______________|_____________|";

const std::string kUncheckedLine =
    "| Wkret                         |              A1 |         2.500 |               |       2.500 |\r\n";
const std::string kSurplusLine =
    "| Nit                           |              A2 |               |         0.500 |       1.000 |\r\n";
const std::string kOffInvoiceLine =
    "| Gratis                        |              A3 |               |         0.000 |       0.000 |\r\n";
const std::string kNegativeInvoicedLine =
    "| Zwrot                         |              A4 |               |         1.000 |      -1.000 |\r\n";

std::string Summary(const char* number, int on_document, int differences, int correct, int off_invoice, int new_goods,
                    int unchecked) {
  char text[512];
  std::snprintf(text, sizeof text,
                "Sprawdzenie faktury nr \x03%s\x01\n\n"
                "Ilość pozycji na dokumencie  - \x02%4d\x01\n"
                "Różnice w ilosci             - \x02%4d\x01\n"
                "Ilość pozycji poprawnych     - \x02%4d\x01\n\n"
                "Ilość pozycji spoza faktury  - \x02%4d\x01\n"
                "w tym:\nnowych towarów       - \x02%4d\x01\n\n"
                "Ilość pozycji niesprawdzonych- \x02%4d\x01\n",
                number, on_document, differences, correct, off_invoice, new_goods, unchecked);
  return text;
}

const BoxSeen kStored{"Uwaga", "Dokument został zapisany", 1};
const BoxSeen kNotStored{"Uwaga", "Dokumentu nie zapisano!", 1};
const BoxSeen kWriteFailed{"Blokada", "Błąd w trakcie zapisu!", 1};

class ReportTest : public testing_support::CheckTest {
 protected:
  // The bytes the host received as the stored document.
  std::string StoredReport() const {
    const auto documents = standin::CurrentStore().Documents();
    if (documents.empty()) return "<nothing stored>";
    EXPECT_EQ(documents.back().kind, 11);
    EXPECT_EQ(documents.back().name, "Niezgodnosci.txt");
    return {documents.back().content.begin(), documents.back().content.end()};
  }

  void FillEachKind() {
    CheckAccess::Fill(check(), {
                                   MakePosition("Wkret", "A1", 0, 2500),
                                   MakePosition("Nit", "A2", 1500, 1000),
                                   MakePosition("Gratis", "A3", 0, 0),
                                   MakePosition("Zwrot", "A4", 0, -1000),
                                   MakePosition("Sruba", "A5", 2000, 2000),
                               });
    SummaryCounters counters = CheckAccess::Counters(check());
    counters.on_document = 4;
    counters.new_goods = 1;
    CheckAccess::SetCounters(check(), counters);
    CheckAccess::SetInvoiceNumber(check(), "FV 12/2009");
  }
  // The six counters in the summary's order.
  std::vector<int> Counts() {
    const SummaryCounters& c = check().counters();
    return {c.on_document, c.differences, c.correct, c.off_invoice, c.new_goods, c.unchecked};
  }

  const std::string kEachKindFile =
      kHeader + kUncheckedLine + kSurplusLine + kOffInvoiceLine + kNegativeInvoicedLine + kBottom;
};

TEST_F(ReportTest, EmptyListGivesHeaderAndBottomRuleIn493Bytes) {
  CheckAccess::Fill(check(), {});
  CheckAccess::SetInvoiceNumber(check(), "FV 1/2009");
  check().WriteReport();

  EXPECT_EQ(StoredReport(), kHeader + kBottom);
  EXPECT_EQ(StoredReport().size(), 493u);
  EXPECT_EQ(Boxes(), (std::vector<BoxSeen>{{"Podsumowanie", Summary("FV 1/2009", 0, 0, 0, 0, 0, 0), 1}, kStored}));
  EXPECT_FALSE(std::filesystem::exists(kReport));
}

TEST_F(ReportTest, MatchingPositionsAreCorrectAndNotListed) {
  CheckAccess::Fill(check(), {MakePosition("Sruba", "A1", 2000, 2000), MakePosition("Nit", "A2", -500, -500)});
  check().WriteReport();

  EXPECT_EQ(StoredReport(), kHeader + kBottom);
  EXPECT_EQ(Counts(), (std::vector<int>{0, 0, 2, 0, 0, 0}));
}

TEST_F(ReportTest, EachKindOfDiscrepancyGetsItsLine) {
  FillEachKind();
  check().WriteReport();

  EXPECT_EQ(StoredReport(), kEachKindFile);
  EXPECT_EQ(StoredReport().size(), 493u + 99u * 4u);
}

TEST_F(ReportTest, SummaryShowsInvoiceNumberAndSixCountsWithMarkup) {
  FillEachKind();
  check().WriteReport();

  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0], (BoxSeen{"Podsumowanie", Summary("FV 12/2009", 4, 3, 1, 1, 1, 2), 1}));
  EXPECT_EQ(Counts(), (std::vector<int>{4, 3, 1, 1, 1, 2}));
}

TEST_F(ReportTest, SecondReportRecountsToTheSameCounts) {
  FillEachKind();
  check().WriteReport();
  check().WriteReport();

  ASSERT_EQ(Boxes().size(), 4u);
  EXPECT_EQ(Boxes()[2], Boxes()[0]);
  EXPECT_EQ(Counts(), (std::vector<int>{4, 3, 1, 1, 1, 2}));
}

TEST_F(ReportTest, LongNameIsCutAt30AndSymbolsAreRightAligned) {
  CheckAccess::Fill(check(), {MakePosition("Wkret samogwintujacy ocynkowany 4,2x13", "K-7", 1250, 1000),
                              MakePosition("Tasma", "ABCDEFGHIJKLMNOP", 0, 1000)});
  check().WriteReport();

  EXPECT_EQ(
      StoredReport(),
      kHeader +
          "| Wkret samogwintujacy ocynkowan|             K-7 |               |         0.250 |       1.000 |\r\n"
          "| Tasma                         |ABCDEFGHIJKLMNOP |         1.000 |               |       1.000 |\r\n" +
          kBottom);
}

TEST_F(ReportTest, PositionLinesKeepMazoviaWhileTheHeaderIsWindows1250) {
  CheckAccess::Fill(check(), {MakePosition("Łożysko kulkowe", "Ł-1", 0, 1000)});
  check().WriteReport();

  const std::string line = codepage::Utf8ToMazovia(
      "| Łożysko kulkowe               |             Ł-1 |         1.000 |               |       1.000 |\r\n");
  EXPECT_EQ(StoredReport(), kHeader + line + kBottom);
  // Ł is 0x9C in Mazovia; in the header 0x9C is the Windows-1250 ś of "Ilość".
  EXPECT_EQ(StoredReport()[396 + 2], '\x9c');
  EXPECT_EQ(StoredReport().substr(99 + 93, 2), "\x9c\xe6");
}

TEST_F(ReportTest, DifferenceBeyond32BitsIsPrintedWhole) {
  CheckAccess::Fill(check(), {MakePosition("Kabel", "K1", -2147483647, 2147483647)});
  check().WriteReport();

  EXPECT_EQ(
      StoredReport(),
      kHeader +
          "| Kabel                         |              K1 |   4294967.294 |               | 2147483.647 |\r\n" +
          kBottom);
}

TEST_F(ReportTest, RefusedDocumentIsAnnouncedAndTheFileDeletedAllTheSame) {
  FillEachKind();
  standin::testing::FailNth(standin::Fault::DocumentStore, 1);
  check().WriteReport();

  EXPECT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes().back(), kNotStored);
  EXPECT_TRUE(standin::CurrentStore().Documents().empty());
  EXPECT_FALSE(std::filesystem::exists(kReport));
}

TEST_F(ReportTest, FileThatCannotBeOpenedShowsBlokadaAndNoSummary) {
  FillEachKind();
  std::filesystem::create_directory(kReport);
  check().WriteReport();

  EXPECT_EQ(Boxes(), std::vector<BoxSeen>{kWriteFailed});
  EXPECT_TRUE(std::filesystem::is_directory(kReport));
  EXPECT_TRUE(standin::CurrentStore().Documents().empty());
}

// Writes: the header, one per listed line, the bottom rule. A failing
// header or line write leaves the file as far as it got, without summary.
TEST_F(ReportTest, FailedHeaderOrLineWriteLeavesThePartialFileWithoutSummary) {
  const std::vector<std::size_t> written_before = {0, 396, 396 + 99, 396 + 198, 396 + 297};
  for (std::size_t n = 1; n <= written_before.size(); ++n) {
    SCOPED_TRACE("failing write " + std::to_string(n));
    front_.Clear();
    FillEachKind();
    standin::testing::FailNth(standin::Fault::StreamWrite, static_cast<long>(n));
    check().WriteReport();

    EXPECT_EQ(Boxes(), std::vector<BoxSeen>{kWriteFailed});
    EXPECT_EQ(ReadBytes(kReport), kEachKindFile.substr(0, written_before[n - 1]));
    EXPECT_TRUE(standin::CurrentStore().Documents().empty());
    standin::testing::ClearFaults();
  }
}

TEST_F(ReportTest, FailedBottomRuleWriteShowsSummaryThenBlokada) {
  FillEachKind();
  standin::testing::FailNth(standin::Fault::StreamWrite, 6);
  check().WriteReport();

  EXPECT_EQ(Boxes(),
            (std::vector<BoxSeen>{{"Podsumowanie", Summary("FV 12/2009", 4, 3, 1, 1, 1, 2), 1}, kWriteFailed}));
  EXPECT_EQ(ReadBytes(kReport), kEachKindFile.substr(0, kEachKindFile.size() - kBottom.size()));
  EXPECT_TRUE(standin::CurrentStore().Documents().empty());
}

}  // namespace
}  // namespace verify
