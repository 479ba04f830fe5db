// The INI access's files: the operating system's, or the memory's while
// it is in use.
#include "standin/ini/disk.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <unordered_map>

namespace standin::ini::disk {

namespace memory {

namespace {

struct Memory {
  std::mutex mutex;
  std::atomic<bool> on = false;
  std::uint64_t generation = 0;  // every content gets its own identity
  struct File {
    std::string bytes;
    std::uint64_t identity = 0;
  };
  std::unordered_map<std::string, File> files;
  // A check reads its file one key a call: the same name again and again.
  std::string last_name;
  std::string last_path;
};

Memory& State() {
  static Memory* const memory = new Memory;
  return *memory;
}

constexpr std::string_view kFolder = "/memory/";

bool IsAbsolute(std::string_view name) {
  return name.starts_with('/') || name.starts_with('\\') || (name.size() > 1 && name[1] == ':');
}

// "./a.ini" and "a.ini" are one file, as on disk.
std::string Resolve(std::string_view name) {
  std::string whole = IsAbsolute(name) ? std::string(name) : std::string(kFolder) + std::string(name);
  // As on disk, a plain name is its own normal form.
  const bool plain = whole.find_first_of('\\') == std::string::npos && whole.find("/.") == std::string::npos &&
                     whole.find("//") == std::string::npos && !whole.ends_with('/');
  return plain ? whole : std::filesystem::path(whole).lexically_normal().generic_string();
}

std::string ResolveRemembered(std::string_view name) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  if (memory.last_name.empty() || name != memory.last_name) {
    memory.last_path = Resolve(name);
    memory.last_name = name;
  }
  return memory.last_path;
}

Stamp StampOf(const Memory::File& file) {
  Stamp stamp;
  stamp.exists = true;
  stamp.regular = true;
  stamp.identity = file.identity;
  stamp.size = file.bytes.size();
  return stamp;
}

}  // namespace

bool InUse() { return State().on.load(std::memory_order_relaxed); }

void Use(bool on) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  memory.on = on;
  memory.files.clear();
}

void Clear() {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  memory.files.clear();
}

void Put(const char* name, std::string bytes) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  memory.files[Resolve(name)] = {std::move(bytes), ++memory.generation};
}

std::optional<std::string> Get(const char* name) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  const auto at = memory.files.find(Resolve(name));
  if (at == memory.files.end()) return std::nullopt;
  return at->second.bytes;
}

bool Remove(const char* name) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  return memory.on && memory.files.erase(Resolve(name)) != 0;
}

namespace {

Stamp Stamped(const std::string& path) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  const auto at = memory.files.find(path);
  return at == memory.files.end() ? Stamp{} : StampOf(at->second);
}

Contents Read(const std::string& path) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  Contents contents;
  if (const auto at = memory.files.find(path); at != memory.files.end()) {
    contents.stamp = StampOf(at->second);
    contents.bytes = at->second.bytes;
  }
  return contents;
}

void Replace(const std::string& path, std::string_view bytes) {
  Memory& memory = State();
  const std::lock_guard lock(memory.mutex);
  memory.files[path] = {std::string(bytes), ++memory.generation};
}

}  // namespace

}  // namespace memory

Stamp StampOf(const std::string& path) {
  return memory::InUse() ? memory::Stamped(path) : system::StampOf(path);
}

Contents Read(const std::string& path) { return memory::InUse() ? memory::Read(path) : system::Read(path); }

bool MayWrite(const std::string& path, const Stamp& stamp) {
  return memory::InUse() || system::MayWrite(path, stamp);
}

bool Replace(const std::string& path, std::string_view bytes, const Stamp& old) {
  if (!memory::InUse()) return system::Replace(path, bytes, old);
  memory::Replace(path, bytes);
  return true;
}

std::string AbsolutePath(const char* name) {
  return memory::InUse() ? memory::ResolveRemembered(name) : system::AbsolutePath(name);
}

std::string CacheKey(const std::string& absolute_path) {
  return memory::InUse() ? absolute_path : system::CacheKey(absolute_path);
}

}  // namespace standin::ini::disk
