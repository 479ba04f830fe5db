// Positions and counted items as tests write them: texts in UTF-8, stored
// in Mazovia and cut to their fields as the check holds them.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "abi/codepage.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify::testing_support {

inline Position MakePosition(const std::string& name, const std::string& symbol, std::int32_t counted,
                             std::int32_t invoiced) {
  Position p{};
  std::strncpy(p.name, codepage::Utf8ToMazovia(name).c_str(), sizeof p.name - 1);
  std::strncpy(p.symbol, codepage::Utf8ToMazovia(symbol).c_str(), sizeof p.symbol - 1);
  p.counted = counted;
  p.invoiced = invoiced;
  return p;
}

inline CountedItem MakeItem(const std::string& symbol, std::int32_t quantity, const std::string& alternative = "") {
  CountedItem item{};
  std::strncpy(item.symbol, codepage::Utf8ToMazovia(symbol).c_str(), sizeof item.symbol - 1);
  std::strncpy(item.alternative, codepage::Utf8ToMazovia(alternative).c_str(), sizeof item.alternative - 1);
  item.quantity = quantity;
  return item;
}

}  // namespace verify::testing_support
