// The stream-open entry: a standard-library stream with the host's
// text-mode rules on every platform, so that a file written here is byte
// for byte the file written on Windows. Text mode writes LF as CR LF and
// reads CR LF as LF, and a Ctrl-Z ends what a text-mode read sees.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/faults.h"

namespace standin {

namespace {

constexpr char kEndOfText = 0x1A;

struct Mode {
  std::string underlying;  // for fopen
  const char* cookie;      // for fopencookie: which directions exist
  bool text = true;        // no 'b': text, as the host's default is
  bool writes = false;
};

// r, w or a first, then any of + b t; the host's other letters are hints
// that do not apply here.
bool ParseMode(const char* mode, Mode& parsed) {
  if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) return false;
  bool plus = false;
  for (const char* c = mode + 1; *c != '\0' && *c != ','; ++c) {
    if (*c == '+') plus = true;
    if (*c == 'b') parsed.text = false;
    if (*c == 't') parsed.text = true;
  }
  parsed.underlying = std::string(1, mode[0]) + (plus ? "+" : "") + "b";
  parsed.writes = plus || mode[0] != 'r';
  parsed.cookie = plus ? "r+" : (mode[0] == 'r' ? "r" : "w");
  return true;
}

struct Cookie {
  std::FILE* file;
  bool text;
  bool ended = false;  // a Ctrl-Z was read
};

ssize_t Read(void* opaque, char* buffer, std::size_t size) {
  auto* cookie = static_cast<Cookie*>(opaque);
  if (!cookie->text) {
    const std::size_t got = std::fread(buffer, 1, size, cookie->file);
    return got == 0 && std::ferror(cookie->file) ? -1 : static_cast<ssize_t>(got);
  }
  if (cookie->ended) return 0;
  const std::size_t got = std::fread(buffer, 1, size, cookie->file);
  if (got == 0) return std::ferror(cookie->file) ? -1 : 0;
  std::size_t out = 0;
  for (std::size_t i = 0; i < got; ++i) {
    char c = buffer[i];
    if (c == kEndOfText) {
      cookie->ended = true;
      break;
    }
    if (c == '\r') {
      if (i + 1 < got) {
        if (buffer[i + 1] == '\n') continue;
      } else {
        // The pair may straddle two reads.
        const int next = std::getc(cookie->file);
        if (next == '\n') {
          c = '\n';
        } else if (next != EOF) {
          std::ungetc(next, cookie->file);
        }
      }
    }
    buffer[out++] = c;
  }
  return static_cast<ssize_t>(out);
}

bool WriteAll(std::FILE* file, const char* bytes, std::size_t size) {
  return size == 0 || std::fwrite(bytes, 1, size, file) == size;
}

// Every call is one write of the caller (the stream is unbuffered), which
// is what fault injection counts.
ssize_t Write(void* opaque, const char* buffer, std::size_t size) {
  auto* cookie = static_cast<Cookie*>(opaque);
  if (ShouldFail(Fault::StreamWrite)) {
    errno = EIO;
    return 0;
  }
  if (!cookie->text) return WriteAll(cookie->file, buffer, size) ? static_cast<ssize_t>(size) : 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i < size; ++i) {
    if (buffer[i] != '\n') continue;
    if (!WriteAll(cookie->file, buffer + start, i - start) || !WriteAll(cookie->file, "\r\n", 2)) return 0;
    start = i + 1;
  }
  if (!WriteAll(cookie->file, buffer + start, size - start)) return 0;
  return static_cast<ssize_t>(size);
}

int Seek(void* opaque, off64_t* offset, int whence) {
  auto* cookie = static_cast<Cookie*>(opaque);
  if (fseeko(cookie->file, *offset, whence) != 0) return -1;
  cookie->ended = false;
  *offset = ftello(cookie->file);
  return *offset < 0 ? -1 : 0;
}

int Close(void* opaque) {
  auto* cookie = static_cast<Cookie*>(opaque);
  const int result = std::fclose(cookie->file);
  delete cookie;
  return result;
}

}  // namespace

namespace entry {

// The share value, 0 and -1 are Windows' sharing and permission words; a
// POSIX file shares with everyone.
std::FILE* KORPUS_CALLEE OpenStream(const char* name, const char* mode, std::int32_t, std::int32_t, std::int32_t) {
  Mode parsed;
  if (name == nullptr || !ParseMode(mode, parsed)) {
    errno = EINVAL;
    return nullptr;
  }
  try {
    const std::string path = codepage::MazoviaToUtf8(name);
    std::FILE* file = std::fopen(path.c_str(), parsed.underlying.c_str());
    if (file == nullptr) return nullptr;
    auto* cookie = new Cookie{file, parsed.text};
    std::FILE* stream = fopencookie(cookie, parsed.cookie, cookie_io_functions_t{&Read, &Write, &Seek, &Close});
    if (stream == nullptr) {
      std::fclose(file);
      delete cookie;
      return nullptr;
    }
    if (parsed.writes) std::setvbuf(stream, nullptr, _IONBF, 0);
    return stream;
  } catch (...) {
    errno = ENOMEM;
    return nullptr;
  }
}

}  // namespace entry

}  // namespace standin
