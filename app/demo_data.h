// The demo database: a small wholesaler's goods, code table and invoices,
// chosen so that one check of "FV 1/2024" with the example collector file
// shows every remark the check knows.
#pragma once

#include <string_view>

#include "standin/tables/store.h"

namespace app {

// Fills an empty store.
void FillDemoData(standin::Store& store);

// The collector's export that goes with invoice "FV 1/2024".
extern const std::string_view kDemoCollectorFile;

}  // namespace app
