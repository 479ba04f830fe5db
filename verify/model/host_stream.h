// A stream that the host opened for the plug-in. It is closed on every way
// out of its scope, also when a host call abandoned in between unwinds the
// caller, so that no file stays open in the host's process.
#pragma once

#include <cstdint>
#include <cstdio>

namespace verify {

// The share mode that the check's streams are opened with.
inline constexpr std::int32_t kStreamShareMode = 0x40;

class HostStream {
 public:
  explicit HostStream(std::FILE* stream) : stream_(stream) {}
  ~HostStream() { Close(); }
  HostStream(const HostStream&) = delete;
  HostStream& operator=(const HostStream&) = delete;

  std::FILE* get() const { return stream_; }
  explicit operator bool() const { return stream_ != nullptr; }

  void Close() {
    std::FILE* const stream = stream_;
    stream_ = nullptr;
    if (stream != nullptr) std::fclose(stream);
  }

 private:
  std::FILE* stream_;
};

}  // namespace verify
