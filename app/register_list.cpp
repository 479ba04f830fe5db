#include "app/register_list.h"

#include <algorithm>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/frontend.h"
#include "standin/tables/tables.h"

namespace app {

RegisterList::RegisterList(standin::Register kind, std::vector<standin::InvoiceRow> invoices, int page_rows)
    : kind_(kind), invoices_(std::move(invoices)), page_rows_(std::max(page_rows, 1)) {
  records_.resize(invoices_.size());
  for (std::size_t i = 0; i < invoices_.size(); ++i) {
    invoices_[i].kind = kind_;
    standin::tables::FillRegisterRow(invoices_[i], records_[i]);
    rows_.push_back(records_[i].data());
  }
  // An empty register still hands over an array: its one row is null.
  rows_.push_back(nullptr);
  list_.owner = this;
}

std::int32_t RegisterList::table_number() const {
  return kind_ == standin::Register::Sales ? korpus_abi::kSalesRegister : korpus_abi::kPurchaseRegister;
}

bool RegisterList::Select(std::string_view number) {
  const auto found = std::find_if(invoices_.begin(), invoices_.end(),
                                  [number](const standin::InvoiceRow& row) { return row.number == number; });
  if (found == invoices_.end()) return false;
  MoveTo(found - invoices_.begin());
  return true;
}

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool BeginsWith(std::string_view number, std::string_view beginning) {
  return number.size() >= beginning.size() &&
         std::equal(beginning.begin(), beginning.end(), number.begin(),
                    [](char a, char b) { return AsciiUpper(a) == AsciiUpper(b); });
}

// Characters come as their code; Ctrl with a digit (230 + the digit, the
// check's 231 among them) and keys by their scan code are no characters.
bool IsTypedCharacter(std::int32_t event) {
  constexpr std::int32_t kFirstPrintable = 0x20;
  using list_key::kCtrlDigits;
  return event >= kFirstPrintable && event < list_key::kShiftTab && (event < kCtrlDigits || event > kCtrlDigits + 9);
}

// UTF-8's continuation bytes go with the character they end.
void DropLastCharacter(std::string& text) {
  while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
  if (!text.empty()) text.pop_back();
}

}  // namespace

bool RegisterList::Find(std::string_view beginning) {
  const auto found = std::find_if(invoices_.begin(), invoices_.end(), [beginning](const standin::InvoiceRow& row) {
    return BeginsWith(row.number, beginning);
  });
  if (found == invoices_.end()) return false;
  MoveTo(found - invoices_.begin());
  return true;
}

bool RegisterList::Search(std::int32_t event) {
  if (!IsTypedCharacter(event)) return false;
  std::string longer = search_;
  codepage::AppendUtf8(longer, static_cast<char32_t>(event));
  if (Find(longer)) {
    search_ = std::move(longer);
  } else {
    standin::CurrentFrontEnd().Signal();
  }
  return true;
}

void RegisterList::MoveTo(std::int64_t row) {
  if (invoices_.empty()) return;
  const auto last = static_cast<std::int64_t>(invoices_.size()) - 1;
  current_ = static_cast<std::size_t>(std::clamp<std::int64_t>(row, 0, last));
  const auto page = static_cast<std::size_t>(page_rows_);
  if (current_ < top_) top_ = current_;
  if (current_ >= top_ + page) top_ = current_ - page + 1;
}

void RegisterList::SetPageRows(int rows) {
  rows = std::max(rows, 1);
  if (rows == page_rows_) return;
  page_rows_ = rows;
  // A taller page shows the rows above rather than blank lines below.
  const std::size_t page = static_cast<std::size_t>(page_rows_);
  top_ = invoices_.size() > page ? std::min(top_, invoices_.size() - page) : 0;
  MoveTo(static_cast<std::int64_t>(current_));
}

// The array starts a page before the top row, as the host keeps the page
// above the window ready for scrolling; the counters say where the
// current row lies in it.
void RegisterList::PrepareState() {
  const auto page = static_cast<std::size_t>(page_rows_);
  const std::size_t first = top_ >= page ? top_ - page : 0;
  list_.state.table_number = static_cast<std::uint16_t>(table_number());
  list_.state.first_visible = static_cast<std::int32_t>(first);
  list_.state.top = static_cast<std::int32_t>(top_);
  list_.state.cursor = static_cast<std::int32_t>(current_ - top_);
}

std::int32_t RegisterList::Deliver(std::int32_t event) {
  PrepareState();
  const auto first = static_cast<std::size_t>(list_.state.first_visible);
  korpus_abi::TableObject* table = standin::entry::OpenTable(table_number());
  const korpus_abi::ListHandler handler =
      table != nullptr && table->list_handler != nullptr ? table->list_handler : &HostHandler;
  return handler(event, static_cast<std::uint16_t>(table_number()), static_cast<std::int32_t>(rows_.size() - first),
                 rows_.data() + first, page_rows_, &list_.state, 0, 0, 0, 0, 0);
}

std::int32_t KORPUS_CALLEE RegisterList::HostHandler(std::int32_t event, std::uint16_t, std::int32_t, void**,
                                                     std::int32_t, korpus_abi::ListState* state, std::int32_t,
                                                     std::int32_t, std::int32_t, std::uint16_t, std::int32_t) {
  if (state == nullptr) return static_cast<std::int32_t>(ListAnswer::Stay);
  auto* list = reinterpret_cast<HostListState*>(state);
  return list->owner->Handle(event);
}

std::int32_t RegisterList::Handle(std::int32_t event) {
  received_.push_back({event, table_number(), current_});
  if (observer_) observer_(received_.back());
  if (Search(event)) return static_cast<std::int32_t>(ListAnswer::Stay);
  if (!search_.empty()) {
    if (event == list_key::kBackspace) {
      DropLastCharacter(search_);
      if (!search_.empty()) Find(search_);
      return static_cast<std::int32_t>(ListAnswer::Stay);
    }
    search_.clear();
    if (event == list_key::kEsc) return static_cast<std::int32_t>(ListAnswer::Stay);
  }
  const auto row = static_cast<std::int64_t>(current_);
  switch (event) {
    case list_key::kUp: MoveTo(row - 1); break;
    case list_key::kDown: MoveTo(row + 1); break;
    case list_key::kPageUp: MoveTo(row - page_rows_); break;
    case list_key::kPageDown: MoveTo(row + page_rows_); break;
    case list_key::kHome: MoveTo(0); break;
    case list_key::kEnd: MoveTo(static_cast<std::int64_t>(invoices_.size()) - 1); break;
    case list_key::kTab: return static_cast<std::int32_t>(ListAnswer::SwitchRegister);
    case list_key::kEsc: return static_cast<std::int32_t>(ListAnswer::Quit);
    case list_key::kF3: return static_cast<std::int32_t>(ListAnswer::ShowDocuments);
    default: break;
  }
  return static_cast<std::int32_t>(ListAnswer::Stay);
}

}  // namespace app
