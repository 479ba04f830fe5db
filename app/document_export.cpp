#include "app/document_export.h"

#include <fstream>
#include <ostream>

#include "app/document_text.h"
#include "standin/tables/store.h"

namespace app {

int ExportDocument(const std::filesystem::path& database, std::int64_t id, const std::string& target,
                   std::ostream& out, std::ostream& err) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(database, error)) {
    err << "korpus: no database " << database.string() << '\n';
    return 2;
  }
  std::optional<standin::DocumentRow> found;
  try {
    for (standin::DocumentRow& document : standin::OpenDatabase(database)->Documents()) {
      if (document.id == id) found = std::move(document);
    }
  } catch (const standin::StoreError& failure) {
    err << "korpus: " << failure.what() << '\n';
    return 2;
  }
  if (!found) {
    err << "korpus: " << database.string() << " holds no document " << id << '\n';
    return 1;
  }
  if (target == "-") {
    // On a terminal, as every text file, the last line has its end too.
    std::string text = DocumentUtf8(*found);
    if (!text.empty() && text.back() != '\n') text += '\n';
    out << text << std::flush;
    return out ? 0 : 2;
  }
  std::ofstream file(target, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(found->content.data()), static_cast<std::streamsize>(found->content.size()));
  file.close();
  if (!file) {
    err << "korpus: cannot write " << target << '\n';
    return 2;
  }
  return 0;
}

}  // namespace app
