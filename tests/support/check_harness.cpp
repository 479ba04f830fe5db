#include "tests/support/check_harness.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "abi/codepage.h"
#include "abi/records.h"
#include "host/korpus/binding.h"
#include "host/korpus/entries.h"
#include "host/table_handles.h"
#include "standin/dialog/controls.h"
#include "standin/entries.h"
#include "standin/files/files.h"
#include "standin/ini/ini_access.h"
#include "standin/tables/tables.h"
#include "standin/testing.h"
#include "tests/support/check_access.h"
#include "tests/support/mazovia.h"
#include "tests/support/standin_session.h"

namespace reliability {

namespace {

using standin::CatalogueRow;
using standin::CodeRow;
using standin::GoodsRow;
using standin::PositionRow;

using testing_support::Mz;

}  // namespace

void FillSmallWorld(standin::Store& store, World& world) {
  store.AddCatalogues(std::vector<CatalogueRow>{{1, "Magazyn główny", true}, {2, "Wyprzedaż archiwalna", false}});
  store.AddGoods(std::vector<GoodsRow>{{1, 1, "Śruba M8x40", "SRB-8"},
                                       {1, 2, "Wkręt 4x40", "WKR-4"},
                                       {1, 3, "Kołek rozporowy 8", "KOL-8"},
                                       {1, 4, "Farba emulsyjna 10 l", "FRB-10"},
                                       {1, 5, "Rękawice robocze L", "RKW-L"},
                                       {2, 1, "Towar archiwalny", "ARCH-1"}});
  store.AddCodes(std::vector<CodeRow>{{"ZGRZ-12", 12000, "KOL-8", 0, 0}, {"5901234567893", 1000, "", 1, 4}});
  world.invoice_id = static_cast<std::int32_t>(
      store.AddInvoice({0, standin::Register::Sales, kInvoiceNumber, "2024-01-10", "Budmax"}));
  const auto id = world.invoice_id;
  store.AddPositions(std::vector<PositionRow>{{id, 0, "Śruba M8x40", "SRB-8", 10000},
                                              {id, 0, "Wkręt 4x40", "WKR-4", 5000},
                                              {id, 0, "Kołek rozporowy 8", "KOL-8", 24000},
                                              {id, 0, "Farba emulsyjna 10 l", "FRB-10", 3000},
                                              {id, 0, "Usługa transportowa", "", 1000},
                                              {id, 0, "Farba emulsyjna 10 l", "FRB-10", 2000}});
  world.other_invoice_id = store.AddInvoice({0, standin::Register::Sales, "FV 2/2024", "2024-01-11", "Budmax"});
  store.AddPosition({world.other_invoice_id, 0, "Wkręt 4x40", "WKR-4", 1000});
}

void BindPluginToStandIn() {
  ::testing_support::BindToStandIn();
  host::TableHandles& tables = host::Tables();
  tables.tabTspr = korpus::OpenTable(44);
  tables.tabTzak = korpus::OpenTable(52);
  tables.tabTspr_dok = korpus::OpenTable(45);
  tables.tabTzak_dok = korpus::OpenTable(53);
  tables.tabk9 = korpus::OpenTable(49);
}

World UseSmallWorld() {
  standin::testing::ClearFaults();
  standin::testing::ShowAllEntries();
  standin::tables::Reset();
  standin::files::Reset();
  standin::testing::SetControlState(7, 0);
  World world;
  world.store = standin::MakeMemoryStore();
  standin::UseStore(world.store);
  FillSmallWorld(*world.store, world);
  BindPluginToStandIn();
  return world;
}

// Working directory ------------------------------------------------------------

namespace {

// A memory file system where there is one: the progress file is synced on
// every flush, which on a disk would cost a run far more than its check.
std::filesystem::path ScratchBase() {
  std::error_code error;
  const std::filesystem::path shm = "/dev/shm";
  if (std::filesystem::is_directory(shm, error) && ::access(shm.c_str(), W_OK | X_OK) == 0) return shm;
  return std::filesystem::temp_directory_path();
}

}  // namespace

WorkingDirectory::WorkingDirectory() : directory_("prufacja-check", ScratchBase()) {
  standin::testing::ForgetIniFiles();
}

WorkingDirectory::~WorkingDirectory() { standin::testing::ForgetIniFiles(); }

void WorkingDirectory::ClearCheckFiles() const {
  standin::testing::ForgetIniFiles();
  standin::testing::ClearMemoryIniFiles();
  for (const char* name : {"Niezgodnosci.txt", "Niezgodnosci.ini", "Niezgodnosci.INO", "Niezgodnosci.LCK"}) {
    std::error_code error;
    std::filesystem::remove(path() / name, error);
  }
}

bool Exists(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

// The user ------------------------------------------------------------------------

User::User() : previous_(&standin::CurrentFrontEnd()) { standin::SetFrontEnd(this); }

User::~User() {
  if (&standin::CurrentFrontEnd() == this) standin::SetFrontEnd(previous_);
}

void User::Keys(std::vector<standin::Key> keys) {
  keys_ = std::move(keys);
  next_ = 0;
}

void User::NewCheck() {
  opened_ = false;
  opening_list_.clear();
}

std::vector<std::string> User::Captions() const {
  std::vector<std::string> captions;
  for (const SeenBox& box : boxes_) captions.push_back(box.caption);
  return captions;
}

bool User::Saw(std::string_view caption, std::string_view text) const {
  for (const SeenBox& box : boxes_) {
    if (box.caption == caption && box.text == text) return true;
  }
  return false;
}

void User::Forget() {
  boxes_.clear();
  faults_.clear();
}

void User::Look(const char* moment) {
  if (watched == nullptr) return;
  std::string fault = ListFault(*watched);
  if (fault.empty()) fault = SymbolFieldFault();
  if (!fault.empty()) faults_.push_back(std::string(moment) + ": " + fault);
}

std::int16_t User::ShowBox(const standin::BoxRequest& box) {
  SeenBox seen{codepage::MazoviaToUtf8(box.caption), codepage::MazoviaToUtf8(box.text), box.kind, 0};
  if (seen.caption == "Podsumowanie" && watched != nullptr) {
    Look("summary");
    if (std::string fault = CountersFault(*watched); !fault.empty()) faults_.push_back("summary: " + fault);
  }
  std::int16_t reply = 0;
  if (answer) reply = answer(seen);
  if (reply == 0) {
    reply = box.kind == standin::kBoxQuestion ? (resume ? standin::kAnswerYes : standin::kAnswerNo)
                                              : standin::kAnswerOk;
  }
  seen.answer = reply;
  boxes_.push_back(std::move(seen));
  return reply;
}

void User::ShowNotice(const std::string& text, std::int16_t&) {
  boxes_.push_back({"", codepage::MazoviaToUtf8(text), standin::kBoxNotice, standin::kAnswerOk});
}

int User::ShowSystemBox(const std::string& caption, const std::string& text) {
  boxes_.push_back({caption, text, -1, static_cast<std::int16_t>(system_answer)});
  return system_answer;
}

bool User::WantsPicture() { return picture_every <= 1 || ++presentations_ % picture_every == 0; }

standin::Key User::NextKey() {
  if (!opened_ && watched != nullptr) {
    opened_ = true;
    opening_list_.assign(watched->Positions().begin(), watched->Positions().end());
  }
  Look("between keys");
  standin::Key key = standin::NoKey();
  if (key_source) {
    key = key_source();
  } else if (next_ < keys_.size()) {
    key = keys_[next_++];
  }
  if (key.name != standin::KeyName::None) ++keys_given_;
  return key;
}

std::vector<standin::Key> Typed(std::string_view utf8) {
  std::vector<standin::Key> keys;
  for (std::size_t at = 0; at < utf8.size();) keys.push_back(standin::CharKey(codepage::DecodeUtf8(utf8, at)));
  return keys;
}

std::vector<standin::Key> Join(std::initializer_list<std::vector<standin::Key>> parts) {
  std::vector<standin::Key> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

standin::Key Named(standin::KeyName name) { return standin::NamedKey(name); }

// Invariants ----------------------------------------------------------------------

std::string ListFault(const verify::CZrobPrufacje& check) {
  const verify::Position* block = verify::CheckAccess::Block(check);
  const std::int32_t count = verify::CheckAccess::RawCount(check);
  const std::int32_t capacity = verify::CheckAccess::Capacity(check);
  if (block == nullptr) return count == 0 ? "" : "a count of " + std::to_string(count) + " without a block";
  if (count < 0) return "negative count " + std::to_string(count);
  if (count > capacity) {
    return "count " + std::to_string(count) + " beyond the block's " + std::to_string(capacity) + " positions";
  }
  for (std::int32_t i = 0; i < count; ++i) {
    const verify::Position& position = block[i];
    if (std::memchr(position.name, '\0', sizeof position.name) == nullptr) {
      return "the name of position " + std::to_string(i) + " runs past its field";
    }
    if (std::memchr(position.symbol, '\0', sizeof position.symbol) == nullptr) {
      return "the symbol of position " + std::to_string(i) + " runs past its field";
    }
  }
  const verify::SummaryCounters counters = check.counters();
  if (counters.new_goods < 0 || counters.on_document < 0) return "a negative counter";
  return "";
}

std::string CountersFault(const verify::CZrobPrufacje& check) {
  const verify::SummaryCounters c = check.counters();
  const std::int64_t listed = std::int64_t{c.correct} + c.differences + c.off_invoice;
  if (listed != check.count()) {
    return "correct " + std::to_string(c.correct) + " + differences " + std::to_string(c.differences) +
           " + off-invoice " + std::to_string(c.off_invoice) + " != count " + std::to_string(check.count());
  }
  if (c.unchecked < 0 || c.unchecked > c.differences) {
    return "unchecked " + std::to_string(c.unchecked) + " outside the " + std::to_string(c.differences) +
           " differences";
  }
  if (c.new_goods < 0 || c.new_goods > check.count()) return "new goods " + std::to_string(c.new_goods);
  return "";
}

std::string SymbolFieldFault() {
  const void* field = standin::entry::ValueAddress(3);
  if (field == nullptr) return "";
  if (std::memchr(field, '\0', 17) == nullptr) return "the symbol field runs past its 17 bytes";
  return "";
}

bool StartWithoutDialog(verify::CZrobPrufacje& check, const World& world, bool load,
                        const char* invoice_number_mazovia) {
  const std::string number = invoice_number_mazovia != nullptr ? invoice_number_mazovia : Mz(kInvoiceNumber);
  if (!verify::CheckAccess::GiveBlock(check, number.c_str())) return false;
  if (load) {
    check.LoadInvoice(static_cast<std::uint16_t>(korpus_abi::kSalesRegister), world.invoice_id);
    check.NormalisePositions();
  }
  return true;
}

// A whole check --------------------------------------------------------------------

CheckOutcome RunCheck(const World& world, User& user, const char* invoice_number_mazovia) {
  const long blocks_before = standin::testing::LiveBlocks();
  CheckOutcome outcome;
  {
    verify::CZrobPrufacje check;
    user.NewCheck();
    user.watched = &check;
    korpus_abi::ListState state{};
    state.table_number = static_cast<std::uint16_t>(korpus_abi::kSalesRegister);
    const std::string number = invoice_number_mazovia != nullptr ? invoice_number_mazovia : Mz(kInvoiceNumber);
    outcome.result = check.Run(&state, number.c_str(), world.invoice_id);
    user.Look("after the run");
    outcome.list.assign(check.Positions().begin(), check.Positions().end());
    outcome.counters = check.counters();
    user.watched = nullptr;
  }
  standin::FlushIniFiles();
  outcome.leaked_blocks = standin::testing::LiveBlocks() - blocks_before;
  return outcome;
}

std::string Describe(const GoodsTotals& totals) {
  std::ostringstream out;
  for (const auto& [goods, sums] : totals) {
    out << "{" << goods.first << " | " << goods.second << " | " << sums.first << " | " << sums.second << "} ";
  }
  return out.str();
}

std::vector<std::string> StoredDocuments() {
  std::vector<std::string> documents;
  for (const standin::DocumentRow& row : standin::CurrentStore().Documents()) {
    documents.emplace_back(row.content.begin(), row.content.end());
  }
  return documents;
}

bool IsWholeReport(std::string_view bytes) {
  static const std::string kBottom =
      "|_______________________________|_________________|_______________|_______________|_____________|";
  if (bytes.size() < kReportFixedBytes || (bytes.size() - kReportFixedBytes) % kReportLineBytes != 0) return false;
  if (!bytes.ends_with(kBottom) || !bytes.starts_with("._____")) return false;
  for (std::size_t end = kReportLineBytes; end + kBottom.size() <= bytes.size(); end += kReportLineBytes) {
    if (bytes.substr(end - 2, 2) != "\r\n") return false;
  }
  return true;
}

}  // namespace reliability
