// A scan of a host table, in the caller's storage as the host wants it. A
// scan that was started is ended on every way out of its scope, also when
// a host call abandoned in between unwinds the caller, so that no scan
// stays open in the host's process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

#include "abi/records.h"
#include "abi/tables.h"
#include "host/korpus/entries.h"

namespace verify {

class HostScan {
 public:
  explicit HostScan(korpus_abi::TableObject* table) : table_(table), unwinding_(std::uncaught_exceptions()) {}
  // The end is a host call too: when it is abandoned on the way out of a
  // scope, the caller learns of it as of any other call. Already unwinding,
  // the caller learns of the first abandoned call only.
  ~HostScan() noexcept(false) {
    if (!started_) return;
    started_ = false;
    if (std::uncaught_exceptions() > unwinding_) {
      try {
        korpus::ScanEnd(cursor_);
      } catch (...) {
      }
      return;
    }
    korpus::ScanEnd(cursor_);
  }
  HostScan(const HostScan&) = delete;
  HostScan& operator=(const HostScan&) = delete;

  korpus_abi::TableObject* table() const { return table_; }
  // Where the key entries build the scan's key before the start.
  void* key() { return key_; }

  // Starts the scan along the index from the key; false when the host did
  // not start it. A scan whose start answered is ended, started or not.
  bool Start(std::int32_t index) {
    status_ = korpus::ScanStart(cursor_, table_, index, key_, 0, 0);
    started_ = true;
    stepping_ = status_ != korpus_abi::kScanFailed;
    return stepping_;
  }

  // The next record in the table's record buffer; null at the end, when a
  // step fails, and from a table without a record buffer, whose scans
  // deliver nothing. After a null the scan is not stepped again.
  template <typename Record>
  const Record* Next() {
    if (!stepping_) return nullptr;
    status_ = korpus::ScanNext(cursor_);
    stepping_ = status_ == korpus_abi::kRecordDelivered && table_->record != nullptr;
    return stepping_ ? static_cast<const Record*>(table_->record) : nullptr;
  }

  // The host answered the start or the last step with 0: the scan failed.
  bool failed() const { return status_ == korpus_abi::kScanFailed; }

 private:
  alignas(std::max_align_t) std::byte cursor_[korpus_abi::kCursorSize]{};
  alignas(std::max_align_t) std::byte key_[korpus_abi::kKeySize]{};
  korpus_abi::TableObject* table_;
  int unwinding_;
  std::int32_t status_ = korpus_abi::kScanFailed;
  bool started_ = false;
  bool stepping_ = false;
};

}  // namespace verify
