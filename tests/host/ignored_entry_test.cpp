// A missing host entry answered Ignore: the plug-in goes on with the
// fallback's 0, and wherever it takes a pointer, an object or a callable
// from the host, a 0 skips the step as if the host had delivered nothing.
// No read or write through null, nothing saved lost.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/check_launch.h"
#include "host/korpus/binding.h"
#include "standin/dialog/dialog_testing.h"
#include "standin/entries.h"
#include "standin/tables/tables.h"
#include "standin/testing.h"
#include "tests/support/check_harness.h"
#include "tests/support/mazovia.h"
#include "verify/dialog/dialog_template.h"

namespace reliability {
namespace {

using standin::KeyName;
using verify::CZrobPrufacje;

constexpr int kIgnore = 5;

using testing_support::Mz;

std::int64_t CountedTotal(const std::vector<verify::Position>& list) {
  std::int64_t total = 0;
  for (const verify::Position& p : list) total += p.counted;
  return total;
}

std::int64_t InvoicedTotal(const std::vector<verify::Position>& list) {
  std::int64_t total = 0;
  for (const verify::Position& p : list) total += p.invoiced;
  return total;
}

// The small invoice, merged: 10 + 5 + 24 + 5 + 1 pieces.
constexpr std::int64_t kInvoiced = 45000;

std::size_t SystemBoxes(const User& user) {
  std::size_t boxes = 0;
  for (const SeenBox& box : user.boxes()) boxes += box.kind == -1 ? 1 : 0;
  return boxes;
}

class IgnoredEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    world_ = UseSmallWorld();
    user_.system_answer = kIgnore;
  }
  void TearDown() override {
    standin::testing::ShowAllEntries();
    standin::testing::WithoutRecordBuffer(53, false);
    standin::testing::WithoutRecordBuffer(45, false);
    standin::testing::WithoutRecordBuffer(44, false);
  }

  CheckOutcome Check(std::vector<standin::Key> keys) {
    user_.Keys(std::move(keys));
    return RunCheck(world_, user_);
  }

  WorkingDirectory directory_;
  World world_;
  User user_;
};

// Typing a listed symbol and Enter twice (the quantity offered, then taken).
std::vector<standin::Key> CountSrb() {
  return Join({Typed("SRB-8"), {Named(KeyName::Enter)}, Typed("4"), {Named(KeyName::Enter)}});
}

// Typed symbols that do not arrive count nothing, and the list stays as
// loaded: a null value address reads the fields as empty, a zero-filled
// delegate is never called (the event handler is reached through one), and
// an uncopied text leaves the typed symbol empty.
TEST_F(IgnoredEntry, KeysThatCannotReachTheCheckCountNothing) {
  for (const std::uint16_t ordinal : {std::uint16_t{52033}, std::uint16_t{20972}, std::uint16_t{52161}}) {
    SCOPED_TRACE(ordinal);
    world_ = UseSmallWorld();
    user_.Forget();
    standin::testing::HideEntry(ordinal);
    const CheckOutcome outcome = Check(CountSrb());
    EXPECT_EQ(SystemBoxes(user_), 1u);
    EXPECT_EQ(outcome.list.size(), 5u);
    EXPECT_EQ(CountedTotal(outcome.list), 0);
    EXPECT_EQ(InvoicedTotal(outcome.list), kInvoiced);
    EXPECT_EQ(outcome.leaked_blocks, 0);
    EXPECT_EQ(user_.faults(), std::vector<std::string>{});
  }
}

TEST_F(IgnoredEntry, UnconvertedReportHeaderStaysInMazovia) {
  standin::testing::HideEntry(52158);
  const CheckOutcome outcome = Check(Join({CountSrb(), {Named(KeyName::F5)}}));
  EXPECT_EQ(CountedTotal(outcome.list), 4000);
  const std::vector<std::string> documents = StoredDocuments();
  ASSERT_EQ(documents.size(), 1u);
  EXPECT_NE(documents[0].find(Mz("Ilość")), std::string::npos) << "the header as the plug-in holds it";
  EXPECT_TRUE(IsWholeReport(documents[0]));
  EXPECT_EQ(outcome.leaked_blocks, 0);
}

TEST_F(IgnoredEntry, UnreadableProgressIsNeitherResumedNorDiscarded) {
  const std::string saved = "[Nr_faktury]\r\nNr fakt.=FV 1/2024\r\nIlosc=1\r\nr00=" + Mz("Śruba M8x40") +
                            ",SRB-8,7000,10000\r\n";
  WriteFile(directory_.path() / "Niezgodnosci.ini", saved);
  standin::testing::HideEntry(41399);
  const CheckOutcome outcome = Check({});
  EXPECT_EQ(SystemBoxes(user_), 1u);
  EXPECT_EQ(CountedTotal(outcome.list), 0) << "nothing was read";
  EXPECT_EQ(InvoicedTotal(outcome.list), kInvoiced);
  EXPECT_EQ(ReadFile(directory_.path() / "Niezgodnosci.ini"), saved);
}

// With the quantities option off an unlisted code is searched in the
// catalogues; without the context number the search finds nothing, so the
// goods come in as new ones.
TEST_F(IgnoredEntry, NullContextNumberSkipsTheCatalogueSearch) {
  standin::testing::HideEntry(52265);
  const CheckOutcome outcome =
      Check(Join({{standin::AltKey(U'U'), standin::AltKey(U'S')}, Typed("RKW-L"), {Named(KeyName::Enter)}}));
  EXPECT_EQ(SystemBoxes(user_), 1u);
  ASSERT_EQ(outcome.list.size(), 6u);
  const verify::Position& added = outcome.list.back();
  EXPECT_STREQ(added.symbol, "RKW-L");
  EXPECT_EQ(codepage::MazoviaToUtf8(added.name), "Nowy towar");
  EXPECT_EQ(added.counted, 1000);
  EXPECT_EQ(outcome.leaked_blocks, 0);
}

TEST_F(IgnoredEntry, NullStreamIsAWriteFailure) {
  standin::testing::HideEntry(52534);
  const CheckOutcome outcome = Check(Join({CountSrb(), {Named(KeyName::F5)}}));
  EXPECT_EQ(SystemBoxes(user_), 1u);
  EXPECT_TRUE(user_.Saw("Blokada", "Błąd w trakcie zapisu!"));
  EXPECT_TRUE(StoredDocuments().empty());
  EXPECT_EQ(outcome.leaked_blocks, 0);
}

TEST_F(IgnoredEntry, RealResultZeroMarksUncountedRowsUnchecked) {
  standin::testing::HideEntry(52179);
  CZrobPrufacje check;
  ASSERT_TRUE(StartWithoutDialog(check, world_, true));
  const std::string row = reinterpret_cast<const char*>(check.RowText(0));
  EXPECT_NE(row.find("niepruf."), std::string::npos) << row;
  EXPECT_EQ(SystemBoxes(user_), 1u);
}

// A table object without its record buffer: its scans deliver nothing the
// plug-in can see, so the invoice loads no positions and a typed symbol is
// an addition.
TEST_F(IgnoredEntry, NullRecordBufferLoadsNothing) {
  for (const std::int32_t table : {44, 45, 53}) standin::testing::WithoutRecordBuffer(table, true);
  const CheckOutcome outcome = Check(CountSrb());
  EXPECT_EQ(InvoicedTotal(outcome.list), 0);
  EXPECT_EQ(CountedTotal(outcome.list), 4000);
  EXPECT_EQ(outcome.leaked_blocks, 0);
  EXPECT_EQ(user_.faults(), std::vector<std::string>{});
}

// Files this process holds open.
std::size_t OpenFiles() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Abort in the middle of reading the collector's file or writing the
// report: the call ends the check, and the stream is closed on the way out.
TEST_F(IgnoredEntry, AnAbandonedCallClosesTheStreamItInterrupted) {
  struct Case {
    std::uint16_t ordinal;
    standin::KeyName key;
  };
  for (const Case c : {Case{52435, KeyName::F4}, Case{52158, KeyName::F5}}) {
    SCOPED_TRACE(c.ordinal);
    world_ = UseSmallWorld();
    directory_.ClearCheckFiles();
    WriteFile(directory_.path() / "data.txt", "SRB-8;1\r\n");
    standin::testing::HideEntry(c.ordinal);
    user_.system_answer = 3;  // Abort
    user_.Forget();
    const std::size_t before = OpenFiles();
    EXPECT_THROW(Check({Named(c.key)}), host::binding::HostCallAbandoned);
    EXPECT_EQ(OpenFiles(), before);
    EXPECT_EQ(SystemBoxes(user_), 1u);
    standin::testing::ShowAllEntries();
  }
}

// The check started as Ctrl-1 starts it: a run abandoned (F5's conversion
// answered Abort) and a destruction abandoned after it (the host's
// destructor) report the run's failure; the block goes back all the same.
TEST_F(IgnoredEntry, AnAbandonedRunIsReportedBeforeAnAbandonedDestruction) {
  standin::testing::HideEntry(52158);
  standin::testing::HideEntry(20903);
  user_.system_answer = 3;  // Abort
  user_.Keys({Named(KeyName::F5)});
  user_.NewCheck();
  const long blocks = standin::testing::LiveBlocks();
  korpus_abi::ListState state{};
  state.table_number = static_cast<std::uint16_t>(korpus_abi::kSalesRegister);
  try {
    host::RunCheck(&state, Mz(kInvoiceNumber).c_str(), world_.invoice_id);
    ADD_FAILURE() << "the run went on";
  } catch (const host::binding::HostCallAbandoned& abandoned) {
    EXPECT_EQ(abandoned.ordinal(), 52158u);
  }
  EXPECT_EQ(SystemBoxes(user_), 2u);
  EXPECT_EQ(standin::testing::LiveBlocks(), blocks);
  standin::testing::ShowAllEntries();
}

}  // namespace
}  // namespace reliability
