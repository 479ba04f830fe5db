// korpus --export-document: one stored document out of a database.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>

namespace app {

// Writes the document's bytes unchanged to the target file, or with "-"
// its text in UTF-8 to `out`. 0 when done; 1 when the database holds no
// such document; 2 when the database cannot be read or the file cannot be
// written. Errors go to `err`.
int ExportDocument(const std::filesystem::path& database, std::int64_t id, const std::string& target,
                   std::ostream& out, std::ostream& err);

}  // namespace app
