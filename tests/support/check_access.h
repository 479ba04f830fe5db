// The check object's packed fields, for tests, benchmarks and the literal
// reference: one definition, since the object befriends one accessor.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "host/korpus/entries.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

struct CheckAccess {
  // The empty list of a check that starts: a block of the first size from
  // the host, and the invoice number. False when the host gives no block.
  static bool GiveBlock(CZrobPrufacje& check, const char* invoice_number = "") {
    if (!NewBlock(check)) return false;
    BoundedCopy(check.invoice_number_, invoice_number, 32);
    return true;
  }

  // A fresh block holding the positions, grown as the plug-in grows it
  // when they are more than the first block holds; the invoice number
  // stays.
  static void Fill(CZrobPrufacje& check, const std::vector<Position>& positions) {
    if (!NewBlock(check)) return;
    if (!check.ReservePositions(static_cast<std::int32_t>(positions.size()))) return;
    check.count_ = static_cast<std::int32_t>(positions.size());
    if (!positions.empty()) std::memcpy(check.positions_, positions.data(), positions.size() * sizeof(Position));
  }

  // One more position, texts given in UTF-8; the block grows as the
  // plug-in grows it. False when the host cannot grow it.
  [[nodiscard]] static bool Append(CZrobPrufacje& check, const std::string& name, const std::string& symbol,
                                   std::int32_t counted, std::int32_t invoiced) {
    if (!check.ReservePositions(check.count_ + 1)) return false;
    Position& p = check.positions_[check.count_++];
    std::memset(&p, 0, sizeof p);
    std::strncpy(p.name, codepage::Utf8ToMazovia(name).c_str(), sizeof p.name - 1);
    std::strncpy(p.symbol, codepage::Utf8ToMazovia(symbol).c_str(), sizeof p.symbol - 1);
    p.counted = counted;
    p.invoiced = invoiced;
    return true;
  }

  static Position* Block(const CZrobPrufacje& check) { return check.positions_; }
  static std::int32_t Capacity(const CZrobPrufacje& check) { return check.capacity_; }
  static std::int32_t RawCount(const CZrobPrufacje& check) { return check.count_; }
  static void SetBlock(CZrobPrufacje& check, Position* block, std::int32_t capacity) {
    check.positions_ = block;
    check.capacity_ = capacity;
  }
  static void SetCount(CZrobPrufacje& check, std::int32_t count) { check.count_ = count; }

  static SummaryCounters Counters(const CZrobPrufacje& check) { return check.counters_; }
  static void SetCounters(CZrobPrufacje& check, const SummaryCounters& counters) { check.counters_ = counters; }
  static void SetRefresh(CZrobPrufacje& check, bool on) { check.list_refresh_ = on ? 1 : 0; }
  static char* InvoiceNumber(CZrobPrufacje& check) { return check.invoice_number_; }
  static void SetInvoiceNumber(CZrobPrufacje& check, const char* number) {
    BoundedCopy(check.invoice_number_, number, 32);
  }
  static char* RowBuffer(CZrobPrufacje& check) { return check.row_text_; }
  static korpus_abi::ClassTable TableOf(const CZrobPrufacje& check) { return check.base_.class_table; }

 private:
  static bool NewBlock(CZrobPrufacje& check) {
    check.ReleasePositions();
    check.positions_ = static_cast<Position*>(korpus::AllocateZeroed(kInitialPositions, sizeof(Position)));
    check.capacity_ = check.positions_ == nullptr ? 0 : kInitialPositions;
    check.count_ = 0;
    return check.positions_ != nullptr;
  }
};

}  // namespace verify
