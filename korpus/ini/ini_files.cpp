#include "korpus/ini/ini_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace standin::ini {

namespace {

bool SameTime(const std::timespec& a, const std::timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

Stamp FromStat(const struct stat& info) {
  Stamp stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim;
  stamp.changed = info.st_ctim;
  stamp.mode = info.st_mode;
  return stamp;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool ReadAll(int fd, std::string& out) {
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return true;
    out.append(buffer, static_cast<std::size_t>(got));
  }
}

std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
}

// The content in a synced file of its own, keeping the old file's mode.
bool FillTemporary(int fd, std::string_view bytes, const Stamp& old) {
  if (!WriteAll(fd, bytes)) return false;
  if (old.exists && ::fchmod(fd, old.mode & 07777) != 0) return false;
  return ::fsync(fd) == 0;
}

// An unnamed file gets its temporary name only for the instant before the
// rename, so a killed process hardly ever leaves one behind.
std::string WriteUnnamed(const std::string& path, std::string_view bytes, const Stamp& old) {
  const int fd = ::open(DirectoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return {};
  std::string temporary;
  if (FillTemporary(fd, bytes, old)) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    temporary = TemporaryName(path);
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) temporary.clear();
  }
  ::close(fd);
  return temporary;
}

std::string WriteNamed(const std::string& path, std::string_view bytes, const Stamp& old) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string temporary = TemporaryName(path);
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return {};
    }
    const bool filled = FillTemporary(fd, bytes, old);
    if (::close(fd) != 0 || !filled) {
      ::unlink(temporary.c_str());
      return {};
    }
    return temporary;
  }
  return {};
}

void SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool MayWrite(const std::string& path, const Stamp& stamp) {
  if (stamp.exists && (!S_ISREG(stamp.mode) || ::access(path.c_str(), W_OK) != 0)) return false;
  return ::access(DirectoryOf(path).c_str(), W_OK | X_OK) == 0;
}

// The file as it is on disk now; unreadable and missing files hold nothing.
CachedFile Load(const std::string& path) {
  CachedFile file;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    file.stamp = StampOf(path);
  } else {
    struct stat info {};
    std::string bytes;
    if (::fstat(fd, &info) == 0) {
      file.stamp = FromStat(info);
      if (S_ISREG(info.st_mode) && ReadAll(fd, bytes)) file.document = Document::Parse(bytes);
    }
    ::close(fd);
  }
  file.writable = MayWrite(path, file.stamp);
  return file;
}

}  // namespace

bool operator==(const Stamp& a, const Stamp& b) {
  if (a.exists != b.exists) return false;
  if (!a.exists) return true;
  return a.device == b.device && a.inode == b.inode && a.size == b.size && a.mode == b.mode &&
         SameTime(a.modified, b.modified) && SameTime(a.changed, b.changed);
}

Stamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return FromStat(info);
}

bool ReplaceFile(const std::string& path, std::string_view bytes, const Stamp& old) {
  std::string temporary = WriteUnnamed(path, bytes, old);
  if (temporary.empty()) temporary = WriteNamed(path, bytes, old);
  if (temporary.empty()) return false;
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(path));
  return true;
}

CachedFile& FileCache::Open(const std::string& path) {
  const Stamp now = StampOf(path);
  auto [at, added] = files_.try_emplace(path);
  CachedFile& file = at->second;
  if (added || !(file.stamp == now)) file = Load(path);
  return file;
}

bool FileCache::Flush(const std::string& path, CachedFile& file) {
  if (!file.dirty) return true;
  const Stamp now = StampOf(path);
  if (!(now == file.stamp)) {
    // Changed or removed behind our back: that happened after the pending
    // changes were made, so it wins over them.
    file = Load(path);
    return true;
  }
  if (!ReplaceFile(path, file.document.Serialize(), now)) return false;
  file.stamp = StampOf(path);
  file.dirty = false;
  return true;
}

bool FileCache::FlushAll() {
  const std::lock_guard lock(mutex_);
  bool all = true;
  for (auto& [path, file] : files_) all = Flush(path, file) && all;
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

std::string AbsolutePath(const char* name) {
  std::string path;
  if (name[0] != '/') {
    char directory[PATH_MAX];
    if (::getcwd(directory, sizeof directory) == nullptr) return {};
    path = directory;
    path += '/';
  }
  path += name;
  // Most names need no normalising; it costs more than the rest of a write.
  const bool plain = path.find("/.") == std::string::npos && path.find("//") == std::string::npos && !path.ends_with('/');
  return plain ? path : std::filesystem::path(path).lexically_normal().string();
}

}  // namespace standin::ini
