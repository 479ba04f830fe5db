// Construction and destruction of the check object.
#include "verify/dialog/zrob_prufacje.h"

#include <cstring>
#include <exception>

#include "host/korpus/entries.h"
#include "verify/dialog/class_table.h"

namespace verify {

// Field offsets after the base, in the host's order.
struct CZrobPrufacjeLayout {
  static constexpr std::size_t kBase = sizeof(korpus_abi::WDialogBase);
  static_assert(offsetof(CZrobPrufacje, base_) == 0);
  static_assert(offsetof(CZrobPrufacje, values_) == kBase);
  static_assert(offsetof(CZrobPrufacje, counters_) == kBase + 27);
  static_assert(offsetof(CZrobPrufacje, list_refresh_) == kBase + 51);
  static_assert(offsetof(CZrobPrufacje, count_) == kBase + 55);
  static_assert(offsetof(CZrobPrufacje, row_text_) == kBase + 59);
  static_assert(offsetof(CZrobPrufacje, positions_) == kBase + 315);
  static_assert(offsetof(CZrobPrufacje, invoice_number_) == kBase + 315 + sizeof(void*));
};

CZrobPrufacje::CZrobPrufacje() {
  korpus::DialogConstruct(this);
  base_.class_table = ClassTable().data();
  std::memset(&values_, 0, sizeof values_);
  counters_ = {};
  list_refresh_ = 0;
  count_ = 0;
  row_text_[0] = '\0';
  positions_ = nullptr;
  invoice_number_[0] = '\0';
  capacity_ = 0;
}

// A destructor must not throw: what a failing host call leaves undone here
// is undone for good. An object already destroyed has no class table.
CZrobPrufacje::~CZrobPrufacje() {
  if (base_.class_table == nullptr) return;
  try {
    Destroy(0);
  } catch (...) {
  }
}

void CZrobPrufacje::Destroy(std::uint32_t flags) {
  std::exception_ptr failure;
  const auto step = [&failure](auto&& call) {
    try {
      call();
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  };
  step([this] { ReleasePositions(); });
  step([this] { korpus::DialogDestruct(this); });
  base_.class_table = nullptr;
  if ((flags & 1) != 0) step([this] { korpus::DeleteObject(this); });
  if (failure) std::rethrow_exception(failure);
}

// The block is let go before the host is asked: a free entry that cannot
// be called leaves no pointer to free twice.
void CZrobPrufacje::ReleasePositions() {
  if (positions_ == nullptr) return;
  Position* const block = positions_;
  positions_ = nullptr;
  capacity_ = 0;
  count_ = 0;
  korpus::Free(block);
}

}  // namespace verify
