// The whole database file looked through for values that the host's
// records cannot hold as they are (korpus --check-db).
#pragma once

#include <filesystem>
#include <vector>

#include "standin/tables/value_problems.h"

namespace standin::tables {

// Every such value, table by table in rowid order. The file is opened
// read-only; a table it lacks has no problems. Throws StoreError when the
// file cannot be opened or read.
std::vector<ValueProblem> CheckDatabase(const std::filesystem::path& file);

}  // namespace standin::tables
