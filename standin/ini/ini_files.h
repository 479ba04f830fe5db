// The files that the INI access has open, parsed and cached per absolute
// path. Every access first compares the file on disk with what the cache
// was loaded from; a file changed or removed behind the cache's back is
// loaded again, and pending changes made before that are dropped, as they
// would have been lost had they been written at once. A flush replaces the
// whole file in one step, so the file on disk is always one complete state.
#pragma once

#include <mutex>
#include <string>
#include <unordered_map>

#include "standin/ini/disk.h"
#include "standin/ini/ini_document.h"

namespace standin::ini {

struct CachedFile {
  std::string path;
  Document document;
  disk::Stamp stamp;
  bool writable = false;
  bool dirty = false;
};

class FileCache {
 public:
  // The lock is held by the caller across Open and its use of the file.
  std::mutex& Lock() { return mutex_; }

  // The cached file, loaded again when the disk no longer matches it; the
  // path is absolute.
  CachedFile& Open(const std::string& path);
  bool Flush(CachedFile& file);
  bool FlushAll();
  void Forget();

 private:
  std::mutex mutex_;
  std::unordered_map<std::string, CachedFile> files_;
};

FileCache& Files();

}  // namespace standin::ini
