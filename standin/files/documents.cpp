// The document store: a file handed over by name is kept, bytes and all,
// in the current store's documents.
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/faults.h"
#include "standin/files/files.h"
#include "standin/tables/store.h"

namespace standin {

namespace {

std::string LocalTimeNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

std::int64_t& CheckedInvoiceId() {
  static std::int64_t invoice_id = 0;
  return invoice_id;
}

}  // namespace

namespace files {
void SetCheckedInvoice(std::int64_t invoice_id) { CheckedInvoiceId() = invoice_id; }
std::int64_t CheckedInvoice() { return CheckedInvoiceId(); }
}  // namespace files

namespace entry {

// The two zeros are the host's own options; kind 11 is what a plug-in's
// report is filed as, and any kind is kept as given.
std::int32_t KORPUS_CALLEE StoreDocument(std::int32_t kind, const char* name, std::int32_t, std::int32_t) {
  if (name == nullptr || ShouldFail(Fault::DocumentStore)) return 0;
  try {
    DocumentRow document;
    document.kind = kind;
    document.name = codepage::MazoviaToUtf8(name);
    std::error_code error;
    if (!std::filesystem::is_regular_file(document.name, error)) return 0;
    std::ifstream file(document.name, std::ios::binary);
    if (!file) return 0;
    // Read in blocks: a report of many thousand lines is megabytes.
    char block[1 << 16];
    while (file.read(block, sizeof block) || file.gcount() > 0) {
      document.content.insert(document.content.end(), block, block + file.gcount());
      if (file.eof()) break;
    }
    if (file.bad()) return 0;
    document.stored_at = LocalTimeNow();
    document.invoice_id = files::CheckedInvoice();
    CurrentStore().AddDocument(document);
    return 1;
  } catch (...) {
    return 0;
  }
}

}  // namespace entry

}  // namespace standin
