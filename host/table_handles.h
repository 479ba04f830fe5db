// The five host tables the plug-in holds while it is loaded. The entry
// code fills them when the host loads the plug-in; the check reads them.
#pragma once

#include "abi/records.h"

namespace host {

struct TableHandles {
  korpus_abi::TableObject* tabTspr = nullptr;      // 44, sales register
  korpus_abi::TableObject* tabTzak = nullptr;      // 52, purchase register
  korpus_abi::TableObject* tabTspr_dok = nullptr;  // 45, sales positions
  korpus_abi::TableObject* tabTzak_dok = nullptr;  // 53, purchase positions
  korpus_abi::TableObject* tabk9 = nullptr;        // 49, goods
};

TableHandles& Tables();

}  // namespace host
