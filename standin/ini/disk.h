// What the INI access needs from the operating system: a file's identity
// and times, reading it whole, and replacing it whole in one step.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace standin::ini::disk {

// Enough to notice that a file was changed, replaced or removed.
struct Stamp {
  bool exists = false;
  bool regular = false;
  std::uint64_t volume = 0;
  std::uint64_t identity = 0;
  std::uint64_t size = 0;
  std::int64_t modified = 0;
  std::int64_t changed = 0;
  std::uint32_t mode = 0;  // permission bits, or the file's attributes

  friend bool operator==(const Stamp&, const Stamp&) = default;
};

Stamp StampOf(const std::string& path);

struct Contents {
  Stamp stamp;                       // of the file the bytes came from
  std::optional<std::string> bytes;  // nullopt: missing or unreadable
};
Contents Read(const std::string& path);

// Whether a replacement of the file could be written.
bool MayWrite(const std::string& path, const Stamp& stamp);

// The bytes as the file's new content at once: a temporary file in the
// same directory, synced, then renamed over the file. The old file's
// permissions are kept.
bool Replace(const std::string& path, std::string_view bytes, const Stamp& old);

// The absolute, normal form of a name relative to the current directory.
std::string AbsolutePath(const char* name);

// Names that the file system takes for one file share one cache entry.
std::string CacheKey(const std::string& absolute_path);

// The operating system's files, and files kept in memory by name (tests
// and fuzzing: no system call per key). The functions above answer from
// the memory while it is in use.
namespace system {
Stamp StampOf(const std::string& path);
Contents Read(const std::string& path);
bool MayWrite(const std::string& path, const Stamp& stamp);
bool Replace(const std::string& path, std::string_view bytes, const Stamp& old);
std::string AbsolutePath(const char* name);
std::string CacheKey(const std::string& absolute_path);
}  // namespace system

namespace memory {
bool InUse();
// Switching either way empties the memory.
void Use(bool on);
void Clear();
// Names as the INI access is given them, relative ones under one folder.
void Put(const char* name, std::string bytes);
std::optional<std::string> Get(const char* name);
bool Remove(const char* name);
}  // namespace memory

}  // namespace standin::ini::disk
