#include <windows.h>

#include <atomic>

#include "standin/faults.h"
#include "standin/ini/disk.h"

namespace standin::ini::disk::system {

namespace {

// A system call chosen to fail fails as a failing disk would.
bool Injected() {
  if (!ShouldFail(Fault::IniDisk)) return false;
  ::SetLastError(ERROR_WRITE_FAULT);
  return true;
}

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

Stamp FromAttributes(DWORD attributes, DWORD size_high, DWORD size_low, const FILETIME& created,
                     const FILETIME& written) {
  Stamp stamp;
  stamp.exists = true;
  stamp.regular = (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  stamp.size = (std::uint64_t{size_high} << 32) | size_low;
  // A replaced file is a new file with a creation time of its own.
  stamp.changed = Ticks(created);
  stamp.modified = Ticks(written);
  stamp.mode = attributes;
  return stamp;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

std::string TemporaryName(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + "." + std::to_string(::GetCurrentProcessId()) + "." + std::to_string(++counter) + ".tmp";
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (Injected() || !::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

Stamp StampOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return {};
  return FromAttributes(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftCreationTime,
                        data.ftLastWriteTime);
}

Contents Read(const std::string& path) {
  Contents contents;
  const HANDLE file = Injected() ? INVALID_HANDLE_VALUE
                                 : ::CreateFileA(path.c_str(), GENERIC_READ,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    contents.stamp = StampOf(path);
    return contents;
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileInformationByHandle(file, &info)) {
    contents.stamp = FromAttributes(info.dwFileAttributes, info.nFileSizeHigh, info.nFileSizeLow, info.ftCreationTime,
                                    info.ftLastWriteTime);
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = !Injected() && ::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) && got != 0) {
      bytes.append(buffer, got);
    }
    if (ok && contents.stamp.regular) contents.bytes = std::move(bytes);
  }
  ::CloseHandle(file);
  return contents;
}

bool MayWrite(const std::string& path, const Stamp& stamp) {
  if (stamp.exists && (!stamp.regular || (stamp.mode & FILE_ATTRIBUTE_READONLY) != 0)) return false;
  const DWORD directory = ::GetFileAttributesA(DirectoryOf(path).c_str());
  return directory != INVALID_FILE_ATTRIBUTES && (directory & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Replace(const std::string& path, std::string_view bytes, const Stamp& old) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string temporary = TemporaryName(path);
    const DWORD attributes = old.exists ? (old.mode & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE)) : 0;
    const HANDLE file = Injected() ? INVALID_HANDLE_VALUE
                                   : ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                                   attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      if (::GetLastError() == ERROR_FILE_EXISTS) continue;
      return false;
    }
    const bool written = WriteAll(file, bytes) && !Injected() && ::FlushFileBuffers(file);
    ::CloseHandle(file);
    if (!written || Injected() ||
        !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      ::DeleteFileA(temporary.c_str());
      return false;
    }
    return true;
  }
  return false;
}

std::string AbsolutePath(const char* name) {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = ::GetFullPathNameA(name, static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);
  }
}

std::string CacheKey(const std::string& absolute_path) {
  std::string key = absolute_path;
  for (char& c : key) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '/') c = '\\';
  }
  return key;
}

}  // namespace standin::ini::disk::system
