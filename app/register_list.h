// One invoice register as the host's list shows it: its rows in the host's
// row layout, the list state, and the delivery of every key as a list
// event through the handler in the register's table object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "abi/dialog_codes.h"
#include "abi/records.h"
#include "standin/tables/store.h"

namespace app {

// Keys as the host's lists receive them: characters by their code,
// other keys by their scan code times 256, Ctrl with a digit d as
// kCtrlDigits + d (so Ctrl-1 is its own code, 231), Ctrl with a letter as
// its control code, Alt with a letter as kAltLetters + the letter.
namespace list_key {
inline constexpr std::int32_t kBackspace = 8;
inline constexpr std::int32_t kTab = korpus_abi::kKeyTab;
inline constexpr std::int32_t kEnter = korpus_abi::kKeyEnter;
inline constexpr std::int32_t kEsc = korpus_abi::kKeyEsc;
inline constexpr std::int32_t kCtrl1 = korpus_abi::kEventCtrl1;
inline constexpr std::int32_t kCtrlDigits = kCtrl1 - 1;
inline constexpr std::int32_t kCtrlLetterBits = 0x1F;
inline constexpr std::int32_t kAltLetters = 0x1000;
inline constexpr std::int32_t kShiftTab = 0x0F00;
inline constexpr std::int32_t kHome = 0x4700;
inline constexpr std::int32_t kUp = 0x4800;
inline constexpr std::int32_t kPageUp = 0x4900;
inline constexpr std::int32_t kLeft = 0x4B00;
inline constexpr std::int32_t kRight = 0x4D00;
inline constexpr std::int32_t kEnd = 0x4F00;
inline constexpr std::int32_t kDown = 0x5000;
inline constexpr std::int32_t kPageDown = 0x5100;
inline constexpr std::int32_t kDelete = 0x5300;
inline constexpr std::int32_t kF3 = korpus_abi::FunctionKey(3);
}  // namespace list_key

// What the host's own handler answers: the list's work left to its caller.
enum class ListAnswer : std::int32_t { Stay = 0, SwitchRegister = 1, Quit = 2, ShowDocuments = 3 };

// One event as the host's handler received it.
struct ReceivedEvent {
  std::int32_t event;
  std::int32_t table;
  std::size_t current;
};

class RegisterList {
 public:
  static constexpr int kDefaultPageRows = 15;

  RegisterList(standin::Register kind, std::vector<standin::InvoiceRow> invoices, int page_rows = kDefaultPageRows);
  RegisterList(const RegisterList&) = delete;
  RegisterList& operator=(const RegisterList&) = delete;

  standin::Register kind() const { return kind_; }
  std::int32_t table_number() const;
  std::size_t size() const { return invoices_.size(); }
  std::size_t current() const { return current_; }
  std::size_t top() const { return top_; }
  int page_rows() const { return page_rows_; }
  // The page follows the screen's height; the current row stays on it.
  void SetPageRows(int rows);
  const standin::InvoiceRow& invoice(std::size_t index) const { return invoices_[index]; }

  // Moves the current row to the invoice of that number; false when the
  // register has none.
  bool Select(std::string_view number);

  // What has been typed of a number to search for (UTF-8): each character
  // typed in the list moves the current row to the first invoice whose
  // number begins with the search (ASCII letters in either case);
  // Backspace takes the last one back, Esc clears it, and any other key
  // ends the search. A character that no number goes on with is refused
  // with the bell.
  const std::string& search() const { return search_; }

  // Lays out the list state and row array and calls the handler found at
  // byte 104 of the register's table object. Its result comes back as is.
  std::int32_t Deliver(std::int32_t event);

  // The host's own handler, installed in the table object before any
  // plug-in can replace it: moves the current row, asks to switch the
  // register or to quit, and ignores every other event.
  static std::int32_t KORPUS_CALLEE HostHandler(std::int32_t event, std::uint16_t table, std::int32_t row_count,
                                                void** rows, std::int32_t page_rows, korpus_abi::ListState* state,
                                                std::int32_t arg7, std::int32_t arg8, std::int32_t arg9,
                                                std::uint16_t arg10, std::int32_t arg11);

  // Every event that reached the host's handler of this list, in order.
  const std::vector<ReceivedEvent>& received() const { return received_; }
  // Called for each of them as it arrives.
  void OnReceived(std::function<void(const ReceivedEvent&)> observer) { observer_ = std::move(observer); }

 private:
  // The state handed to the handlers; the host finds its list through it.
  struct HostListState {
    korpus_abi::ListState state;
    RegisterList* owner;
  };

  void MoveTo(std::int64_t row);
  // False when no invoice's number begins with the text.
  bool Find(std::string_view beginning);
  // A typed character; false when the event is not one.
  bool Search(std::int32_t event);
  void PrepareState();
  std::int32_t Handle(std::int32_t event);

  standin::Register kind_;
  std::vector<standin::InvoiceRow> invoices_;
  std::vector<std::array<std::uint8_t, korpus_abi::kRegisterRowSize>> records_;
  std::vector<void*> rows_;
  HostListState list_{};
  int page_rows_;
  std::size_t current_ = 0;
  std::size_t top_ = 0;
  std::string search_;
  std::vector<ReceivedEvent> received_;
  std::function<void(const ReceivedEvent&)> observer_;
};

}  // namespace app
