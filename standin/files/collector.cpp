// The steps before a collector import: is the collector ready, where does
// it leave its file, and fetching that file into the current directory.
#include <filesystem>
#include <string>
#include <system_error>

#include "abi/codepage.h"
#include "abi/host_codes.h"
#include "standin/entries.h"
#include "standin/files/files.h"

namespace standin {

namespace {

struct Collector {
  bool ready = true;
  std::string folder_mazovia;
};

Collector& State() {
  static Collector collector;
  return collector;
}

}  // namespace

namespace files {

bool SetCollectorFolder(std::string_view utf8) {
  std::string mazovia = codepage::Utf8ToMazovia(utf8);
  if (mazovia.size() >= korpus_abi::kCollectorFolderSize) return false;
  State().folder_mazovia = std::move(mazovia);
  return true;
}

std::string CollectorFolderUtf8() { return codepage::MazoviaToUtf8(State().folder_mazovia); }

void SetCollectorReady(bool ready) { State().ready = ready; }

void Reset() {
  State() = Collector{};
  SetCheckedInvoice(0);
}

}  // namespace files

namespace entry {

std::int16_t KORPUS_CALLEE CollectorReady() { return State().ready ? 1 : 0; }

const char* KORPUS_CALLEE CollectorFolder() { return State().folder_mazovia.c_str(); }

// Copies the file of that name from the folder into the current directory,
// over an older copy. Answers 1 when copied; 0 when there is no folder or
// the copy failed, which leaves an older copy as it was.
std::int32_t KORPUS_CALLEE FetchCollectorFile(const char* folder, const char* name) {
  if (folder == nullptr || name == nullptr || folder[0] == '\0' || name[0] == '\0') return 0;
  try {
    const std::filesystem::path file_name = std::filesystem::path(codepage::MazoviaToUtf8(name)).filename();
    const std::filesystem::path source = std::filesystem::path(codepage::MazoviaToUtf8(folder)) / file_name;
    std::error_code error;
    // Copying a file onto itself would empty it; copy_file refuses that.
    const bool copied =
        std::filesystem::copy_file(source, file_name, std::filesystem::copy_options::overwrite_existing, error);
    return copied && !error ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

}  // namespace entry

}  // namespace standin
