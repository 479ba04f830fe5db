#include "standin/ini/ini_files.h"

#include <cstdlib>

namespace standin::ini {

namespace {

// The file as it is on disk now; unreadable and missing files hold nothing.
void Load(CachedFile& file) {
  disk::Contents contents = disk::Read(file.path);
  file.document = contents.bytes ? Document::Parse(*contents.bytes) : Document();
  // A file that is there but could not be read is not written over, which
  // would lose the keys it holds, and is read again at its next use.
  const bool unreadable = contents.stamp.exists && !contents.bytes;
  file.stamp = unreadable ? disk::Stamp{} : contents.stamp;
  file.writable = !unreadable && disk::MayWrite(file.path, contents.stamp);
  file.dirty = false;
}

}  // namespace

CachedFile& FileCache::Open(const std::string& path) {
  const disk::Stamp now = disk::StampOf(path);
  auto [at, added] = files_.try_emplace(disk::CacheKey(path));
  CachedFile& file = at->second;
  if (added || file.stamp != now) {
    file.path = path;
    Load(file);
  }
  return file;
}

bool FileCache::Flush(CachedFile& file) {
  if (!file.dirty) return true;
  const disk::Stamp now = disk::StampOf(file.path);
  if (now != file.stamp) {
    // Changed or removed behind our back: that happened after the pending
    // changes were made, so it wins over them.
    Load(file);
    return true;
  }
  if (!disk::Replace(file.path, file.document.Serialize(), now)) return false;
  file.stamp = disk::StampOf(file.path);
  file.dirty = false;
  return true;
}

bool FileCache::FlushAll() {
  const std::lock_guard lock(mutex_);
  bool all = true;
  for (auto& [key, file] : files_) all = Flush(file) && all;
  return all;
}

void FileCache::Forget() {
  const std::lock_guard lock(mutex_);
  files_.clear();
}

// Never destroyed, so that a flush from any other exit-time code still finds
// it; the exit flush is registered with the first use.
FileCache& Files() {
  static FileCache* const cache = [] {
    auto* created = new FileCache;
    std::atexit([] { Files().FlushAll(); });
    return created;
  }();
  return *cache;
}

}  // namespace standin::ini
