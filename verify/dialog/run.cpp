// One check from its start to the end of the dialog.
#include <cstring>

#include "abi/records.h"
#include "host/boundary.h"
#include "host/korpus/entries.h"
#include "verify/dialog/dialog_template.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify {

namespace {

// A delegate object is the host's; its second method hands out the callable
// value that the dialog engine takes.
struct alignas(8) Delegate {
  unsigned char storage[korpus_abi::kDelegateSize];
};

// A delegate the host did not make (its entry answered 0) is left as
// zeros: it has no callable, and the engine gets none.
void* CallableOf(Delegate& delegate) {
  using Method = void*(KORPUS_METHOD*)(void*);
  korpus_abi::ClassTable table = nullptr;
  std::memcpy(&table, delegate.storage, sizeof table);
  if (table == nullptr || table[1] == nullptr) return nullptr;
  return reinterpret_cast<Method>(table[1])(delegate.storage);
}

}  // namespace

CZrobPrufacje::RunResult CZrobPrufacje::Run(const korpus_abi::ListState* list_state, const char* invoice_number,
                                            std::int32_t invoice_id) {
  positions_ = static_cast<Position*>(korpus::AllocateZeroed(kInitialPositions, sizeof(Position)));
  if (positions_ == nullptr) return kNoPositionsBlock;
  capacity_ = kInitialPositions;

  BoundedCopy(invoice_number_, invoice_number, sizeof invoice_number_ - 1);

  if (ResumeProgress() == kNotResumed) LoadInvoice(list_state->table_number, invoice_id);
  NormalisePositions();

  Delegate events{};
  Delegate rows{};
  korpus::DelegateMake(events.storage, this, reinterpret_cast<void*>(&korpus::DialogDeliverEvent));
  korpus::DelegateMake(rows.storage, this, reinterpret_cast<void*>(&korpus::DialogRowText));
  void* event_callable = CallableOf(events);
  void* row_callable = CallableOf(rows);

  host::ThroughHost(
      [&] { return korpus::RunDialog(DialogTemplate().data(), 1, &values_, row_callable, event_callable); });

  korpus::DelegateRelease(rows.storage);
  korpus::DelegateRelease(events.storage);
  return kRan;
}

}  // namespace verify
