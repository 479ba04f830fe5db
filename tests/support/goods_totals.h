// Positions summed by name and symbol, texts in UTF-8: how two lists that
// a normalisation may have merged or reordered compare.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "abi/codepage.h"
#include "verify/model/records.h"

namespace testing_support {

using GoodsTotals = std::map<std::pair<std::string, std::string>, std::pair<std::int64_t, std::int64_t>>;

inline GoodsTotals TotalsOf(const std::vector<verify::Position>& list) {
  auto text = [](const char* field, std::size_t width) {
    return codepage::MazoviaToUtf8(std::string(field, ::strnlen(field, width)));
  };
  GoodsTotals totals;
  for (const verify::Position& p : list) {
    auto& sums = totals[{text(p.name, sizeof p.name), text(p.symbol, sizeof p.symbol)}];
    sums.first += p.counted;
    sums.second += p.invoiced;
  }
  return totals;
}

}  // namespace testing_support
