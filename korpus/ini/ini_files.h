// The files that the INI access has open, parsed and cached per absolute
// path. Every access first compares the file on disk with what the cache
// was loaded from (inode, size, times); a file changed or removed behind the
// cache's back is loaded again, and pending changes made before that are
// dropped, as they would have been lost had they been written at once.
// Flushing replaces the whole file through a temporary file and a rename,
// so the file on disk is always one complete state.
#pragma once

#include <sys/types.h>

#include <ctime>
#include <mutex>
#include <string>
#include <unordered_map>

#include "korpus/ini/ini_document.h"

namespace standin::ini {

struct Stamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  std::timespec modified{};
  std::timespec changed{};
  mode_t mode = 0;

  friend bool operator==(const Stamp& a, const Stamp& b);
};

Stamp StampOf(const std::string& path);

// Writes the bytes as the file's new content at once: a temporary file in
// the same directory, synced, then renamed over the file.
bool ReplaceFile(const std::string& path, std::string_view bytes, const Stamp& old);

struct CachedFile {
  Document document;
  Stamp stamp;
  bool writable = false;
  bool dirty = false;
};

class FileCache {
 public:
  // The lock is held by the caller across Open and its use of the file.
  std::mutex& Lock() { return mutex_; }

  // The cached file, loaded again when the disk no longer matches it.
  CachedFile& Open(const std::string& path);
  bool Flush(const std::string& path, CachedFile& file);
  bool FlushAll();
  void Forget();

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, CachedFile> files_;
};

FileCache& Files();

// The absolute, lexically normal form of a name relative to the current
// directory, so that "x.ini" and "./x.ini" share one cache entry.
std::string AbsolutePath(const char* name);

}  // namespace standin::ini
