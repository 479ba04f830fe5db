#include "fuzz/checks.h"

#include <cstring>

#include "standin/ini/ini_access.h"

#if !defined(_WIN32)
#include <dlfcn.h>

// The plug-in removes its progress file with the C library's remove; while
// the INI files are in memory, the removal must reach them there.
extern "C" int remove(const char* path) noexcept {
  if (standin::testing::RemoveMemoryIniFile(path)) return 0;
  using Remove = int (*)(const char*);
  static const auto next = reinterpret_cast<Remove>(::dlsym(RTLD_NEXT, "remove"));
  return next(path);
}
#endif

namespace fuzz {

namespace {

// Enough rows to reach past the first screens without making a long list
// cost more than its import.
constexpr std::int32_t kRowsLookedAt = 300;

}  // namespace

std::string ShowEverything(verify::CZrobPrufacje& check, reliability::User& user) {
  check.SortForDisplay();
  if (check.RowText(-1) != check.count()) return "row -1 does not answer the count";
  const std::int32_t rows = check.count() < kRowsLookedAt ? check.count() : kRowsLookedAt;
  for (std::int32_t row = 0; row < rows; ++row) {
    std::intptr_t text = check.RowText(static_cast<std::int16_t>(row));
    if (text == 0) text = check.RowText(static_cast<std::int16_t>(row));
    if (text == 0) return "row " + std::to_string(row) + " has no text";
    if (::strnlen(reinterpret_cast<const char*>(text), 256) == 256) {
      return "the text of row " + std::to_string(row) + " runs past its field";
    }
  }
  check.WriteReport();
  user.Look("after the report");
  return reliability::ListFault(check);
}

void KeepIniFilesInMemory() {
#if !defined(_WIN32)
  static const bool kept = (standin::testing::KeepIniFilesInMemory(true), true);
  (void)kept;
#endif
}

void PutIniFile(const char* name, Input bytes) {
  std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (standin::testing::IniFilesInMemory()) {
    standin::testing::PutMemoryIniFile(name, std::move(text));
  } else {
    reliability::WriteFile(name, text);
  }
}

std::string IniFile(const char* name) {
  if (standin::testing::IniFilesInMemory()) return standin::testing::MemoryIniFile(name).value_or("");
  return reliability::ReadFile(name);
}

// The check's own captions, and the host's key help under F1.
std::string BoxesFault(const reliability::User& user) {
  for (const reliability::SeenBox& box : user.boxes()) {
    if (box.caption != "Uwaga" && box.caption != "Błąd" && box.caption != "Blokada" && box.caption != "Podsumowanie" &&
        box.caption != "Pomoc") {
      return "a box captioned \"" + box.caption + "\"";
    }
  }
  return "";
}

}  // namespace fuzz
