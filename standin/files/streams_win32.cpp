// The stream-open entry on Windows. The runtime's own text mode is the
// host's (CR LF lines, Ctrl-Z ends a read), so the stream is simply the
// runtime's stream of the file. The plug-in writes it through its own
// imports of the runtime, which the stand-in routes (plugin_routes.cpp);
// the streams opened here are remembered so that only their writes count
// for fault injection.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "abi/codepage.h"
#include "standin/entries.h"
#include "standin/files/host_streams.h"

namespace standin {

namespace {

std::mutex streams_lock;
std::vector<std::FILE*>& OpenStreams() {
  static std::vector<std::FILE*> streams;
  return streams;
}

}  // namespace

namespace files {

void ForgetHostStream(std::FILE* stream) {
  const std::lock_guard<std::mutex> hold(streams_lock);
  auto& streams = OpenStreams();
  streams.erase(std::remove(streams.begin(), streams.end(), stream), streams.end());
}

bool IsHostStream(std::FILE* stream) {
  const std::lock_guard<std::mutex> hold(streams_lock);
  const auto& streams = OpenStreams();
  return stream != nullptr && std::find(streams.begin(), streams.end(), stream) != streams.end();
}

}  // namespace files

namespace entry {

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
    std::FILE* const stream = ::_wfopen(path.c_str(), runtime_mode.c_str());
    if (stream != nullptr) {
      const std::lock_guard<std::mutex> hold(streams_lock);
      OpenStreams().push_back(stream);
    }
    return stream;
  } catch (...) {
    errno = ENOMEM;
    return nullptr;
  }
}

}  // namespace entry

}  // namespace standin
