// Loading an invoice's positions from the stand-in's positions tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/table_handles.h"
#include "standin/recording_frontend.h"
#include "standin/tables/store.h"
#include "standin/tables/tables.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/position_rows.h"
#include "tests/support/standin_session.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

using standin::PositionRow;
using standin::Register;
using testing_support::Row;
using testing_support::Rows;

std::string Numbered(const char* stem, int n) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%05d", stem, n);
  return text;
}

// Each register with the table number that names it.
constexpr std::pair<Register, std::int32_t> kRegisters[] = {{Register::Sales, 44}, {Register::Purchase, 52}};

// A scan of the sales positions that delivers one record whose texts fill
// their fields to the last byte, with no NUL to end them.
korpus_abi::TableObject* unended_table = nullptr;
int unended_reads = 0;

std::int32_t KORPUS_CALLEE UnendedScanNext(void*) {
  if (unended_reads++ > 0 || unended_table->record == nullptr) return 0;
  auto& record = *static_cast<korpus_abi::PositionRecord*>(unended_table->record);
  std::memset(record.name, 'N', sizeof record.name);
  std::memset(record.symbol, 'S', sizeof record.symbol);
  record.quantity = 2000;
  return 1;
}

class LoadInvoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    standin::testing::ClearFaults();
    standin::tables::Reset();
    standin::UseStore(standin::MakeMemoryStore());
    // The purchase positions table is held from the plug-in's load on.
    host::Tables().tabTzak_dok = korpus::OpenTable(53);
    ASSERT_NE(host::Tables().tabTzak_dok, nullptr);
    CheckAccess::GiveBlock(check_);
  }
  void TearDown() override {
    standin::testing::ClearFaults();
    standin::tables::Reset();
    host::Tables() = {};
  }

  std::int32_t AddInvoice(Register kind, const char* number, const std::vector<PositionRow>& positions) {
    standin::InvoiceRow invoice;
    invoice.kind = kind;
    invoice.number = number;
    const std::int64_t id = standin::CurrentStore().AddInvoice(invoice);
    std::vector<PositionRow> rows = positions;
    for (PositionRow& row : rows) row.invoice_id = id;
    standin::CurrentStore().AddPositions(rows);
    return static_cast<std::int32_t>(id);
  }

  std::int32_t AddLargeInvoice(int positions) {
    std::vector<PositionRow> rows;
    for (int i = 0; i < positions; ++i) rows.push_back({.name = Numbered("Towar ", i), .symbol = Numbered("T", i), .quantity = 1000 + i});
    return AddInvoice(Register::Sales, "FV 900/2024", rows);
  }

  void ExpectWholeLargeInvoice(int positions) {
    ASSERT_EQ(check_.count(), positions);
    const auto list = check_.Positions();
    for (int i = 0; i < positions; ++i) {
      ASSERT_EQ(std::string(list[i].name), Numbered("Towar ", i)) << "position " << i;
      ASSERT_EQ(std::string(list[i].symbol), Numbered("T", i)) << "position " << i;
      ASSERT_EQ(std::int32_t{list[i].invoiced}, 1000 + i) << "position " << i;
      ASSERT_EQ(std::int32_t{list[i].counted}, 0) << "position " << i;
    }
  }

  ::testing_support::BoundToStandIn bound_;
  standin::RecordingFrontEnd front_;
  CZrobPrufacje check_;
};

TEST_F(LoadInvoiceTest, TextsWithoutAnEndAreCutToThePositionsFields) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 1/2024", {{.name = "Nit", .symbol = "N1", .quantity = 1000}});
  unended_table = korpus::OpenTable(45);
  unended_reads = 0;
  *host::binding::FindByName("ScanNext")->slot = reinterpret_cast<void*>(&UnendedScanNext);

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);
  ::testing_support::BindToStandIn();

  EXPECT_EQ(Rows(check_), (std::vector<Row>{{std::string(120, 'N'), std::string(16, 'S'), 0, 2000}}));
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(LoadInvoiceTest, InvoiceWithoutPositionsLoadsAsEmptyList) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 1/2024", {});

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);

  EXPECT_EQ(check_.count(), 0);
  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(LoadInvoiceTest, SalesInvoiceLoadsItsPositionsInLineOrder) {
  const std::int32_t sales = AddInvoice(Register::Sales, "FV 1/2024",
                                        {{.name = "Śruba M6", .symbol = "SR6", .quantity = 12000},
                                         {.name = "Klej", .symbol = "", .quantity = 1000},
                                         {.name = "Wkręt", .symbol = "WK4", .quantity = 2500}});
  AddInvoice(Register::Purchase, "FZ 1/2024", {{.name = "Nit", .symbol = "N1", .quantity = 7000}});

  EXPECT_EQ(check_.LoadInvoice(44, sales), 1);

  EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Śruba M6", "SR6", 0, 12000}, {"Klej", "", 0, 1000}, {"Wkręt", "WK4", 0, 2500}}));
  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(LoadInvoiceTest, PurchaseInvoiceLoadsFromThePurchasePositions) {
  AddInvoice(Register::Sales, "FV 1/2024", {{.name = "Śruba M6", .symbol = "SR6", .quantity = 12000}});
  const std::int32_t purchase = AddInvoice(Register::Purchase, "FZ 1/2024",
                                           {{.name = "Nit", .symbol = "N1", .quantity = 7000},
                                            {.name = "Podkładka", .symbol = "P8", .quantity = 500}});

  EXPECT_EQ(check_.LoadInvoice(52, purchase), 1);

  EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Nit", "N1", 0, 7000}, {"Podkładka", "P8", 0, 500}}));
}

TEST_F(LoadInvoiceTest, TwoAndAHalfArriveAsThousandths) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 2/2024", {{.name = "Kabel", .symbol = "K2", .quantity = 2500}});

  check_.LoadInvoice(44, id);

  ASSERT_EQ(check_.count(), 1);
  std::intptr_t text = check_.RowText(0);
  if (text == 0) text = check_.RowText(0);  // the first request after a change only clears the flag
  ASSERT_NE(text, 0);
  EXPECT_EQ(codepage::MazoviaToUtf8(reinterpret_cast<const char*>(text)), "   1. Kabel\rK2\r0.00\r2.50\rniepruf.");
}

TEST_F(LoadInvoiceTest, EqualPositionsStayApartUntilNormalised) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 3/2024",
                                     {{.name = "Wkręt", .symbol = "WK4", .quantity = 2000},
                                      {.name = "Wkręt", .symbol = "WK4", .quantity = 3000},
                                      {.name = "Wkręt długi", .symbol = "WK4", .quantity = 1000}});

  check_.LoadInvoice(44, id);
  ASSERT_EQ(check_.count(), 3);
  check_.NormalisePositions();

  EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Wkręt", "WK4", 0, 5000}, {"Wkręt długi", "WK4", 0, 1000}}));
  EXPECT_EQ(std::int32_t{check_.counters().on_document}, 2);
}

TEST_F(LoadInvoiceTest, WhateverTheListHeldIsDropped) {
  ASSERT_TRUE(CheckAccess::Append(check_, "Stare", "S1", 0, 1000));
  ASSERT_TRUE(CheckAccess::Append(check_, "Stare", "S2", 0, 1000));
  const std::int32_t id = AddInvoice(Register::Sales, "FV 4/2024", {{.name = "Nowe", .symbol = "N1", .quantity = 1000}});

  check_.LoadInvoice(44, id);

  EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Nowe", "N1", 0, 1000}}));
}

TEST_F(LoadInvoiceTest, MissingPositionsTableShowsDiskErrorAndKeepsTheList) {
  ASSERT_TRUE(CheckAccess::Append(check_, "Stare", "S1", 0, 1000));
  standin::tables::SetAvailable(45, false);
  for (const auto& [kind, table] : kRegisters) {
    SCOPED_TRACE(table);
    front_.Clear();
    const std::int32_t id = AddInvoice(kind, "F 5/2024", {{.name = "Nowe", .symbol = "N1", .quantity = 1000}});

    EXPECT_EQ(check_.LoadInvoice(static_cast<std::uint16_t>(table), id), 0);

    ASSERT_EQ(front_.boxes().size(), 1u);
    EXPECT_EQ(front_.boxes()[0].CaptionUtf8(), "Błąd");
    EXPECT_EQ(front_.boxes()[0].TextUtf8(), "Błąd operacji dyskowej we wtyczce prufacja!");
    EXPECT_EQ(front_.boxes()[0].kind, 1);
    EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Stare", "S1", 0, 1000}}));
  }
}

TEST_F(LoadInvoiceTest, PurchasePositionsNotHeldSinceLoadShowDiskErrorForSalesToo) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 6/2024", {{.name = "Nowe", .symbol = "N1", .quantity = 1000}});
  host::Tables().tabTzak_dok = nullptr;

  EXPECT_EQ(check_.LoadInvoice(44, id), 0);

  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].TextUtf8(), "Błąd operacji dyskowej we wtyczce prufacja!");
  EXPECT_EQ(check_.count(), 0);
}

// Only table 45 and the purchase table held since the load are required: a
// fresh open of table 53 that answers nothing refuses neither register, and
// a purchase invoice is read through the held table.
TEST_F(LoadInvoiceTest, PurchasePositionsTableUnavailableNowRefusesNeitherRegister) {
  for (const auto& [kind, table] : kRegisters) {
    SCOPED_TRACE(table);
    const std::int32_t id = AddInvoice(kind, "F 6/2024", {{.name = "Nowe", .symbol = "N1", .quantity = 1000}});
    standin::tables::SetAvailable(53, false);
    EXPECT_EQ(check_.LoadInvoice(static_cast<std::uint16_t>(table), id), 1);
    standin::tables::SetAvailable(53, true);
    EXPECT_TRUE(front_.boxes().empty());
    EXPECT_EQ(Rows(check_), (std::vector<Row>{{"Nowe", "N1", 0, 1000}}));
  }
}

TEST_F(LoadInvoiceTest, UnknownRegisterEmptiesTheListSilently) {
  ASSERT_TRUE(CheckAccess::Append(check_, "Stare", "S1", 0, 1000));

  EXPECT_EQ(check_.LoadInvoice(49, 1), 0);

  EXPECT_EQ(check_.count(), 0);
  EXPECT_TRUE(front_.boxes().empty());
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(LoadInvoiceTest, ScanThatCannotStartGivesEmptyListAndResultOne) {
  const std::int32_t id = AddInvoice(Register::Sales, "FV 7/2024", {{.name = "Nowe", .symbol = "N1", .quantity = 1000}});
  standin::testing::FailScanStart(45, true);

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);

  EXPECT_EQ(check_.count(), 0);
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

TEST_F(LoadInvoiceTest, OneMoreThanTheFirstBlockLoadsWhole) {
  const std::int32_t id = AddLargeInvoice(5001);

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);

  ExpectWholeLargeInvoice(5001);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST_F(LoadInvoiceTest, TwelveThousandPositionsLoadWhole) {
  const std::int32_t id = AddLargeInvoice(12000);

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);

  ExpectWholeLargeInvoice(12000);
  EXPECT_TRUE(front_.boxes().empty());
}

TEST_F(LoadInvoiceTest, BlockThatCannotGrowKeepsWhatWasReadAndTellsTheUser) {
  const std::int32_t id = AddLargeInvoice(12000);
  standin::testing::FailAlways(standin::Fault::Allocation, true);

  EXPECT_EQ(check_.LoadInvoice(44, id), 1);

  ExpectWholeLargeInvoice(5000);
  ASSERT_EQ(front_.boxes().size(), 1u);
  EXPECT_EQ(front_.boxes()[0].CaptionUtf8(), "Błąd");
  EXPECT_EQ(front_.boxes()[0].TextUtf8(),
            "Nie udało się wczytać całej faktury!\nWczytano 5000 pozycji, sprawdzanie będzie niepełne.");
  EXPECT_EQ(front_.boxes()[0].kind, 1);
  EXPECT_EQ(standin::tables::ActiveScans(), 0);
}

}  // namespace
}  // namespace verify
