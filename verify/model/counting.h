// Counting a code that no position holds, as the merge's third pass and
// the typed entry both do (the check's CountUnlisted is the rest).
#pragma once

namespace verify {

// The warning for a code that is on no position, when the no-additions
// option is on; true when it was shown (the item then adds nothing).
bool WarnNotOnInvoice(const char* symbol);

}  // namespace verify
