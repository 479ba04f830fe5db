#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <filesystem>

#include "standin/faults.h"
#include "standin/ini/disk.h"

namespace standin::ini::disk::system {

namespace {

// A system call chosen to fail fails as a failing disk would.
bool Injected() {
  if (!ShouldFail(Fault::IniDisk)) return false;
  errno = EIO;
  return true;
}

std::int64_t Nanoseconds(const timespec& time) { return std::int64_t{time.tv_sec} * 1'000'000'000 + time.tv_nsec; }

Stamp FromStat(const struct stat& info) {
  Stamp stamp;
  stamp.exists = true;
  stamp.regular = S_ISREG(info.st_mode);
  stamp.volume = info.st_dev;
  stamp.identity = info.st_ino;
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.modified = Nanoseconds(info.st_mtim);
  stamp.changed = Nanoseconds(info.st_ctim);
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
    const ssize_t written = Injected() ? -1 : ::write(fd, bytes.data(), bytes.size());
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
    const ssize_t got = Injected() ? -1 : ::read(fd, buffer, sizeof buffer);
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

bool FillTemporary(int fd, std::string_view bytes, const Stamp& old) {
  if (!WriteAll(fd, bytes)) return false;
  if (old.exists && (Injected() || ::fchmod(fd, old.mode & 07777) != 0)) return false;
  return !Injected() && ::fsync(fd) == 0;
}

// An unnamed file gets its temporary name only for the instant before the
// rename, so a killed process hardly ever leaves one behind.
std::string WriteUnnamed(const std::string& path, std::string_view bytes, const Stamp& old) {
  const int fd = Injected() ? -1 : ::open(DirectoryOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
  if (fd < 0) return {};
  std::string temporary;
  if (FillTemporary(fd, bytes, old)) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    temporary = TemporaryName(path);
    if (Injected() || ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temporary.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      temporary.clear();
    }
  }
  ::close(fd);
  return temporary;
}

std::string WriteNamed(const std::string& path, std::string_view bytes, const Stamp& old) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::string temporary = TemporaryName(path);
    const int fd = Injected() ? -1 : ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

}  // namespace

Stamp StampOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return {};
  return FromStat(info);
}

Contents Read(const std::string& path) {
  Contents contents;
  const int fd = Injected() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    contents.stamp = StampOf(path);
    return contents;
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0) {
    contents.stamp = FromStat(info);
    std::string bytes;
    if (contents.stamp.regular && ReadAll(fd, bytes)) contents.bytes = std::move(bytes);
  }
  ::close(fd);
  return contents;
}

bool MayWrite(const std::string& path, const Stamp& stamp) {
  if (stamp.exists && (!stamp.regular || ::access(path.c_str(), W_OK) != 0)) return false;
  return ::access(DirectoryOf(path).c_str(), W_OK | X_OK) == 0;
}

bool Replace(const std::string& path, std::string_view bytes, const Stamp& old) {
  std::string temporary = WriteUnnamed(path, bytes, old);
  if (temporary.empty()) temporary = WriteNamed(path, bytes, old);
  if (temporary.empty()) return false;
  if (Injected() || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncDirectory(DirectoryOf(path));
  return true;
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

std::string CacheKey(const std::string& absolute_path) { return absolute_path; }

}  // namespace standin::ini::disk::system
