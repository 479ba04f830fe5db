// The stream-open entry on Windows. The runtime's own text mode is the
// host's (CR LF lines, Ctrl-Z ends a read), so the stream is simply the
// runtime's stream of the file. Failing writes cannot be injected into it;
// the native build's tests cover them.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "abi/codepage.h"
#include "korpus/entries.h"

namespace standin::entry {

namespace {

std::wstring Wide(const std::string& utf8) {
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return wide;
}

}  // namespace

// r, w or a first, then any of + b t; the host's other letters are hints
// that do not apply here. The share value, 0 and -1 are the host's
// sharing and permission words, which the runtime's defaults match.
std::FILE* KORPUS_CALLEE OpenStream(const char* name, const char* mode, std::int32_t, std::int32_t, std::int32_t) {
  if (name == nullptr || mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
    errno = EINVAL;
    return nullptr;
  }
  try {
    bool plus = false;
    bool binary = false;
    for (const char* c = mode + 1; *c != '\0' && *c != ','; ++c) {
      if (*c == '+') plus = true;
      if (*c == 'b') binary = true;
      if (*c == 't') binary = false;
    }
    std::wstring runtime_mode(1, static_cast<wchar_t>(mode[0]));
    if (plus) runtime_mode += L'+';
    runtime_mode += binary ? L'b' : L't';
    const std::wstring path = Wide(codepage::MazoviaToUtf8(name));
    if (path.empty()) {
      errno = ENOENT;
      return nullptr;
    }
    return ::_wfopen(path.c_str(), runtime_mode.c_str());
  } catch (...) {
    errno = ENOMEM;
    return nullptr;
  }
}

}  // namespace standin::entry
