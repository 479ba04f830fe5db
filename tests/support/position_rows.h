// A check's list as tests compare it: each position with its texts back in
// UTF-8, printed whole when a comparison fails.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "verify/dialog/zrob_prufacje.h"

namespace verify::testing_support {

struct Row {
  std::string name;
  std::string symbol;
  std::int32_t counted;
  std::int32_t invoiced;
  bool operator==(const Row&) const = default;
};

inline void PrintTo(const Row& row, std::ostream* out) {
  *out << "{" << row.name << ", " << row.symbol << ", " << row.counted << ", " << row.invoiced << "}";
}

// The list in its order.
inline std::vector<Row> Rows(const CZrobPrufacje& check) {
  std::vector<Row> rows;
  for (const Position& p : check.Positions()) {
    rows.push_back({codepage::MazoviaToUtf8(p.name), codepage::MazoviaToUtf8(p.symbol), p.counted, p.invoiced});
  }
  return rows;
}

}  // namespace verify::testing_support
