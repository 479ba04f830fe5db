// Entry 41399: one key of a private-profile file, written (mode 9) or read
// (mode 8). Answers 0 when the key was written or read.
#include "standin/ini/ini_access.h"

#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "standin/entries.h"
#include "standin/faults.h"
#include "standin/ini/disk.h"
#include "standin/ini/ini_document.h"
#include "standin/ini/ini_files.h"
#include "standin/ini/value_format.h"
#include "standin/trim.h"

namespace standin {

namespace {

using korpus_abi::kIniDone;
using korpus_abi::kIniRead;
using korpus_abi::kIniWrite;

// What the entry answers when the key was neither read nor written.
constexpr std::int16_t kNotDone = 1;

struct Address {
  std::string path;
  std::string_view section;
  std::string_view key;
};

std::optional<Address> KeyAddress(const char* file, const char* section, const char* key) {
  if (file == nullptr || *file == '\0' || section == nullptr || key == nullptr) return std::nullopt;
  Address address{ini::disk::AbsolutePath(file), TrimBlanks(section), TrimBlanks(key)};
  if (address.path.empty() || !ini::IsSectionName(address.section) || !ini::IsKeyName(address.key)) {
    return std::nullopt;
  }
  return address;
}

bool Write(const Address& address, const char* format, std::va_list args) {
  const auto value = ini::FormatValue(format, args);
  if (!value || !ini::IsValue(*value)) return false;
  ini::FileCache& files = ini::Files();
  const std::lock_guard lock(files.Lock());
  ini::CachedFile& file = files.Open(address.path);
  if (!file.writable) return false;
  if (file.document.Set(address.section, address.key, *value)) file.dirty = true;
  return true;
}

bool Read(const Address& address, const char* format, std::va_list args) {
  ini::FileCache& files = ini::Files();
  const std::lock_guard lock(files.Lock());
  ini::CachedFile& file = files.Open(address.path);
  // A read ends a run of writes: what was written reaches the disk before
  // the caller can act on the file by other means (the plug-in removes it).
  files.Flush(file);
  const auto value = file.document.Find(address.section, address.key);
  return value && ini::ScanValue(*value, format, args);
}

}  // namespace

bool FlushIniFiles() { return ini::Files().FlushAll(); }

namespace testing {
void ForgetIniFiles() { ini::Files().Forget(); }

void KeepIniFilesInMemory(bool on) {
  ini::Files().Forget();
  ini::disk::memory::Use(on);
}
bool IniFilesInMemory() { return ini::disk::memory::InUse(); }
void ClearMemoryIniFiles() { ini::disk::memory::Clear(); }
void PutMemoryIniFile(const char* name, std::string bytes) { ini::disk::memory::Put(name, std::move(bytes)); }
std::optional<std::string> MemoryIniFile(const char* name) { return ini::disk::memory::Get(name); }
bool RemoveMemoryIniFile(const char* name) { return ini::disk::memory::Remove(name); }
}  // namespace testing

namespace entry {

std::int16_t KORPUS_CALLER IniAccess(const char* file, std::int32_t mode, const char* section, const char* key,
                                     const char* format, ...) {
  // The plug-in passes a 16-bit mode; the upper half of the word is noise.
  const auto mode16 = static_cast<std::uint16_t>(mode);
  if (mode16 != kIniRead && mode16 != kIniWrite) return kNotDone;
  // Every write and read counts for fault injection, whether it gets far
  // or not.
  if (mode16 == kIniWrite && ShouldFail(Fault::IniWrite)) return kNotDone;
  if (mode16 == kIniRead && ShouldFail(Fault::IniRead)) return kNotDone;
  const auto address = KeyAddress(file, section, key);
  if (!address || format == nullptr) return kNotDone;

  std::va_list args;
  va_start(args, format);
  const bool done = mode16 == kIniWrite ? Write(*address, format, args) : Read(*address, format, args);
  va_end(args);
  return done ? kIniDone : kNotDone;
}

}  // namespace entry

}  // namespace standin
