// A whole check driven in-process as the host drives it: a small sales
// invoice in an in-memory store, the plug-in's entries bound to the
// stand-in, a working directory of its own, keys and box answers from the
// caller, and the list's invariants looked at between keys. The fault and
// kill sweeps, the hostile-input tests and the fuzz targets share it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "standin/dialog/keys.h"
#include "standin/frontend.h"
#include "standin/tables/store.h"
#include "tests/support/file_bytes.h"
#include "tests/support/goods_totals.h"
#include "tests/support/scratch_directory.h"
#include "verify/dialog/zrob_prufacje.h"

namespace reliability {

// The invoice that every check of the harness checks.
inline constexpr const char* kInvoiceNumber = "FV 1/2024";

// The report file as a complete one is long: the header, the listed lines
// and the bottom rule.
inline constexpr std::size_t kReportFixedBytes = 493;
inline constexpr std::size_t kReportLineBytes = 99;

struct World {
  std::shared_ptr<standin::Store> store;
  std::int32_t invoice_id = 0;
  std::int64_t other_invoice_id = 0;  // "FV 2/2024": one position
};

// The goods, catalogues and codes that a check's look-ups find:
//   catalogue 1 (searched): SRB-8, WKR-4, KOL-8, FRB-10, RKW-L
//   catalogue 2 (not searched): ARCH-1
//   codes: ZGRZ-12 = 12 × KOL-8, 5901234567893 = one FRB-10
// and the invoice FV 1/2024: SRB-8 10, WKR-4 5, KOL-8 24, FRB-10 3 + 2
// (twice, merged when the check starts), a service with no symbol 1.
void FillSmallWorld(standin::Store& store, World& world);

// A fresh in-memory store with the small world, made current; tables,
// faults, collector and binding back to their defaults, and the five table
// handles that the plug-in holds from its load on.
World UseSmallWorld();

// Binds the plug-in's entries to the stand-in afresh and fills the table
// handles from the current store's tables.
void BindPluginToStandIn();

// A temporary directory that is the current directory for its lifetime.
// The INI access forgets its cached files on entry and on exit.
class WorkingDirectory {
 public:
  WorkingDirectory();
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  const std::filesystem::path& path() const { return directory_.path(); }
  // Removes the files of a check (report, progress and its companions),
  // keeping data.txt, and forgets the INI cache.
  void ClearCheckFiles() const;

 private:
  testing_support::ScratchWorkingDirectory directory_;
};

// The names that the fuzz targets call them by.
inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
  testing_support::WriteBytes(path, bytes);
}
inline std::string ReadFile(const std::filesystem::path& path) { return testing_support::ReadBytes(path); }
bool Exists(const std::filesystem::path& path);

// A box as the user saw it, texts in UTF-8 (markup bytes kept).
struct SeenBox {
  std::string caption;
  std::string text;
  std::int32_t kind = 0;
  std::int16_t answer = 0;
};

// What a user at the keyboard does: keys one at a time, answers to boxes.
// Looks at the check between keys and at every summary box, and keeps a
// description of every broken invariant.
class User : public standin::FrontEnd {
 public:
  User();
  ~User() override;
  User(const User&) = delete;
  User& operator=(const User&) = delete;

  // Keys for the next dialog; the dialog ends after the last one as with
  // Esc. A key source, when set, is asked first and ends the dialog by
  // answering NoKey.
  void Keys(std::vector<standin::Key> keys);
  std::function<standin::Key()> key_source;
  // The answer to the resume question (kind 6): yes by default.
  bool resume = true;
  // Answers for every box, asked before the defaults when set.
  std::function<std::int16_t(const SeenBox&)> answer;
  // The answer to every system box: Abort (3), Retry (4) or Ignore (5).
  int system_answer = 3;

  // The check whose list is watched; null: none.
  const verify::CZrobPrufacje* watched = nullptr;
  // The dialog is drawn at every this many presentations (1: each); the
  // pictures are not looked at, so a fuzz target spares most of them.
  int picture_every = 1;

  const std::vector<SeenBox>& boxes() const { return boxes_; }
  std::vector<std::string> Captions() const;
  bool Saw(std::string_view caption, std::string_view text) const;
  const std::vector<std::string>& faults() const { return faults_; }
  int keys_given() const { return keys_given_; }
  // The list as the dialog opened with it (after the first key was asked).
  const std::vector<verify::Position>& opening_list() const { return opening_list_; }
  bool opened() const { return opened_; }
  void Forget();
  // A check begins: the opening list is taken again.
  void NewCheck();
  // Looks at the watched check now; a broken invariant is kept.
  void Look(const char* moment);

  std::int16_t ShowBox(const standin::BoxRequest& box) override;
  void ShowNotice(const std::string& text, std::int16_t& flag) override;
  int ShowSystemBox(const std::string& caption, const std::string& text) override;
  standin::Key NextKey() override;
  bool WantsPicture() override;

 private:
  int presentations_ = 0;
  std::vector<standin::Key> keys_;
  std::size_t next_ = 0;
  std::vector<SeenBox> boxes_;
  std::vector<std::string> faults_;
  std::vector<verify::Position> opening_list_;
  bool opened_ = false;
  int keys_given_ = 0;
  standin::FrontEnd* previous_;
};

// Keys of a typed text (UTF-8), one character each.
std::vector<standin::Key> Typed(std::string_view utf8);
std::vector<standin::Key> Join(std::initializer_list<std::vector<standin::Key>> parts);
standin::Key Named(standin::KeyName name);

// The first broken invariant of the check's list, or empty: the block is
// there once the check has one, the count lies within it, and every name
// and symbol ends within its field.
std::string ListFault(const verify::CZrobPrufacje& check);
// The first broken invariant of the summary counters after a report.
std::string CountersFault(const verify::CZrobPrufacje& check);

// The engine's symbol field ends within its 17 bytes (a dialog is open).
std::string SymbolFieldFault();

// Prepares a check as Run does before its dialog, without running one:
// the 5000-position block, the invoice number (Mazovia; the harness's
// invoice when null) and, when `load`, the invoice's positions loaded and
// normalised. False when the host gave no block.
bool StartWithoutDialog(verify::CZrobPrufacje& check, const World& world, bool load,
                        const char* invoice_number_mazovia = nullptr);

struct CheckOutcome {
  std::int32_t result = -1;
  std::vector<verify::Position> list;  // as the dialog left it
  verify::SummaryCounters counters{};
  long leaked_blocks = 0;              // host blocks left after the check
};

// One check of the invoice: constructs the check object, runs it with the
// user's keys, destroys it, and flushes the INI access as the host does
// after an event.
CheckOutcome RunCheck(const World& world, User& user, const char* invoice_number_mazovia = nullptr);

// Positions summed by name and symbol, texts in UTF-8: how two lists that
// a normalisation may have merged or reordered compare.
using testing_support::GoodsTotals;
using testing_support::TotalsOf;
std::string Describe(const GoodsTotals& totals);

// The documents the current store holds, as bytes.
std::vector<std::string> StoredDocuments();
// True when the bytes are a whole report: its length is the header and
// the bottom rule plus whole lines, and it ends with the bottom rule.
bool IsWholeReport(std::string_view bytes);

}  // namespace reliability
